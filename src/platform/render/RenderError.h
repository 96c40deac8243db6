#pragma once
// Errors of the render layer: a texture or render target that cannot be made.

#include <string>
#include <utility>

#include "archive/Error.h"

namespace velorina {

class ERenderError : public Error {
 public:
  using Error::Error;

  ERenderError(const std::string& message, std::string detail) : Error(message, contextOf(std::move(detail))) {}

 private:
  static ErrorContext contextOf(std::string detail) {
    ErrorContext context;
    context.detail = std::move(detail);
    return context;
  }
};

}  // namespace velorina
