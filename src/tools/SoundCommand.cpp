// velorina-tool sound: facts about wave files.
#include <cstdio>
#include <string>

#include "platform/sound/WaveReader.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/Json.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool sound info FILE\n"
    "\n"
    "Prints the container, encoding, channels, sample rate, frames and duration (in\n"
    "seconds) of a wave file as JSON.\n";

int info(const std::string& path) {
  const auto reader = WaveReader::openFile(path);
  const WaveFormat& f = reader->format();
  JsonWriter j;
  j.beginObject();
  j.field("File", path).field("Format", f.container).field("Encoding", f.encoding);
  j.field("Channels", static_cast<std::int64_t>(f.channels)).field("SampleRate", static_cast<std::int64_t>(f.sampleRate));
  j.field("Frames", static_cast<std::int64_t>(f.frames)).field("Duration", f.durationSeconds());
  j.endObject();
  std::printf("%s\n", j.text().c_str());
  return 0;
}

}  // namespace

int runSoundCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (p.positional.size() == 2 && p.positional[0] == "info") return info(p.positional[1]);
    throw UsageError("usage: velorina-tool sound info FILE");
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool sound: ") + e.what());
  }
}

}  // namespace velorina::tools
