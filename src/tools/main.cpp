#include <cstdio>
#include <exception>

#include "archive/Error.h"
#include "tools/Commands.h"

namespace velorina::tools {
int dispatch(const Args& argv);
}

int main(int argc, char** argv) {
  velorina::tools::Args args(argv + 1, argv + argc);
  try {
    return velorina::tools::dispatch(args);
  } catch (const velorina::Error& e) {
    std::fprintf(stderr, "%s\n", e.describe().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velorina-tool: %s\n", e.what());
  }
  return 1;
}
