#include "tools/SceneJson.h"

#include "tools/Json.h"

namespace velorina::tools {

namespace {

void vec(JsonWriter& j, std::string_view name, const D3DVECTOR& v) {
  j.key(name).beginArray().value(v.x).value(v.y).value(v.z).endArray();
}

void record(JsonWriter& j, const TD3DQuadrangleInfo& q) {
  j.beginObject().field("ID", q.ID);
  j.key("Corners").beginArray();
  for (const auto& c : q.Corners) j.beginArray().value(c.x).value(c.y).value(c.z).endArray();
  j.endArray();
  j.field("FixedDistance", q.FixedDistance).field("Flags", q.Flags);
  j.field("TexSpanU", q.TexSpanU).field("TexSpanV", q.TexSpanV);
  j.field("TexOffsetU", q.TexOffsetU).field("TexOffsetV", q.TexOffsetV);
  j.key("Colors").beginArray();
  for (auto c : q.Colors) j.value(c);
  j.endArray();
  j.field("Transparent", q.Transparent).field("TextureName", q.TextureName).endObject();
}

void record(JsonWriter& j, const TD3DPolygonInfo& p) {
  j.beginObject().field("Merged", p.Merged).field("ID", p.ID).field("Color", p.Color);
  j.field("TexScaleU", p.TexScaleU).field("TexScaleV", p.TexScaleV);
  j.field("TexOffsetU", p.TexOffsetU).field("TexOffsetV", p.TexOffsetV).field("TexMode", p.TexMode);
  j.field("FixedDistance", p.FixedDistance).field("PointCount", static_cast<std::int32_t>(p.PointCount));
  j.field("FrameCount", static_cast<std::int32_t>(p.FrameCount)).field("FramePeriod", p.FramePeriod);
  j.field("PrimitiveType", p.PrimitiveType).field("BlendMode", p.BlendMode).field("CullMode", p.CullMode);
  j.key("Points").beginArray();
  if (p.Merged) {
    for (const auto& v : p.Vertices) {
      j.beginObject().key("Position").beginArray().value(v.x).value(v.y).value(v.z).endArray();
      j.field("Diffuse", v.color).field("Specular", v.specular).field("tu", v.tu).field("tv", v.tv).endObject();
    }
  } else {
    for (const auto& pt : p.Points) j.beginArray().value(pt.x).value(pt.y).value(pt.z).endArray();
  }
  j.endArray().endObject();
}

void record(JsonWriter& j, const TD3DSphereInfo& s) {
  j.beginObject().field("ID", s.ID).field("Color", s.Color);
  j.field("TexScaleU", s.TexScaleU).field("TexScaleV", s.TexScaleV);
  j.field("TexOffsetU", s.TexOffsetU).field("TexOffsetV", s.TexOffsetV);
  j.field("FrameCount", static_cast<std::int32_t>(s.FrameCount)).field("FixedDistance", s.FixedDistance);
  j.field("FramePeriod", s.FramePeriod);
  vec(j, "Position", s.Position);
  vec(j, "Angles", s.Angles);
  vec(j, "Scale", s.Scale);
  j.field("BlendMode", s.BlendMode).field("CullMode", s.CullMode).field("Stacks", s.Stacks).field("Slices", s.Slices);
  j.endObject();
}

void record(JsonWriter& j, const TD3DTextInfo& t) {
  j.beginObject().field("ID", t.ID).field("FrontColor", t.FrontColor).field("BackColor", t.BackColor);
  j.field("TexScaleU", t.TexScaleU).field("TexScaleV", t.TexScaleV);
  j.field("FrontTexOffsetU", t.FrontTexOffsetU).field("FrontTexOffsetV", t.FrontTexOffsetV);
  j.field("BackTexOffsetU", t.BackTexOffsetU).field("BackTexOffsetV", t.BackTexOffsetV);
  j.field("FrameCount", static_cast<std::int32_t>(t.FrameCount)).field("FixedDistance", t.FixedDistance);
  j.field("FramePeriod", t.FramePeriod);
  vec(j, "Position", t.Position);
  vec(j, "Angles", t.Angles);
  vec(j, "Scale", t.Scale);
  j.field("BlendMode", t.BlendMode).field("Sides", t.Sides).field("ShearX", t.ShearX).field("ShearY", t.ShearY);
  j.field("Filled", t.Filled).field("Text", t.Text).endObject();
}

void record(JsonWriter& j, const TD3DSceneInfo& s) {
  j.beginObject().field("ID", s.ID);
  vec(j, "Position", s.Position);
  vec(j, "Rotation", s.Rotation);
  j.field("Name", s.Name).endObject();
}

void record(JsonWriter& j, const TD3DSoundInfo& s) {
  j.beginObject().field("ID", s.ID);
  vec(j, "Position", s.Position);
  j.field("Doppler", s.Doppler).field("SpeedOfSound", s.SpeedOfSound).field("Range", s.Range);
  j.field("Looped", s.Looped).field("Enabled", s.Enabled).field("WaveName", s.WaveName).endObject();
}

void record(JsonWriter& j, const TD3DToneInfo& t) {
  j.beginObject().field("ID", t.ID);
  vec(j, "Position", t.Position);
  j.field("Range", t.Range).field("Loop", t.Loop).field("Frequency", static_cast<std::int32_t>(t.Frequency));
  j.field("Duration", static_cast<std::int32_t>(t.Duration)).field("Waveform", t.Waveform);
  j.field("Attack", static_cast<std::int32_t>(t.Attack)).field("Decay", static_cast<std::int32_t>(t.Decay));
  j.field("Sustain", static_cast<std::int32_t>(t.Sustain)).field("Release", static_cast<std::int32_t>(t.Release));
  j.field("Resolution", t.Resolution).field("Quality", t.Quality).endObject();
}

void textureNames(JsonWriter& j, const TTextureNames& names) {
  j.key("textureNames").beginArray();
  for (const auto& [index, name] : names.entries()) {
    j.beginObject().field("index", static_cast<std::uint32_t>(index)).field("name", name).endObject();
  }
  j.endArray();
}

}  // namespace

std::string sceneDocumentToJson(const SceneDocument& doc) {
  JsonWriter j;
  j.beginObject().field("version", doc.Version);
  j.field("form", doc.Form == SceneStreamForm::Headed ? "SCENEDEF" : "headerless");
  j.key("textures").beginArray();
  for (const auto& t : doc.Textures) j.value(std::string_view(t));
  j.endArray();
  j.key("objects").beginArray();
  for (const auto& o : doc.Objects) {
    j.beginObject().field("kind", o.Kind).field("name", o.Name).key("record");
    std::visit([&](const auto& r) { record(j, r); }, o.Record);
    textureNames(j, o.TextureNames);
    j.endObject();
  }
  j.endArray();
  j.key("sounds").beginArray();
  for (const auto& s : doc.Sounds) {
    j.beginObject().field("kind", s.Kind).field("name", s.Name).key("record");
    std::visit([&](const auto& r) { record(j, r); }, s.Record);
    j.endObject();
  }
  j.endArray();
  j.key("data").beginArray();
  for (const auto& d : doc.Data) j.beginObject().field("Name", d.Name).field("ID", d.ID).endObject();
  j.endArray();
  j.key("actions").beginArray();
  for (const auto& a : doc.Actions) {
    j.beginObject().field("Kind", a.Kind).field("ID", a.ID).field("TargetKind", a.TargetKind);
    j.field("TargetID", a.TargetID);
    vec(j, "Vector1", a.Vector1);
    vec(j, "Vector2", a.Vector2);
    j.field("Duration", a.Duration).field("Temporary", a.Temporary).endObject();
  }
  j.endArray();
  j.key("lights").beginArray();
  for (const auto& l : doc.Lights) {
    j.beginObject().field("ID", l.ID).field("Color", l.Color).field("Specular", l.Specular);
    j.field("Range", l.Range).field("RangeFactor", l.RangeFactor);
    vec(j, "Position", l.Position);
    j.field("LightType", l.LightType).endObject();
  }
  j.endArray().endObject();
  return j.text();
}

}  // namespace velorina::tools
