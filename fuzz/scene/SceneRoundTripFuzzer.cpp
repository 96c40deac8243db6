// Builds a scene document of every record kind from the fuzz bytes, writes it as a
// scene stream and reads it back: the document must come back equal, and writing
// it again must give the same bytes.
#include <cstdint>
#include <cstdlib>
#include <set>

#include "archive/Wad.h"
#include "scene/records/SceneStreamReader.h"
#include "scene/records/SceneStreamWriter.h"

namespace {

using namespace velorina;

// Takes values from the fuzz bytes; zeros once they run out.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t u16() { return static_cast<std::uint16_t>(u8() | (u8() << 8)); }
  std::uint32_t u32() { return u16() | (static_cast<std::uint32_t>(u16()) << 16); }
  std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  bool flag() { return (u8() & 1) != 0; }
  // Finite values only: NaN never equals itself.
  float f32() { return static_cast<float>(i16()) / 16.0f; }
  D3DVECTOR vec() { return {f32(), f32(), f32()}; }
  std::string text(std::size_t most) {
    std::string s(u8() % (most + 1), ' ');
    for (char& c : s) c = static_cast<char>('0' + u8() % 75);
    return s;
  }
  std::size_t count(std::size_t most) { return u8() % (most + 1); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Texture names unique without regard to case, as a saved texture text holds them.
std::vector<std::string> textureNames(Input& in) {
  std::vector<std::string> names;
  std::set<std::string> keys;
  for (std::size_t i = in.count(6); i > 0; --i) {
    std::string name = in.text(12) + ".bmp";
    if (keys.insert(upperAscii(name)).second) names.push_back(std::move(name));
  }
  return names;
}

const std::string& pick(Input& in, const std::vector<std::string>& names) {
  static const std::string none;
  const std::size_t i = in.u8() % (names.size() + 1);
  return i < names.size() ? names[i] : none;
}

// A pair table whose last pair has an image, as the stored table can hold it.
TTextureNames table(Input& in, const std::vector<std::string>& names) {
  TTextureNames t;
  if (names.empty()) return t;
  const std::size_t pairs = in.count(3);
  for (std::size_t p = 0; p < pairs; ++p) {
    std::string image = pick(in, names);
    if (p + 1 == pairs && image.empty()) image = names[0];
    t.set(2 * p, image);
    t.set(2 * p + 1, pick(in, names));
  }
  return t;
}

SceneObjectEntry object(Input& in, const std::vector<std::string>& names) {
  SceneObjectEntry e;
  switch (in.u8() % 5) {
    case 0: {
      TD3DQuadrangleInfo q;
      q.ID = in.i32();
      for (auto& c : q.Corners) c = in.vec();
      q.FixedDistance = in.i32();
      q.Flags = in.u8();
      q.TexSpanU = in.f32(), q.TexSpanV = in.f32(), q.TexOffsetU = in.f32(), q.TexOffsetV = in.f32();
      for (auto& c : q.Colors) c = in.u32();
      q.Transparent = in.flag();
      q.TextureName = pick(in, names);
      e.TextureNames.set(0, q.TextureName);
      e.Record = q;
      break;
    }
    case 1: {
      TD3DPolygonInfo p;
      p.Merged = in.flag();
      p.ID = in.i32();
      p.Color = in.u32();
      p.TexScaleU = in.f32(), p.TexScaleV = in.f32(), p.TexOffsetU = in.f32(), p.TexOffsetV = in.f32();
      p.TexMode = in.u8();
      p.FixedDistance = in.i32();
      p.FrameCount = in.i16();
      p.FramePeriod = in.f32();
      p.PrimitiveType = in.i32();
      p.BlendMode = in.u8();
      p.CullMode = in.i32();
      p.PointCount = static_cast<std::int16_t>(in.count(9));
      for (int i = 0; i < p.PointCount; ++i) {
        if (p.Merged) {
          D3DLVERTEX v{};
          v.x = in.f32(), v.y = in.f32(), v.z = in.f32();
          v.dwReserved = in.u32(), v.color = in.u32(), v.specular = in.u32();
          v.tu = in.f32(), v.tv = in.f32();
          p.Vertices.push_back(v);
        } else {
          p.Points.push_back(in.vec());
        }
      }
      p.TextureNames = table(in, names);
      e.TextureNames = p.TextureNames;
      e.Record = p;
      break;
    }
    case 2: {
      TD3DSphereInfo s;
      s.ID = in.i32();
      s.Color = in.u32();
      s.TexScaleU = in.f32(), s.TexScaleV = in.f32(), s.TexOffsetU = in.f32(), s.TexOffsetV = in.f32();
      s.FrameCount = in.i16();
      s.FixedDistance = in.i32();
      s.FramePeriod = in.f32();
      s.Position = in.vec(), s.Angles = in.vec(), s.Scale = in.vec();
      s.BlendMode = in.u8();
      s.CullMode = in.i32();
      s.Stacks = in.u8(), s.Slices = in.u8();
      s.TextureNames = table(in, names);
      e.TextureNames = s.TextureNames;
      e.Record = s;
      break;
    }
    case 3: {
      TD3DTextInfo t;
      t.ID = in.i32();
      t.FrontColor = in.u32(), t.BackColor = in.u32();
      t.TexScaleU = in.f32(), t.TexScaleV = in.f32();
      t.FrontTexOffsetU = in.f32(), t.FrontTexOffsetV = in.f32(), t.BackTexOffsetU = in.f32(), t.BackTexOffsetV = in.f32();
      t.FrameCount = in.i16();
      t.FixedDistance = in.i32();
      t.FramePeriod = in.f32();
      t.Position = in.vec(), t.Angles = in.vec(), t.Scale = in.vec();
      t.BlendMode = in.u8();
      t.Sides = in.flag();
      t.ShearX = in.f32(), t.ShearY = in.f32();
      t.Filled = in.flag();
      t.Text = in.text(40);
      t.TextureNames = table(in, names);
      e.TextureNames = t.TextureNames;
      e.Record = t;
      break;
    }
    default: {
      TD3DSceneInfo s;
      s.ID = in.i32();
      s.Position = in.vec(), s.Rotation = in.vec();
      s.Name = in.text(20);
      e.Name = s.Name;
      e.Record = s;
      break;
    }
  }
  e.Kind = static_cast<std::uint8_t>(kindOfRecord(e.Record));
  return e;
}

SceneDocument document(Input& in) {
  SceneDocument doc;
  doc.Version = 117;
  doc.Textures = textureNames(in);
  for (std::size_t i = in.count(8); i > 0; --i) doc.Objects.push_back(object(in, doc.Textures));
  for (std::size_t i = in.count(3); i > 0; --i) {
    if (in.flag()) {
      TD3DSoundInfo s;
      s.ID = in.i32();
      s.Position = in.vec();
      s.Doppler = in.flag();
      if (s.Doppler) s.SpeedOfSound = in.f32();
      s.Range = in.f32();
      s.Looped = in.flag(), s.Enabled = in.flag();
      s.WaveName = in.text(30);
      doc.Sounds.push_back({101, s.WaveName, s});
    } else {
      TD3DToneInfo t;
      t.ID = in.i32();
      t.Position = in.vec();
      t.Range = in.f32();
      t.Loop = in.u8();
      t.Frequency = in.i16(), t.Duration = in.i16();
      t.Waveform = in.u8();
      t.Attack = in.i16(), t.Decay = in.i16(), t.Sustain = in.i16(), t.Release = in.i16();
      t.Resolution = in.u8(), t.Quality = in.u8();
      doc.Sounds.push_back({102, {}, t});
    }
  }
  for (std::size_t i = in.count(3); i > 0; --i) doc.Data.push_back({in.text(30), in.i32()});
  for (std::size_t i = in.count(2); i > 0; --i) doc.Names.push_back(in.text(10));
  for (std::size_t i = in.count(3); i > 0; --i) {
    TD3DActionInfo a;
    a.Kind = in.u8();
    a.ID = in.i32();
    a.TargetKind = in.i32(), a.TargetID = in.i32();
    a.Vector1 = in.vec(), a.Vector2 = in.vec();
    a.Duration = in.f32();
    doc.Actions.push_back(a);
  }
  for (std::size_t i = in.count(3); i > 0; --i) {
    TD3DSceneLightInfo l;
    l.ID = in.i32();
    l.Color = in.u32(), l.Specular = in.u32();
    l.Range = in.f32(), l.RangeFactor = in.f32();
    l.Position = in.vec();
    l.LightType = in.u8();
    doc.Lights.push_back(l);
  }
  return doc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  const SceneDocument doc = document(in);
  const SceneStreamWriter writer("fuzz");
  const ByteBuffer bytes = writer.write(doc);
  SceneDocument back;
  SceneStreamReader(bytes, "fuzz").read(back);
  if (!(back == doc)) std::abort();
  if (writer.write(back) != bytes) std::abort();
  return 0;
}
