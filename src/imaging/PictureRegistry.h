#pragma once
// The picture classes by file extension. An extension is the text of a name from
// its last dot, without the dot, upper-cased, with any zero characters dropped.
//
// Standard formats: "BMP", "DIB", "GIF", "JPG", "JPEG", "PNG", "PPM", "TGA",
// "ICO", "WMF", "EMF", "BMZ", "WZ1", "WZ2".
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/Picture.h"

namespace velorina {

struct PictureFormat {
  std::string extension;    // upper case, no dot
  std::string description;  // for listings
  std::function<std::unique_ptr<Picture>()> create;
};

class PictureRegistry {
 public:
  PictureRegistry() = default;
  // The registry of all standard formats, built once.
  static const PictureRegistry& standard();

  // Adds a format or replaces the one with the same extension.
  void add(PictureFormat format);
  // The format for an extension (any case), or nullptr.
  const PictureFormat* find(std::string_view extension) const;
  const std::vector<PictureFormat>& formats() const noexcept { return formats_; }

  // A new picture for a file name's extension. Throws EInvalidGraphic
  // "Άγνωστος τύπος εικόνας: NAME" for an unknown extension.
  std::unique_ptr<Picture> createFor(const std::string& name) const;

  // The extension of a name, normalised as above ("" when there is no dot).
  static std::string extensionOf(std::string_view name);

 private:
  std::vector<PictureFormat> formats_;
};

// Chooses the picture class from `name`, reads it from the stream and answers its
// bitmap in its own pixel format.
Bitmap loadPicture(const std::string& name, Stream& source,
                   const PictureRegistry& registry = PictureRegistry::standard());

}  // namespace velorina
