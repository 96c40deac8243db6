#include "shell/WorldHeader.h"

#include <algorithm>

namespace velorina {

namespace {

void writeString(Stream& out, const std::string& text) {
  const auto n = static_cast<std::int16_t>(std::min<std::size_t>(text.size(), 32767));
  out.writeI16(n);
  out.writeExact(text.data(), static_cast<std::size_t>(n));
}

}  // namespace

TWorldHeader TWorldHeader::shipped() {
  TWorldHeader h;
  h.MinX = -100.0f;
  h.MaxX = 100.0f;
  h.MinY = 0.0f;
  h.MaxY = 0.0f;
  h.MinZ = -100.0f;
  h.MaxZ = 100.0f;
  h.MoveSpeed = 6.0f;
  h.TurnFactor = 25.0f;
  h.MinFilter = 2;
  h.MagFilter = 2;
  h.Antialias = 1;
  h.Reserved = 32;
  h.DisplayWidth = 1024;
  h.DisplayHeight = 768;
  h.BackgroundColor = 0;
  h.Title = "Velorina 3D Player";
  h.MapName = "MAP01.D3D";
  return h;
}

void TWorldHeader::write(Stream& out) const {
  for (float f : {MinX, MaxX, MinY, MaxY, MinZ, MaxZ, MoveSpeed, TurnFactor}) out.writeF32(f);
  out.writeU32(MinFilter);
  out.writeU32(MagFilter);
  out.writeU8(Antialias);
  out.writeU8(Reserved);
  out.writeU32(DisplayWidth);
  out.writeU32(DisplayHeight);
  out.writeU32(BackgroundColor);
  writeString(out, Title);
  writeString(out, MapName);
}

}  // namespace velorina
