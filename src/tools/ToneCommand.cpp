// velorina-tool tone: writes the WAVE image the tone generator synthesises, and
// plays it on request.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "archive/AtomicFile.h"
#include "audio/StderrMessageReporter.h"
#include "audio/ToneGen.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool tone [--frequency HZ] [--duration MS]\n"
    "           [--waveform sine|square|triangle|sawtooth|noise]\n"
    "           [--attack P] [--decay P] [--sustain P] [--release P]\n"
    "           [--resolution 16|8] [--quality hi|lo] [--adsr] [--play] -o|--out OUT.wav\n"
    "\n"
    "Synthesises a mono tone and writes its WAVE image (44-byte header and samples)\n"
    "to OUT.wav. Defaults: 440 Hz, 100 ms, sine, attack 10, decay 20, sustain 50,\n"
    "release 30 (percent), 16 bits, hi quality (96000 Hz; lo is 44100 Hz).\n"
    "--adsr shapes the tone with the envelope; --play also plays it and waits for the\n"
    "end (silently when there is no audio device). Ranges: frequency 20..20000,\n"
    "duration 10..32767, attack, decay, sustain and release 0..100.\n";

// The generator would replace a value out of range by the nearer limit after a
// message that cannot say which option was wrong; the command refuses it instead.
int intOption(const ParsedArgs& p, std::string_view name, int fallback, int low, int high) {
  const auto text = p.value(name);
  if (!text) return fallback;
  return static_cast<int>(parseRanged(name, *text, low, high));
}

TTGWave parseWaveform(const std::string& text) {
  constexpr std::pair<const char*, TTGWave> kNames[] = {{"sine", TTGWave::tgSine},
                                                        {"square", TTGWave::tgSquare},
                                                        {"triangle", TTGWave::tgTriangle},
                                                        {"sawtooth", TTGWave::tgSawtooth},
                                                        {"noise", TTGWave::tgNoise}};
  for (const auto& [name, wave] : kNames) {
    if (text == name) return wave;
  }
  throw UsageError("--waveform must be sine, square, triangle, sawtooth or noise, not \"" + text + "\"");
}

void configure(TToneGen& gen, const ParsedArgs& p) {
  gen.SetFrequency(intOption(p, "--frequency", gen.Frequency(), 20, 20000));
  gen.SetDuration(intOption(p, "--duration", gen.Duration(), 10, 32767));
  gen.SetAttack(intOption(p, "--attack", gen.Attack(), 0, 100));
  gen.SetDecay(intOption(p, "--decay", gen.Decay(), 0, 100));
  gen.SetSustain(intOption(p, "--sustain", gen.Sustain(), 0, 100));
  gen.SetRelease(intOption(p, "--release", gen.Release(), 0, 100));
  if (auto v = p.value("--waveform")) gen.SetWaveform(parseWaveform(*v));
  if (auto v = p.value("--resolution")) {
    if (*v != "16" && *v != "8") throw UsageError("--resolution must be 16 or 8, not \"" + *v + "\"");
    gen.SetResolution(*v == "16" ? TTGResolution::tg16Bit : TTGResolution::tg8Bit);
  }
  if (auto v = p.value("--quality")) {
    if (*v != "hi" && *v != "lo") throw UsageError("--quality must be hi or lo, not \"" + *v + "\"");
    gen.SetQuality(*v == "hi" ? TTGQuality::tgHiQ : TTGQuality::tgLoQ);
  }
}

int tone(const ParsedArgs& p) {
  const auto outPath = outputPath(p);
  if (!outPath) throw UsageError("tone needs -o OUT.wav");
  const bool play = p.flag("--play");
  const bool shaped = p.flag("--adsr");
  std::string noAudio;
  auto device = play ? SoundDevice::openDefault(&noAudio)
                     : std::make_unique<SoundDevice>(std::make_unique<NullAudioOutput>());
  if (!noAudio.empty()) std::fprintf(stderr, "velorina-tool tone: no audio device: sound is off\n");
  StderrMessageReporter reporter("velorina-tool tone");
  // Designing: out-of-range values are reported, and the tool leaves the device's
  // saved master volume alone.
  ToneGenHost host(*device, reporter, DesignMode::Designing);
  TToneGen gen(host);
  configure(gen, p);
  const bool prepared = shaped ? gen.PrepareADSR() : gen.Prepare();
  if (!prepared) throw UsageError(*outPath + ": not enough memory for the tone");

  AtomicFileWriter writer(*outPath);
  writer.stream().writeBytes(gen.Image());
  writer.commit();
  if (play) {
    gen.SetAsync(false);
    shaped ? gen.PlayADSR() : gen.Play();
  }
  return 0;
}

}  // namespace

int runToneCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args,
                                   {"--frequency", "--duration", "--waveform", "--attack", "--decay", "--sustain",
                                    "--release", "--resolution", "--quality", "-o", "--out"},
                                   {"--adsr", "--play"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!p.positional.empty()) throw UsageError("unexpected argument \"" + p.positional[0] + "\"");
    return tone(p);
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool tone: ") + e.what());
  }
}

}  // namespace velorina::tools
