#pragma once
// Progress of long work shown on standard error, only when it is a terminal: a
// percentage rewritten in place, then "done".

#include "archive/CompressionLevel.h"

namespace velorina::tools {

// A handler for the archive writers; empty when standard error is not a terminal.
ProgressHandler terminalProgress(const char* what);

}  // namespace velorina::tools
