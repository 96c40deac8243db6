#pragma once
// Errors of the sound device: wave data that cannot be decoded, an output device
// that cannot be opened.

#include "archive/Error.h"

namespace velorina {

class ESoundError : public Error {
 public:
  using Error::Error;
};

}  // namespace velorina
