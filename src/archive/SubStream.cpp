#include "archive/SubStream.h"

#include <algorithm>

#include "archive/Messages.h"

namespace velorina {

namespace {

// Restores the parent's position however the access ends.
class ParentPositionGuard {
 public:
  explicit ParentPositionGuard(Stream& parent) : parent_(parent), saved_(parent.position()) {}
  ~ParentPositionGuard() { parent_.setPosition(saved_); }
  ParentPositionGuard(const ParentPositionGuard&) = delete;
  ParentPositionGuard& operator=(const ParentPositionGuard&) = delete;

 private:
  Stream& parent_;
  std::int64_t saved_;
};

}  // namespace

TSubStream::TSubStream(Stream* parent, std::uint32_t size, std::uint32_t offset)
    : Parent_(parent), Offset_(offset), Size_(size) {
  if (parent == nullptr) throw ESubStreamError(messages::kSubStreamNilParent);
}

std::size_t TSubStream::clampToWindow(std::size_t count) const noexcept {
  if (Position_ < 0 || Position_ >= static_cast<std::int64_t>(Size_)) return 0;
  return static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), Size_ - Position_));
}

std::size_t TSubStream::read(void* buffer, std::size_t count) {
  const std::size_t n = clampToWindow(count);
  if (n == 0) return 0;
  ParentPositionGuard guard(*Parent_);
  Parent_->setPosition(Offset_ + Position_);
  const std::size_t moved = Parent_->read(buffer, n);
  Position_ += static_cast<std::int64_t>(moved);
  return moved;
}

std::size_t TSubStream::write(const void* buffer, std::size_t count) {
  const std::size_t n = clampToWindow(count);
  if (n == 0) return 0;
  ParentPositionGuard guard(*Parent_);
  Parent_->setPosition(Offset_ + Position_);
  const std::size_t moved = Parent_->write(buffer, n);
  Position_ += static_cast<std::int64_t>(moved);
  return moved;
}

std::int64_t TSubStream::seek(std::int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: Position_ = offset; break;
    case SeekOrigin::Current: Position_ += offset; break;
    case SeekOrigin::End: Position_ = Size_ + offset; break;
  }
  return Position_;
}

void TSubStream::setSize(std::int64_t) {
  throw EStreamError(messages::kStreamWriteError,
                     ErrorContext{name(), std::nullopt, std::nullopt, "a window's size is fixed"});
}

std::span<const std::uint8_t> TSubStream::view(std::int64_t offset, std::size_t count) {
  if (offset < 0 || offset > Size_ || count > static_cast<std::size_t>(Size_ - offset)) return {};
  return Parent_->view(Offset_ + offset, count);
}

std::int64_t TSubStream::AbsolutePosition() const {
  std::int64_t base = Offset_;
  for (auto* p = dynamic_cast<const TSubStream*>(Parent_); p != nullptr; p = dynamic_cast<const TSubStream*>(p->Parent_)) {
    base += p->Offset_;
  }
  return base + Position_;
}

}  // namespace velorina
