#include "scene/records/PolygonInfo.h"

#include "scene/records/RecordVectors.h"

#include <cstring>

#include "archive/Messages.h"
#include "scene/records/StreamVersion.h"

namespace velorina {

namespace {

void readPoints(ByteReader& in, TD3DPolygonInfo& p) {
  const auto count = static_cast<std::size_t>(p.PointCount);
  if (p.Merged) {
    p.Vertices.resize(count);
    for (auto& v : p.Vertices) {
      v.x = in.f32();
      v.y = in.f32();
      v.z = in.f32();
      v.dwReserved = in.u32();
      v.color = in.u32();
      v.specular = in.u32();
      v.tu = in.f32();
      v.tv = in.f32();
    }
  } else {
    p.Points.resize(count);
    for (auto& pt : p.Points) pt = readVector(in);
  }
}

void readCurrent(ByteReader& in, TD3DPolygonInfo& p) {
  p.ID = in.i32();
  p.Color = in.u32();
  p.TexScaleU = in.f32();
  p.TexScaleV = in.f32();
  p.TexOffsetU = in.f32();
  p.TexOffsetV = in.f32();
  p.TexMode = in.u8();
  p.FixedDistance = in.i32();
  p.PointCount = in.i16();
  p.FrameCount = in.i16();
  p.FramePeriod = in.f32();
  p.PrimitiveType = in.i32();
  p.BlendMode = in.u8();
  p.CullMode = in.i32();
}

void readOld(ByteReader& in, TD3DPolygonInfo& p, std::int32_t version) {
  p.ID = in.i32();
  p.Color = in.u32();
  p.TexScaleU = in.f32();
  p.TexScaleV = in.f32();
  if (version >= stream_version::kV100) {
    p.TexOffsetU = in.f32();
    p.TexOffsetV = in.f32();
    p.TexMode = in.u8();
  }
  p.FixedDistance = in.i32();
  if (version >= stream_version::kV100) {
    p.PointCount = in.i16();
    p.FrameCount = in.i16();
    p.FramePeriod = in.f32();
  } else {
    p.PointCount = in.u8();
    p.FrameCount = in.u8();
    p.FramePeriod = static_cast<float>(in.f64());
  }
  p.PrimitiveType = in.i32();
  p.BlendMode = in.u8();
  p.CullMode = in.i32();
}

}  // namespace

TD3DPolygonInfo TD3DPolygonInfo::read(ByteReader& in, std::int32_t version) {
  TD3DPolygonInfo p;
  if (version >= stream_version::kV107) {
    if (version >= stream_version::kV108) p.Merged = in.u8() != 0;
    readCurrent(in, p);
  } else {
    readOld(in, p, version);
  }
  if (p.PointCount < 0) {
    throw EStreamError(messages::kStreamReadError,
                       ErrorContext{{}, std::nullopt, static_cast<std::int64_t>(in.offset()),
                                    "negative point count " + std::to_string(p.PointCount)});
  }
  readPoints(in, p);
  return p;
}

void TD3DPolygonInfo::write(Stream& out) const {
  out.writeU8(Merged ? 1 : 0);
  out.writeI32(ID);
  out.writeU32(Color);
  out.writeF32(TexScaleU);
  out.writeF32(TexScaleV);
  out.writeF32(TexOffsetU);
  out.writeF32(TexOffsetV);
  out.writeU8(TexMode);
  out.writeI32(FixedDistance);
  out.writeI16(PointCount);
  out.writeI16(FrameCount);
  out.writeF32(FramePeriod);
  out.writeI32(PrimitiveType);
  out.writeU8(BlendMode);
  out.writeI32(CullMode);
  if (Merged) {
    for (const auto& v : Vertices) {
      for (float f : {v.x, v.y, v.z}) out.writeF32(f);
      out.writeU32(v.dwReserved);
      out.writeU32(v.color);
      out.writeU32(v.specular);
      out.writeF32(v.tu);
      out.writeF32(v.tv);
    }
  } else {
    for (const auto& p : Points) {
      out.writeF32(p.x);
      out.writeF32(p.y);
      out.writeF32(p.z);
    }
  }
}

bool TD3DPolygonInfo::operator==(const TD3DPolygonInfo& o) const {
  auto sameVertices = [&] {
    return Vertices.size() == o.Vertices.size() &&
           (Vertices.empty() || std::memcmp(Vertices.data(), o.Vertices.data(), Vertices.size() * sizeof(D3DLVERTEX)) == 0);
  };
  return Merged == o.Merged && ID == o.ID && Color == o.Color && TexScaleU == o.TexScaleU &&
         TexScaleV == o.TexScaleV && TexOffsetU == o.TexOffsetU && TexOffsetV == o.TexOffsetV &&
         TexMode == o.TexMode && FixedDistance == o.FixedDistance && PointCount == o.PointCount &&
         FrameCount == o.FrameCount && FramePeriod == o.FramePeriod && PrimitiveType == o.PrimitiveType &&
         BlendMode == o.BlendMode && CullMode == o.CullMode && Points == o.Points && sameVertices() &&
         TextureNames == o.TextureNames;
}

}  // namespace velorina
