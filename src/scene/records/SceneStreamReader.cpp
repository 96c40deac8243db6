#include "scene/records/SceneStreamReader.h"

#include <algorithm>
#include <cstring>

#include "archive/Messages.h"
#include "scene/records/StreamVersion.h"

namespace velorina {

namespace {

constexpr char kMagic[8] = {'S', 'C', 'E', 'N', 'E', 'D', 'E', 'F'};
constexpr std::size_t kMaxTexturePairs = 192;

}  // namespace

std::vector<std::string> splitTextureText(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

SceneStreamReader::SceneStreamReader(std::span<const std::uint8_t> bytes, std::string source)
    : in_(bytes, source), source_(std::move(source)) {}

template <typename F>
void SceneStreamReader::section(const char* name, F&& body) {
  section_ = name;
  record_ = -1;
  body();
}

void SceneStreamReader::read(SceneDocument& doc) {
  if (in_.remaining() <= 8) return;
  try {
    const auto magic = in_.bytes(8);
    if (std::memcmp(magic.data(), kMagic, 8) == 0) {
      readHeaded(doc);
    } else {
      in_.seek(0);
      readHeaderless(doc);
    }
  } catch (const EStreamError& e) {
    ErrorContext ctx = e.context();
    ctx.file = source_;
    ctx.record = record_ >= 0 ? std::optional<std::int64_t>(record_) : std::nullopt;
    if (!ctx.offset) ctx.offset = static_cast<std::int64_t>(in_.offset());
    ctx.detail = std::string("the ") + section_ + " section ends early" + (ctx.detail.empty() ? "" : ": " + ctx.detail);
    throw EStreamError(e.what(), std::move(ctx));
  }
}

std::uint32_t SceneStreamReader::readCount(std::size_t minRecordSize) {
  const std::size_t at = in_.offset();
  const std::uint32_t count = in_.u32();
  if (minRecordSize > 0 && count > in_.remaining() / minRecordSize) {
    throw EStreamError(messages::kStreamReadError,
                       ErrorContext{{}, std::nullopt, static_cast<std::int64_t>(at),
                                    "count " + std::to_string(count) + " exceeds the " +
                                        std::to_string(in_.remaining()) + " bytes that remain"});
  }
  return count;
}

std::string SceneStreamReader::readShortName() { return in_.string(in_.u8()); }

std::string SceneStreamReader::readZeroTerminatedName() {
  std::string name;
  for (;;) {
    if (in_.atEnd()) {
      throw EStreamError(messages::kStreamReadError, ErrorContext{{}, std::nullopt, static_cast<std::int64_t>(in_.offset()),
                                                                  "a nested scene's name has no terminating zero"});
    }
    const char c = static_cast<char>(in_.u8());
    if (c == '\0') return name;
    name += c;
  }
}

void SceneStreamReader::readTextureText(SceneDocument& doc) {
  const std::uint32_t length = readCount(1);
  const auto text = in_.bytes(length);
  doc.Textures = splitTextureText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
}

TTextureNames SceneStreamReader::readTextureTable(const SceneDocument& doc) {
  TTextureNames names;
  const std::int16_t pairs = in_.i16();
  if (pairs < 1) return names;
  if (static_cast<std::size_t>(pairs) * 4 > in_.remaining()) {
    throw EStreamError(messages::kStreamReadError,
                       ErrorContext{{}, std::nullopt, static_cast<std::int64_t>(in_.offset() - 2),
                                    "a texture table of " + std::to_string(pairs) + " pairs passes the end"});
  }
  for (std::int16_t i = 0; i < pairs; ++i) {
    const std::int16_t image = in_.i16();
    const std::int16_t mask = in_.i16();
    if (static_cast<std::size_t>(i) >= kMaxTexturePairs) continue;  // read but ignored
    auto line = [&](std::int16_t index) {
      return index >= 0 && static_cast<std::size_t>(index) < doc.Textures.size() ? doc.Textures[index] : std::string();
    };
    names.set(2 * static_cast<std::size_t>(i), line(image));
    names.set(2 * static_cast<std::size_t>(i) + 1, line(mask));
  }
  return names;
}

void SceneStreamReader::readObject(SceneDocument& doc, std::int32_t version) {
  const std::uint8_t kind = in_.u8();
  if (kind == d3dValue(ObjectKind::None)) return;
  SceneObjectEntry entry;
  entry.Kind = kind;
  if (kind == d3dValue(ObjectKind::Scene)) {
    std::string name = readZeroTerminatedName();
    TD3DSceneInfo info = TD3DSceneInfo::read(in_);
    info.Name = name;
    entry.Name = std::move(name);
    entry.Record = std::move(info);
    doc.Objects.push_back(std::move(entry));
    return;
  }
  entry.TextureNames = readTextureTable(doc);
  switch (static_cast<ObjectKind>(kind)) {
    case ObjectKind::Quadrangle: {
      TD3DQuadrangleInfo q = TD3DQuadrangleInfo::read(in_, version);
      q.TextureName = entry.TextureNames.get(0);
      entry.Record = std::move(q);
      break;
    }
    case ObjectKind::Polygon:
      entry.Record = TD3DPolygonInfo::read(in_, version);
      std::get<TD3DPolygonInfo>(entry.Record).TextureNames = entry.TextureNames;
      break;
    case ObjectKind::Sphere:
      entry.Record = TD3DSphereInfo::read(in_, version);
      std::get<TD3DSphereInfo>(entry.Record).TextureNames = entry.TextureNames;
      break;
    case ObjectKind::Text:
      entry.Record = TD3DTextInfo::read(in_, version);
      std::get<TD3DTextInfo>(entry.Record).TextureNames = entry.TextureNames;
      break;
    default:
      return;  // an unknown kind: the texture table only, no object
  }
  doc.Objects.push_back(std::move(entry));
}

void SceneStreamReader::readSounds(SceneDocument& doc, std::int32_t version, bool headerless) {
  const std::uint32_t count = readCount(1);
  for (std::uint32_t i = 0; i < count; ++i) {
    record_ = i;
    const std::uint8_t kind = in_.u8();
    SceneSoundEntry entry;
    entry.Kind = kind;
    if (kind == d3dValue(ObjectKind::Sound)) {
      entry.Name = readShortName();
      TD3DSoundInfo s = TD3DSoundInfo::read(in_, version);
      s.WaveName = entry.Name;
      entry.Record = std::move(s);
    } else if (kind == d3dValue(ObjectKind::Tone)) {
      entry.Record = TD3DToneInfo::read(in_);
      if (headerless) entry.Name = "Tone";
    } else {
      continue;  // any other kind byte: nothing more is read
    }
    doc.Sounds.push_back(std::move(entry));
  }
}

void SceneStreamReader::readOptionalSections(SceneDocument& doc, std::int32_t version) {
  section("data", [&] {
    if (in_.atEnd()) return;
    const std::uint32_t count = readCount(5);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      std::string name = readShortName();
      TCustomDataInfo d = TCustomDataInfo::read(in_);
      d.Name = std::move(name);
      doc.Data.push_back(std::move(d));
    }
  });
  section("names", [&] {
    if (in_.atEnd()) return;
    const std::uint32_t count = readCount(1);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      doc.Names.push_back(readShortName());
    }
  });
  section("actions", [&] {
    if (in_.atEnd()) return;
    const std::uint32_t count = readCount(TD3DActionInfo::kStoredSize);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      doc.Actions.push_back(TD3DActionInfo::read(in_));
    }
  });
  section("lights", [&] {
    if (in_.atEnd()) return;
    const std::uint32_t count = readCount(29);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      doc.Lights.push_back(TD3DSceneLightInfo::read(in_, version));
    }
  });
}

