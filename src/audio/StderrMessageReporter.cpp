#include "audio/StderrMessageReporter.h"

#include <cstdio>

#include "archive/Messages.h"

namespace velorina {

void StderrMessageReporter::showError(const std::string& text, const std::string& caption) {
  const std::string gloss = englishGloss(caption);
  const std::string head = gloss.empty() ? caption : caption + " (" + gloss + ")";
  std::fprintf(stderr, "%s: %s\n", head.c_str(), withEnglishGloss(text).c_str());
}

void StderrMessageReporter::showWarning(const std::string& text) {
  std::fprintf(stderr, "%s%swarning: %s\n", program_.c_str(), program_.empty() ? "" : ": ", text.c_str());
}

}  // namespace velorina
