#include "scene/objects/Tone.h"

#include <cmath>

#include "scene/objects/ObjectIdCounter.h"

namespace velorina {
namespace {

// A stored enumeration byte, or `fallback` when the byte names no value (a damaged
// or newer world).
template <typename Enum>
Enum enumOrDefault(std::uint8_t stored, Enum last, Enum fallback) {
  return stored <= static_cast<std::uint8_t>(last) ? static_cast<Enum>(stored) : fallback;
}

}  // namespace

TD3DTone::TD3DTone(ToneGenHost& host, const TD3DToneInfo& Info, AudioStart start)
    : info_(Info), generator_(std::make_unique<TToneGen>(host)) {
  ObjectIdCounter::increment();
  configureGenerator();
  Prepare();
  if (start == AudioStart::Play) Play();
}

std::unique_ptr<TD3DTone> TD3DTone::CreateFromStream(ByteReader& in, ToneGenHost& host, AudioStart start) {
  const TD3DToneInfo info = TD3DToneInfo::read(in);
  return std::make_unique<TD3DTone>(host, info, start);
}

TD3DTone::~TD3DTone() { Stop(); }

void TD3DTone::configureGenerator() {
  TToneGen& g = *generator_;
  g.SetLoop(info_.Loop != 0);
  g.SetAsync(true);
  g.SetFrequency(info_.Frequency);
  g.SetDuration(info_.Duration);
  g.SetWaveform(enumOrDefault(info_.Waveform, TTGWave::tgNoise, TTGWave::tgSine));
  g.SetAttack(info_.Attack);
  g.SetDecay(info_.Decay);
  g.SetSustain(info_.Sustain);
  g.SetRelease(info_.Release);
  g.SetResolution(enumOrDefault(info_.Resolution, TTGResolution::tg8Bit, TTGResolution::tg16Bit));
  g.SetQuality(enumOrDefault(info_.Quality, TTGQuality::tgLoQ, TTGQuality::tgHiQ));
}

void TD3DTone::SetListenerPosition(const D3DVECTOR& v) {
  if (v == listenerPosition_) return;
  listenerPosition_ = v;
  const float d = DistanceTo(listenerPosition_);
  if (!(info_.Range > 0) || !(d < info_.Range)) return;
  const int percent = static_cast<int>(std::lround((1.0 - static_cast<double>(d) / info_.Range) * 100.0));
  generator_->SetLeftVolume(percent);
  generator_->SetRightVolume(percent);
  Prepare();
  Play();
}

void TD3DTone::LoadFromStream(ByteReader& in, std::int32_t /*version*/) {
  info_ = TD3DToneInfo::read(in);
  configureGenerator();
}

void TD3DTone::Prepare() { generator_->PrepareADSR(); }

void TD3DTone::Play() { generator_->PlayADSR(); }

void TD3DTone::Stop() { generator_->Stop(); }

void TD3DTone::MoveBy(const D3DVECTOR& v) { info_.Position = VectorAdd(info_.Position, v); }

void TD3DTone::Rotate(const D3DVECTOR& a) { info_.Position = RotatedPosition(info_.Position, a); }

float TD3DTone::DistanceTo(const D3DVECTOR& p) const { return VectorMagnitude(VectorSub(p, info_.Position)); }

}  // namespace velorina
