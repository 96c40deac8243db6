#include "audio/StderrMessageReporter.h"

#include <cstdio>

namespace velorina {

void StderrMessageReporter::showError(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace velorina
