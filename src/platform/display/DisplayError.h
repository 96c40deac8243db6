#pragma once
// The display could not be opened or used.

#include "archive/Error.h"

namespace velorina {

class EDisplayError : public Error {
 public:
  using Error::Error;
};

}  // namespace velorina
