#include "imaging/ImagingError.h"

namespace velorina {

void throwInvalidPicture(const std::string& source, const std::string& detail) {
  throw EInvalidGraphic(messages::kInvalidPicture, ErrorContext{source, {}, {}, detail});
}

}  // namespace velorina
