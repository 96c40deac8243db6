#pragma once
// What the dance needs of a 3D text object, and where it finds the three it drives.

#include <cstdint>
#include <string>

namespace velorina {

class DanceText {
 public:
  virtual ~DanceText() = default;
  virtual std::string GetText() const = 0;
  // Changes the text and rebuilds the object's geometry.
  virtual void SetText(const std::string& text) = 0;
};

class DanceTextSource {
 public:
  virtual ~DanceTextSource() = default;
  // The text object of the current object list with this identifier (the last one
  // in list order when several have it), or nullptr. Asked again on every step, so
  // a rebuilt object list never leaves the dance holding a freed object.
  virtual DanceText* findDanceText(std::int32_t objectId) = 0;
};

}  // namespace velorina
