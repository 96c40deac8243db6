#include "archive/Error.h"

#include "archive/Messages.h"

namespace velorina {

std::string Error::describe() const {
  std::string text = what();
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  // "a:\r\nb" would read "a:  b"; fold the doubled space.
  std::string folded;
  folded.reserve(text.size());
  for (char c : text) {
    if (c == ' ' && !folded.empty() && folded.back() == ' ') continue;
    folded += c;
  }
  std::string line = context_.file.empty() ? folded : context_.file + ": " + folded;
  std::string where;
  if (!context_.detail.empty()) where = context_.detail;
  if (context_.record) where += (where.empty() ? "" : ", ") + std::string("record ") + std::to_string(*context_.record);
  if (context_.offset) where += (where.empty() ? "" : ", ") + std::string("at byte ") + std::to_string(*context_.offset);
  // A Greek message is followed by its English gloss, then by the details.
  if (const std::string gloss = englishGloss(what()); !gloss.empty()) where = gloss + (where.empty() ? "" : "; " + where);
  if (!where.empty()) line += " (" + where + ")";
  return line;
}

}  // namespace velorina
