// Opens the input as wave data and decodes it through a voice: the paths a wave
// from a world archive takes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sound/SoundDevice.h"
#include "platform/sound/SoundError.h"
#include "platform/sound/capture/CaptureAudioOutput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  std::unique_ptr<WaveReader> reader;
  try {
    reader = WaveReader::openMemory({data, size}, "fuzz");
  } catch (const ESoundError&) {
    return 0;
  }
  // Decode a bounded amount directly, then seek and mix through a voice.
  std::vector<float> frames(256 * static_cast<std::size_t>(reader->format().channels));
  for (int block = 0; block < 64 && reader->readFrames(frames.data(), 256) > 0; ++block) {
  }
  reader->seekFrame(reader->format().frames / 2);
  reader->seekFrame(0);

  auto output = std::make_unique<CaptureAudioOutput>(48000);
  CaptureAudioOutput* capture = output.get();
  SoundDevice device(std::move(output));
  auto sound = device.createBuffer(std::move(reader));
  sound->setFrequency(size > 0 ? 100 + data[0] * 391 : 0);
  sound->setLoop(size > 1 && (data[1] & 1) ? LoopMode::Loop : LoopMode::Once);
  sound->play();
  for (int block = 0; block < 8; ++block) capture->render(512);
  return 0;
}
