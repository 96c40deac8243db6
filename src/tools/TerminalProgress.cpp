#include "tools/TerminalProgress.h"

#include <unistd.h>

#include <cstdio>

namespace velorina::tools {

ProgressHandler terminalProgress(const char* what) {
  if (!::isatty(STDERR_FILENO)) return {};
  return [what](ProgressStage stage, int percent) {
    if (stage == ProgressStage::Working) std::fprintf(stderr, "\r%s: %3d%%", what, percent);
    if (stage == ProgressStage::Done) std::fprintf(stderr, "\r%s: done\n", what);
  };
}

}  // namespace velorina::tools
