#include "scene/records/SceneStreamWriter.h"

#include "scene/records/Overloaded.h"

#include <unordered_map>

#include "archive/MemoryStream.h"
#include "archive/Messages.h"
#include "archive/Wad.h"
#include "platform/render/D3DTypes.h"
#include "scene/records/StreamVersion.h"

namespace velorina {

namespace {

constexpr std::size_t kTexturePairs = TTextureNames::kCount / 2;


// Texture names to their line in the texture text; the first of equal names wins.
class TextureIndex {
 public:
  explicit TextureIndex(const std::vector<std::string>& names) {
    index_.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      index_.emplace(upperAscii(names[i]), static_cast<std::int16_t>(i));
    }
  }
  std::int16_t of(const std::string& name) const {
    if (name.empty()) return -1;
    const auto it = index_.find(upperAscii(name));
    return it == index_.end() ? std::int16_t{-1} : it->second;
  }

 private:
  std::unordered_map<std::string, std::int16_t> index_;
};

void writeShortName(Stream& out, const std::string& name) {
  out.writeU8(static_cast<std::uint8_t>(name.size()));
  out.writeExact(name.data(), name.size());
}

// The table of a single texture name: one pair (name, none), or no pairs.
void writeSingleTable(Stream& out, const std::string& name, const TextureIndex& index) {
  if (name.empty()) {
    out.writeI16(0);
    return;
  }
  out.writeI16(1);
  out.writeI16(index.of(name));
  out.writeI16(-1);
}

// Every pair up to the last whose image name is set.
void writePairTable(Stream& out, const TTextureNames& names, const TextureIndex& index) {
  std::size_t pairs = 0;
  for (const auto& [entry, name] : names.entries()) {
    if (entry % 2 == 0 && entry / 2u < kTexturePairs) pairs = entry / 2u + 1;
  }
  out.writeI16(static_cast<std::int16_t>(pairs));
  for (std::size_t p = 0; p < pairs; ++p) {
    out.writeI16(index.of(names.get(2 * p)));
    out.writeI16(index.of(names.get(2 * p + 1)));
  }
}

void writeObject(Stream& out, const SceneObjectEntry& entry, const TextureIndex& index) {
  out.writeU8(static_cast<std::uint8_t>(kindOfRecord(entry.Record)));
  std::visit(Overloaded{
                 [&](const TD3DQuadrangleInfo& q) {
                   writeSingleTable(out, q.TextureName, index);
                   q.write(out);
                 },
                 [&](const TD3DPolygonInfo& p) {
                   writePairTable(out, p.TextureNames, index);
                   p.write(out);
                 },
                 [&](const TD3DSphereInfo& s) {
                   writePairTable(out, s.TextureNames, index);
                   s.write(out);
                 },
                 [&](const TD3DTextInfo& t) {
                   writePairTable(out, t.TextureNames, index);
                   t.write(out);
                 },
                 [&](const TD3DSceneInfo& s) {
                   out.writeExact(s.Name.data(), s.Name.size());
                   out.writeU8(0);
                   s.write(out);
                 },
             },
             entry.Record);
}

const std::string& soundName(const SceneSoundEntry& entry) {
  const auto* wave = std::get_if<TD3DSoundInfo>(&entry.Record);
  return entry.Name.empty() && wave != nullptr ? wave->WaveName : entry.Name;
}

std::size_t pointsOf(const TD3DPolygonInfo& p) { return p.Merged ? p.Vertices.size() : p.Points.size(); }

}  // namespace

ObjectKind kindOfRecord(const SceneObjectRecord& record) {
  return std::visit(Overloaded{
                        [](const TD3DQuadrangleInfo&) { return ObjectKind::Quadrangle; },
                        [](const TD3DPolygonInfo&) { return ObjectKind::Polygon; },
                        [](const TD3DSphereInfo&) { return ObjectKind::Sphere; },
                        [](const TD3DTextInfo&) { return ObjectKind::Text; },
                        [](const TD3DSceneInfo&) { return ObjectKind::Scene; },
                    },
                    record);
}

std::string joinTextureText(const std::vector<std::string>& names) {
  std::size_t length = 0;
  for (const auto& n : names) length += n.size() + 2;
  std::string text;
  text.reserve(length);
  for (const auto& n : names) {
    text += n;
    text += "\r\n";
  }
  return text;
}

SceneStreamWriter::SceneStreamWriter(std::string target) : target_(std::move(target)) {}

void SceneStreamWriter::refuse(const char* section, std::optional<std::int64_t> record, std::string detail) const {
  throw EStreamError(messages::kStreamWriteError,
                     ErrorContext{target_, record, std::nullopt, std::string("the ") + section + " section: " + detail});
}

