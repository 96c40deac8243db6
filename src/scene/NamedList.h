#pragma once
// A list of named entries, each owning its object (or holding none): in the order
// entries were added, searched by name without regard to ASCII case. Operations
// that take an index do nothing for an index outside the list.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "archive/Wad.h"

namespace velorina {

template <typename T>
class NamedList {
 public:
  struct Entry {
    std::string name;
    std::unique_ptr<T> object;
  };

  std::size_t size() const noexcept { return entries_.size(); }
  bool empty() const noexcept { return entries_.empty(); }
  Entry& operator[](std::size_t i) { return entries_[i]; }
  const Entry& operator[](std::size_t i) const { return entries_[i]; }
  auto begin() { return entries_.begin(); }
  auto end() { return entries_.end(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

  T* add(std::string name, std::unique_ptr<T> object) {
    T* raw = object.get();
    entries_.push_back({std::move(name), std::move(object)});
    return raw;
  }
  void insert(std::size_t index, std::string name, std::unique_ptr<T> object) {
    index = std::min(index, entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), {std::move(name), std::move(object)});
  }
  // The index of the first entry of that name, or -1.
  std::ptrdiff_t indexOf(const std::string& name) const {
    const std::string key = upperAscii(name);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (upperAscii(entries_[i].name) == key) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  }
  void removeAt(std::size_t index) {
    if (index < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  }
  // Frees every object, then empties the list.
  void clear() {
    for (auto& e : entries_) e.object.reset();
    entries_.clear();
  }
  // Sorts keeping the order of equal entries. The scene sorts its objects by
  // distance during frames, so this allocates nothing once the list has been sorted
  // at its size: a list already in order is left as it is, otherwise a bottom-up
  // merge sort runs through a scratch list kept for the next time.
  template <typename Less>
  void stableSort(Less less) {
    const std::size_t n = entries_.size();
    if (std::is_sorted(entries_.begin(), entries_.end(), less)) return;
    scratch_.resize(n);
    for (std::size_t width = 1; width < n; width *= 2) {
      for (std::size_t lo = 0; lo < n; lo += 2 * width) {
        const auto first = entries_.begin() + static_cast<std::ptrdiff_t>(lo);
        const auto middle = entries_.begin() + static_cast<std::ptrdiff_t>(std::min(lo + width, n));
        const auto last = entries_.begin() + static_cast<std::ptrdiff_t>(std::min(lo + 2 * width, n));
        std::merge(std::make_move_iterator(first), std::make_move_iterator(middle), std::make_move_iterator(middle),
                   std::make_move_iterator(last), scratch_.begin() + static_cast<std::ptrdiff_t>(lo), less);
      }
      entries_.swap(scratch_);
    }
  }

 private:
  std::vector<Entry> entries_;
  std::vector<Entry> scratch_;  // moved-from entries between sorts
};

}  // namespace velorina
