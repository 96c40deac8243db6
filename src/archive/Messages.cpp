#include "archive/Messages.h"

#include <algorithm>

namespace velorina {

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd') &&
        next != args.end()) {
      out.append(*next++);
      ++i;
    } else {
      out.push_back(pattern[i]);
    }
  }
  return out;
}

namespace {

struct Gloss {
  std::string_view pattern;  // the Greek message; "%s" and "%d" stand for any text
  std::string_view english;
};

// Every Greek message of the system, wherever it is raised.
constexpr Gloss kGlosses[] = {
    {messages::kWrongFileTypeNamed, "the file is not of the right type"},
    {messages::kWrongFileType, "the file is not of the right type"},
    {messages::kEntryNotFound, "entry not found in the archive"},
    {"Άγνωστος τύπος εικόνας: %s", "unknown picture type"},
    {"Το αρχείο WZ δεν βρέθηκε", "WZ file not found"},
    {"Η τιμή πρέπει να είναι από %d έως %d.", "value out of range"},
    {"Ο χάρτης %s δεν βρέθηκε στο αρχείο %s.", "map not found in the file"},
    {"Σφάλμα", "error"},
};

// Whether `message` starts with the pattern's text, its placeholders matching any
// text (the last literal piece may be followed by more, such as ":\r\nNAME").
bool matches(std::string_view pattern, std::string_view message) {
  std::size_t at = 0;
  bool first = true;
  while (!pattern.empty()) {
    const std::size_t hole = pattern.find('%');
    const std::string_view piece = pattern.substr(0, hole);
    if (!piece.empty()) {
      const std::size_t found = first ? (message.substr(at).starts_with(piece) ? at : std::string_view::npos)
                                      : message.find(piece, at);
      if (found == std::string_view::npos) return false;
      at = found + piece.size();
    }
    first = false;
    if (hole == std::string_view::npos) break;
    pattern.remove_prefix(std::min(pattern.size(), hole + 2));
  }
  return true;
}

}  // namespace

std::string englishGloss(std::string_view message) {
  for (const auto& g : kGlosses) {
    if (matches(g.pattern, message)) return std::string(g.english);
  }
  return {};
}

std::string withEnglishGloss(const std::string& message) {
  const std::string gloss = englishGloss(message);
  return gloss.empty() ? message : message + " (" + gloss + ")";
}

}  // namespace velorina