void SceneStreamWriter::check(const SceneDocument& doc) const {
  if (doc.Textures.size() > kMaxTextureNames) {
    refuse("texture text", std::nullopt,
           std::to_string(doc.Textures.size()) + " texture names, more than the " + std::to_string(kMaxTextureNames) +
               " a stream can index");
  }
  for (std::size_t i = 0; i < doc.Textures.size(); ++i) {
    if (doc.Textures[i].find_first_of("\r\n") != std::string::npos) {
      refuse("texture text", static_cast<std::int64_t>(i), "a texture name holds a line break");
    }
  }
  for (std::size_t i = 0; i < doc.Objects.size(); ++i) {
    const auto record = static_cast<std::int64_t>(i);
    const SceneObjectRecord& r = doc.Objects[i].Record;
    if (const auto* p = std::get_if<TD3DPolygonInfo>(&r)) {
      if (p->PointCount < 0 || static_cast<std::size_t>(p->PointCount) != pointsOf(*p)) {
        refuse("objects", record,
               "a polygon counts " + std::to_string(p->PointCount) + " points but holds " +
                   std::to_string(pointsOf(*p)));
      }
    } else if (const auto* t = std::get_if<TD3DTextInfo>(&r)) {
      if (t->Text.size() > kMaxText) {
        refuse("objects", record, "a text of " + std::to_string(t->Text.size()) + " characters, more than 65,535");
      }
    } else if (const auto* s = std::get_if<TD3DSceneInfo>(&r)) {
      if (s->Name.find('\0') != std::string::npos) refuse("objects", record, "a nested scene's name holds a zero byte");
    }
  }
  auto checkName = [&](const char* section, std::size_t i, const std::string& name) {
    if (name.size() > kMaxShortName) {
      refuse(section, static_cast<std::int64_t>(i),
             "the name \"" + name.substr(0, 40) + "...\" is " + std::to_string(name.size()) +
                 " bytes long, more than 255");
    }
  };
  for (std::size_t i = 0; i < doc.Sounds.size(); ++i) checkName("sounds", i, soundName(doc.Sounds[i]));
  for (std::size_t i = 0; i < doc.Data.size(); ++i) checkName("data", i, doc.Data[i].Name);
  for (std::size_t i = 0; i < doc.Names.size(); ++i) checkName("names", i, doc.Names[i]);
}

void SceneStreamWriter::write(const SceneDocument& doc, Stream& out) const {
  const ByteBuffer bytes = write(doc);
  out.writeBytes(bytes);
}

ByteBuffer SceneStreamWriter::write(const SceneDocument& doc) const {
  check(doc);
  MemoryStream out;
  out.writeExact("SCENEDEF", 8);
  out.writeU32(static_cast<std::uint32_t>(stream_version::kCurrent));
  const std::string text = joinTextureText(doc.Textures);
  out.writeU32(static_cast<std::uint32_t>(text.size()));
  out.writeExact(text.data(), text.size());
  const TextureIndex index(doc.Textures);

  out.writeU32(static_cast<std::uint32_t>(doc.Objects.size()));
  for (const auto& entry : doc.Objects) writeObject(out, entry, index);

  out.writeU32(static_cast<std::uint32_t>(doc.Sounds.size()));
  for (const auto& entry : doc.Sounds) {
    std::visit(Overloaded{
                   [&](const TD3DSoundInfo& s) {
                     out.writeU8(static_cast<std::uint8_t>(ObjectKind::Sound));
                     writeShortName(out, soundName(entry));
                     s.write(out);
                   },
                   [&](const TD3DToneInfo& t) {
                     out.writeU8(static_cast<std::uint8_t>(ObjectKind::Tone));
                     t.write(out);
                   },
               },
               entry.Record);
  }

  out.writeU32(static_cast<std::uint32_t>(doc.Data.size()));
  for (const auto& d : doc.Data) {
    writeShortName(out, d.Name);
    d.write(out);
  }

  out.writeU32(static_cast<std::uint32_t>(doc.Names.size()));
  for (const auto& n : doc.Names) writeShortName(out, n);

  std::uint32_t actions = 0;
  for (const auto& a : doc.Actions) actions += a.Temporary == 0 ? 1 : 0;
  out.writeU32(actions);
  for (const auto& a : doc.Actions) {
    if (a.Temporary == 0) a.write(out);
  }

  out.writeU32(static_cast<std::uint32_t>(doc.Lights.size()));
  for (const auto& l : doc.Lights) l.write(out);
  return out.release();
}

}  // namespace velorina
