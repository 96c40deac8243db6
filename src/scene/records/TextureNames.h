#pragma once
// TTextureNames: the 384 texture names of an object, 192 pairs (image, mask); pair
// i belongs to texture frame i. Most entries are empty, so only the others are kept.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velorina {

class TDirect3DTexture2;

class TTextureNames {
 public:
  static constexpr std::size_t kCount = 384;

  // The name at `index`; empty for an empty entry or an index outside 0..383.
  const std::string& get(std::size_t index) const;
  // Sets one entry (an empty name clears it); indices outside 0..383 are ignored.
  void set(std::size_t index, std::string name);
  void clear() { entries_.clear(); }
  bool empty() const { return entries_.empty(); }
  // The non-empty entries, by ascending index.
  const std::vector<std::pair<std::uint16_t, std::string>>& entries() const { return entries_; }

  bool operator==(const TTextureNames&) const = default;

 private:
  std::vector<std::pair<std::uint16_t, std::string>> entries_;
};

// The textures of one pair of names: the image and the one that masks it.
struct TexturePair {
  TDirect3DTexture2* first = nullptr;
  TDirect3DTexture2* second = nullptr;
};

// The textures of all 192 pairs of an object; the last pair is never filled.
using TTexturePairs = std::array<TexturePair, TTextureNames::kCount / 2>;

}  // namespace velorina
