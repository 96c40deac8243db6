#pragma once
// Errors of the picture decoders and encoders.
#include <string>

#include "archive/Error.h"

namespace velorina {

namespace messages {
inline constexpr const char* kUnknownPictureType = "Άγνωστος τύπος εικόνας: %s";
inline constexpr const char* kWZFileNotFound = "Το αρχείο WZ δεν βρέθηκε";
inline constexpr const char* kInvalidPicture = "Invalid picture data";
}  // namespace messages

// A picture that cannot be read: unknown type, damaged or hostile data, sizes
// beyond what the bytes or the limits allow. The context's detail says what.
class EInvalidGraphic : public Error {
 public:
  using Error::Error;
};

// The run-length formats' error class: missing source, bad dimensions.
class EWZException : public Error {
 public:
  using Error::Error;
};

// Throws EInvalidGraphic with the generic message and `detail`.
[[noreturn]] void throwInvalidPicture(const std::string& source, const std::string& detail);

// Runs a decoder body so that a bounds check of the byte reader (EStreamError:
// the data ends before the picture does) comes out as EInvalidGraphic with the
// same context, like every other fault of the picture.
template <typename Body>
auto guardPictureReads(Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (const EStreamError& e) {
    ErrorContext context = e.context();
    context.detail = "picture data cut short: " + context.detail;
    throw EInvalidGraphic(messages::kInvalidPicture, std::move(context));
  }
}

}  // namespace velorina
