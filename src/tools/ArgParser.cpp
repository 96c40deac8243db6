#include "tools/ArgParser.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velorina::tools {

namespace {

bool listed(std::initializer_list<std::string_view> names, std::string_view name) {
  for (auto n : names) {
    if (n == name) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ParsedArgs::value(std::string_view name) const {
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

ParsedArgs parseArgs(const Args& args, std::initializer_list<std::string_view> valueOptions,
                     std::initializer_list<std::string_view> flagOptions) {
  ParsedArgs parsed;
  bool onlyPositional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (onlyPositional || a.size() < 2 || a[0] != '-') {
      parsed.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      onlyPositional = true;
    } else if (a == "--help" || a == "-h") {
      parsed.help = true;
    } else {
      std::string name = a;
      std::optional<std::string> inlineValue;
      if (auto eq = a.find('='); eq != std::string::npos && a.rfind("--", 0) == 0) {
        name = a.substr(0, eq);
        inlineValue = a.substr(eq + 1);
      }
      if (listed(valueOptions, name)) {
        if (!inlineValue && i + 1 >= args.size()) throw UsageError(name + " needs a value");
        parsed.values[name] = inlineValue ? *inlineValue : args[++i];
      } else if (listed(flagOptions, name) && !inlineValue) {
        parsed.flags.insert(name);
      } else {
        throw UsageError("unknown option " + a);
      }
    }
  }
  return parsed;
}

float parseFloat(std::string_view option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const float v = std::strtof(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) {
    throw UsageError(std::string(option) + " needs a number, not \"" + text + "\"");
  }
  return v;
}

std::int64_t parseInteger(std::string_view option, const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (text.empty() || end != text.c_str() + text.size() || errno == ERANGE) {
    throw UsageError(std::string(option) + " needs a whole number, not \"" + text + "\"");
  }
  return v;
}

std::uint32_t parseUnsigned(std::string_view option, const std::string& text) {
  return static_cast<std::uint32_t>(parseRanged(option, text, 0, 0xFFFFFFFFll));
}

void checkRange(std::string_view option, double value, double low, double high, const std::string& text) {
  if (!(value >= low && value <= high)) {
    auto show = [](double v) {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "%.15g", v);
      return std::string(buffer);
    };
    throw UsageError(std::string(option) + " must lie between " + show(low) + " and " + show(high) + ", not \"" +
                     text + "\"");
  }
}

std::int64_t parseRanged(std::string_view option, const std::string& text, std::int64_t low, std::int64_t high) {
  const std::int64_t v = parseInteger(option, text);
  checkRange(option, static_cast<double>(v), static_cast<double>(low), static_cast<double>(high), text);
  return v;
}

std::optional<std::string> outputPath(const ParsedArgs& args) {
  const auto shortForm = args.value("-o");
  const auto longForm = args.value("--out");
  if (shortForm && longForm && *shortForm != *longForm) {
    throw UsageError("-o and --out name two different files (\"" + *shortForm + "\", \"" + *longForm + "\")");
  }
  return shortForm ? shortForm : longForm;
}

TCompressionLevel parseCompressionLevel(const ParsedArgs& args, TCompressionLevel fallback) {
  const auto text = args.value("--level");
  if (!text) return fallback;
  if (*text == "none") return TCompressionLevel::clNone;
  if (*text == "fastest") return TCompressionLevel::clFastest;
  if (*text == "default") return TCompressionLevel::clDefault;
  if (*text == "max") return TCompressionLevel::clMax;
  throw UsageError("--level must be none, fastest, default or max, not \"" + *text + "\"");
}

int reportFailure(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  return 1;
}

}  // namespace velorina::tools