void SceneStreamReader::readHeaded(SceneDocument& doc) {
  doc.Form = SceneStreamForm::Headed;
  section("header", [&] { doc.Version = static_cast<std::int32_t>(in_.u32()); });
  section("texture text", [&] { readTextureText(doc); });
  section("objects", [&] {
    const std::uint32_t count = readCount(1);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      readObject(doc, doc.Version);
    }
  });
  section("sounds", [&] { readSounds(doc, doc.Version, false); });
  readOptionalSections(doc, doc.Version);
}

void SceneStreamReader::readHeaderlessObject(SceneDocument& doc) {
  const std::uint8_t kind = in_.u8();
  if (kind == 0) return;
  SceneObjectEntry entry;
  entry.Kind = kind;
  entry.Name = readShortName();
  constexpr std::int32_t kOldest = 0;
  switch (static_cast<ObjectKind>(kind)) {
    case ObjectKind::Quadrangle: {
      TD3DQuadrangleInfo q = TD3DQuadrangleInfo::read(in_, kOldest);
      q.TextureName = entry.Name;
      entry.TextureNames.set(0, entry.Name);
      entry.Record = std::move(q);
      break;
    }
    case ObjectKind::Polygon:
    case ObjectKind::Sphere: {
      entry.TextureNames.set(0, entry.Name);
      const std::int8_t frames = in_.i8();
      entry.TextureNames.set(1, readShortName());
      for (int k = 1; k < frames; ++k) {
        std::string image = readShortName();
        std::string mask = readShortName();
        if (static_cast<std::size_t>(k) < kMaxTexturePairs) {
          entry.TextureNames.set(2 * static_cast<std::size_t>(k), std::move(image));
          entry.TextureNames.set(2 * static_cast<std::size_t>(k) + 1, std::move(mask));
        }
      }
      if (kind == d3dValue(ObjectKind::Polygon)) {
        TD3DPolygonInfo p = TD3DPolygonInfo::read(in_, kOldest);
        p.TextureNames = entry.TextureNames;
        entry.Record = std::move(p);
      } else {
        TD3DSphereInfo s = TD3DSphereInfo::read(in_, kOldest);
        s.TextureNames = entry.TextureNames;
        entry.Record = std::move(s);
      }
      break;
    }
    case ObjectKind::Scene: {
      TD3DSceneInfo info = TD3DSceneInfo::read(in_);
      info.Name = entry.Name;
      entry.Record = std::move(info);
      break;
    }
    default:
      return;  // text and unknown kinds: no object, nothing more read
  }
  doc.Objects.push_back(std::move(entry));
}

void SceneStreamReader::readHeaderless(SceneDocument& doc) {
  doc.Form = SceneStreamForm::Headerless;
  doc.Version = 0;
  section("objects", [&] {
    const std::uint32_t count = readCount(1);
    for (std::uint32_t i = 0; i < count; ++i) {
      record_ = i;
      readHeaderlessObject(doc);
    }
  });
  section("sounds", [&] { readSounds(doc, 0, true); });
  readOptionalSections(doc, 0);
}

}  // namespace velorina
