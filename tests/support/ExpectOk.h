#pragma once
// Device calls in tests: a refused call is a test failure at the caller's line.

#include <gtest/gtest.h>

#include <source_location>

#include "platform/render/D3DTypes.h"

namespace velorina::testing {

inline void expectOk(D3DRESULT result, std::source_location where = std::source_location::current()) {
  if (result != D3DRESULT::D3D_OK) {
    ADD_FAILURE_AT(where.file_name(), int(where.line())) << "device call refused with code " << int(result);
  }
}

}  // namespace velorina::testing
