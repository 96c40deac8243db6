#include "scene/records/SoundInfo.h"

#include "scene/records/RecordVectors.h"

#include "scene/records/StreamVersion.h"

namespace velorina {

TD3DSoundInfo TD3DSoundInfo::read(ByteReader& in, std::int32_t version) {
  TD3DSoundInfo s;
  s.ID = in.i32();
  s.Position = readVector(in);
  if (version >= stream_version::kV116) {
    s.Doppler = in.u8() != 0;
    if (s.Doppler) s.SpeedOfSound = in.f32();
  }
  s.Range = in.f32();
  s.Looped = in.u8() != 0;
  s.Enabled = in.u8() != 0;
  return s;
}

void TD3DSoundInfo::write(Stream& out) const {
  out.writeI32(ID);
  writeVector(out, Position);
  out.writeU8(Doppler ? 1 : 0);
  if (Doppler) out.writeF32(SpeedOfSound);
  out.writeF32(Range);
  out.writeU8(Looped ? 1 : 0);
  out.writeU8(Enabled ? 1 : 0);
}

TD3DToneInfo TD3DToneInfo::read(ByteReader& in) {
  TD3DToneInfo t;
  t.ID = in.i32();
  t.Position = readVector(in);
  t.Range = in.f32();
  t.Loop = in.u8();
  in.skip(1);
  t.Frequency = in.i16();
  t.Duration = in.i16();
  t.Waveform = in.u8();
  in.skip(1);
  t.Attack = in.i16();
  t.Decay = in.i16();
  t.Sustain = in.i16();
  t.Release = in.i16();
  t.Resolution = in.u8();
  t.Quality = in.u8();
  in.skip(2);
  return t;
}

void TD3DToneInfo::write(Stream& out) const {
  out.writeI32(ID);
  writeVector(out, Position);
  out.writeF32(Range);
  out.writeU8(Loop);
  out.writeU8(0);
  out.writeI16(Frequency);
  out.writeI16(Duration);
  out.writeU8(Waveform);
  out.writeU8(0);
  for (auto v : {Attack, Decay, Sustain, Release}) out.writeI16(v);
  out.writeU8(Resolution);
  out.writeU8(Quality);
  out.writeU16(0);
}

}  // namespace velorina
