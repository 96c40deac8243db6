#pragma once
// A small command-line parser for the toolbox: positional arguments, options that
// take a value ("--level max", "--level=max", "-o FILE") and flags.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "archive/CompressionLevel.h"
#include "tools/Commands.h"

namespace velorina::tools {

// A mistake in the command line; the message is one line.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> values;
  std::set<std::string, std::less<>> flags;
  bool help = false;

  std::optional<std::string> value(std::string_view name) const;
  bool flag(std::string_view name) const { return flags.contains(name); }
};

// Throws UsageError for an unknown option or an option without its value.
ParsedArgs parseArgs(const Args& args, std::initializer_list<std::string_view> valueOptions,
                     std::initializer_list<std::string_view> flagOptions = {});

// Number parsing with messages that name the option.
float parseFloat(std::string_view option, const std::string& text);
std::uint32_t parseUnsigned(std::string_view option, const std::string& text);
std::int64_t parseInteger(std::string_view option, const std::string& text);

// A whole number within [low, high]; outside it the one wording of every range
// error: "--detail must lie between 0 and 6, not "99"".
std::int64_t parseRanged(std::string_view option, const std::string& text, std::int64_t low, std::int64_t high);
// The same check for a value already parsed.
void checkRange(std::string_view option, double value, double low, double high, const std::string& text);

// The output file of a command: -o FILE or --out FILE (the same option, two
// spellings); nothing when neither is given. Both given and different: UsageError.
std::optional<std::string> outputPath(const ParsedArgs& args);

// --level none|fastest|default|max, or `fallback` when it is not given.
TCompressionLevel parseCompressionLevel(const ParsedArgs& args, TCompressionLevel fallback);

// Prints a failure the way every command does: one line on stderr. Returns 1.
int reportFailure(const std::string& line);

}  // namespace velorina::tools
