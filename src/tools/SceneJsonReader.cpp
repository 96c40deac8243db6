#include "tools/SceneJsonReader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "scene/records/StreamVersion.h"

namespace velorina::tools {

namespace {

using nlohmann::json;

// What a stored string may hold. Every name is stored as 8-bit characters and some
// are zero-terminated, so no name holds a zero; texture names are lines of the
// texture text, so they hold no line break either.
struct StringRule {
  std::size_t maxBytes = std::numeric_limits<std::size_t>::max();
  bool line = false;     // no CR or LF
  bool allowZero = false;
};

constexpr StringRule kTextureName{std::numeric_limits<std::size_t>::max(), true, false};
constexpr StringRule kShortName{255, false, false};  // stored after a one-byte length
constexpr StringRule kSceneName{std::numeric_limits<std::size_t>::max(), false, false};
constexpr StringRule kText{0xFFFF, false, true};     // stored after a two-byte length
constexpr StringRule kEntryName{std::numeric_limits<std::size_t>::max(), false, false};

const json& emptyObject() {
  static const json empty = json::object();
  return empty;
}

// A value of the description with its JSON path, for messages.
class Node {
 public:
  Node(const json& value, std::string path, const std::string& source)
      : value_(&value), path_(std::move(path)), source_(&source) {}

  const json& value() const { return *value_; }
  const std::string& path() const { return path_; }

  [[noreturn]] void fail(const std::string& problem) const {
    throw ESceneDescriptionError(path_.empty() ? problem : path_ + ": " + problem,
                                 ErrorContext{*source_, std::nullopt, std::nullopt, {}});
  }

  Node element(std::size_t i) const { return {(*value_)[i], path_ + "[" + std::to_string(i) + "]", *source_}; }
  // A member by name; a missing one reads as an empty object, so that a record
  // left out takes every default.
  Node member(const std::string& key) const {
    const auto it = value_->find(key);
    return {it != value_->end() ? *it : emptyObject(), path_.empty() ? key : path_ + "." + key, *source_};
  }

  // The elements of an array, refusing anything else (and more than `most`).
  std::size_t arraySize(std::size_t most = std::numeric_limits<std::size_t>::max()) const {
    if (!value_->is_array()) fail("expected an array");
    if (value_->size() > most) {
      fail("holds " + std::to_string(value_->size()) + " entries, more than the " + std::to_string(most) +
           " a world can store");
    }
    return value_->size();
  }

 private:
  const json* value_;
  std::string path_;
  const std::string* source_;
};

std::int64_t wholeNumber(const Node& n, std::int64_t lo, std::int64_t hi) {
  const json& v = n.value();
  const std::string range = " from " + std::to_string(lo) + " to " + std::to_string(hi);
  std::optional<std::int64_t> got;
  bool outside = false;
  if (v.is_number_unsigned()) {
    const auto u = v.get<std::uint64_t>();
    outside = u > static_cast<std::uint64_t>(hi);
    if (!outside) got = static_cast<std::int64_t>(u);
  } else if (v.is_number_integer()) {
    got = v.get<std::int64_t>();
  } else if (v.is_number_float()) {
    const double d = v.get<double>();
    if (std::floor(d) != d) n.fail("expected a whole number" + range + ", not " + v.dump());
    outside = d < static_cast<double>(lo) || d > static_cast<double>(hi);
    if (!outside) got = static_cast<std::int64_t>(d);
  } else {
    n.fail("expected a whole number" + range);
  }
  if (outside || *got < lo || *got > hi) n.fail("expected a whole number" + range + ", not " + v.dump());
  return *got;
}

template <typename T>
T integer(const Node& n) {
  return static_cast<T>(wholeNumber(n, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

double real(const Node& n) {
  if (!n.value().is_number()) n.fail("expected a number");
  const double d = n.value().get<double>();
  if (!std::isfinite(d)) n.fail("expected a finite number");
  return d;
}

float single(const Node& n) {
  const double d = real(n);
  if (std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max())) {
    n.fail("the number " + n.value().dump() + " is out of the range of a single-precision value");
  }
  return static_cast<float>(d);
}

void convert(const Node& n, std::int32_t& out) { out = integer<std::int32_t>(n); }
void convert(const Node& n, std::uint32_t& out) { out = integer<std::uint32_t>(n); }
void convert(const Node& n, std::int16_t& out) { out = integer<std::int16_t>(n); }
void convert(const Node& n, std::uint8_t& out) { out = integer<std::uint8_t>(n); }
void convert(const Node& n, float& out) { out = single(n); }
void convert(const Node& n, double& out) { out = real(n); }

void convert(const Node& n, bool& out) {
  if (!n.value().is_boolean()) n.fail("expected true or false");
  out = n.value().get<bool>();
}

void convert(const Node& n, D3DVECTOR& out) {
  if (!n.value().is_array() || n.value().size() != 3) n.fail("expected an array of three numbers [x, y, z]");
  out = {single(n.element(0)), single(n.element(1)), single(n.element(2))};
}

template <typename T, std::size_t N>
void convert(const Node& n, std::array<T, N>& out) {
  if (!n.value().is_array() || n.value().size() != N) n.fail("expected an array of " + std::to_string(N) + " entries");
  for (std::size_t i = 0; i < N; ++i) convert(n.element(i), out[i]);
}

std::string text(const Node& n, const StringRule& rule) {
  if (!n.value().is_string()) n.fail("expected a string");
  const auto& s = n.value().get_ref<const std::string&>();
  if (s.size() > rule.maxBytes) {
    n.fail("is " + std::to_string(s.size()) + " bytes long; at most " + std::to_string(rule.maxBytes) + " are stored");
  }
  if (!rule.allowZero && s.find('\0') != std::string::npos) n.fail("holds a zero character");
  if (rule.line && s.find_first_of("\r\n") != std::string::npos) n.fail("a texture name holds no line break");
  return s;
}

// The members of one JSON object, read by name; a member that no reader asked for
// is refused when the object is finished, so that a misspelt field is reported
// instead of silently keeping its default.
class Fields {
 public:
  explicit Fields(const Node& node) : node_(node) {
    if (!node.value().is_object()) node.fail("expected an object");
  }

  bool has(const std::string& key) const { return node_.value().contains(key); }

  template <typename F>
  void read(const std::string& key, F&& reader) {
    known_.push_back(key);
    if (has(key)) reader(node_.member(key));
  }

  template <typename T>
  void get(const std::string& key, T& out) {
    read(key, [&](const Node& n) { convert(n, out); });
  }

  void get(const std::string& key, std::string& out, const StringRule& rule) {
    read(key, [&](const Node& n) { out = text(n, rule); });
  }

  // Refuses members that were never asked for.
  void finish() const {
    for (const auto& [key, value] : node_.value().items()) {
      if (std::find(known_.begin(), known_.end(), key) != known_.end()) continue;
      std::string list;
      for (const auto& k : known_) list += (list.empty() ? "" : ", ") + k;
      node_.fail("unknown field \"" + key + "\" (known: " + list + ")");
    }
  }

  const Node& node() const { return node_; }

 private:
  Node node_;
  std::vector<std::string> known_;
};

// Reads an object's fields with `body`, then refuses fields it did not read.
template <typename F>
void readObject(const Node& node, F&& body) {
  Fields f(node);
  body(f);
  f.finish();
}

// --- records --------------------------------------------------------------------

TD3DQuadrangleInfo quadrangle(const Node& node) {
  TD3DQuadrangleInfo q;
  readObject(node, [&](Fields& f) {
    f.get("ID", q.ID);
    f.get("Corners", q.Corners);
    f.get("FixedDistance", q.FixedDistance);
    f.get("Flags", q.Flags);
    f.get("TexSpanU", q.TexSpanU);
    f.get("TexSpanV", q.TexSpanV);
    f.get("TexOffsetU", q.TexOffsetU);
    f.get("TexOffsetV", q.TexOffsetV);
    f.get("Colors", q.Colors);
    f.get("Transparent", q.Transparent);
    f.get("TextureName", q.TextureName, kTextureName);
  });
  return q;
}

D3DLVERTEX mergedVertex(const Node& node) {
  D3DLVERTEX v;
  readObject(node, [&](Fields& f) {
    D3DVECTOR p;
    f.get("Position", p);
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    f.get("Diffuse", v.color);
    f.get("Specular", v.specular);
    f.get("tu", v.tu);
    f.get("tv", v.tv);
  });
  return v;
}

void polygonPoints(const Node& node, TD3DPolygonInfo& p, std::optional<bool> merged) {
  const std::size_t count = node.arraySize(TD3DPolygonInfo::kMaxPoints);
  // Without a Merged field the first point's form tells: objects are whole vertices.
  p.Merged = merged.value_or(count > 0 && node.value()[0].is_object());
  for (std::size_t i = 0; i < count; ++i) {
    const Node point = node.element(i);
    if (p.Merged) {
      if (!point.value().is_object()) point.fail("expected a vertex {Position, Diffuse, Specular, tu, tv} (the polygon is merged)");
      p.Vertices.push_back(mergedVertex(point));
    } else {
      if (!point.value().is_array()) point.fail("expected an array of three numbers [x, y, z] (the polygon is not merged)");
      D3DVECTOR v;
      convert(point, v);
      p.Points.push_back(v);
    }
  }
}

TD3DPolygonInfo polygon(const Node& node) {
  TD3DPolygonInfo p;
  readObject(node, [&](Fields& f) {
    std::optional<bool> merged;
    f.read("Merged", [&](const Node& n) {
      bool m = false;
      convert(n, m);
      merged = m;
    });
    p.Merged = merged.value_or(false);
    f.get("ID", p.ID);
    f.get("Color", p.Color);
    f.get("TexScaleU", p.TexScaleU);
    f.get("TexScaleV", p.TexScaleV);
    f.get("TexOffsetU", p.TexOffsetU);
    f.get("TexOffsetV", p.TexOffsetV);
    f.get("TexMode", p.TexMode);
    f.get("FixedDistance", p.FixedDistance);
    std::optional<std::int16_t> pointCount;
    f.read("PointCount", [&](const Node& n) { pointCount = integer<std::int16_t>(n); });
    f.get("FrameCount", p.FrameCount);
    f.get("FramePeriod", p.FramePeriod);
    f.get("PrimitiveType", p.PrimitiveType);
    f.get("BlendMode", p.BlendMode);
    f.get("CullMode", p.CullMode);
    f.read("Points", [&](const Node& n) { polygonPoints(n, p, merged); });
    const auto points = static_cast<std::int16_t>(p.Merged ? p.Vertices.size() : p.Points.size());
    if (pointCount && *pointCount != points) {
      f.node().member("PointCount").fail("is " + std::to_string(*pointCount) + " but Points holds " +
                                         std::to_string(points) + " points");
    }
    p.PointCount = points;
  });
  return p;
}

TD3DSphereInfo sphere(const Node& node) {
  TD3DSphereInfo s;
  readObject(node, [&](Fields& f) {
    f.get("ID", s.ID);
    f.get("Color", s.Color);
    f.get("TexScaleU", s.TexScaleU);
    f.get("TexScaleV", s.TexScaleV);
    f.get("TexOffsetU", s.TexOffsetU);
    f.get("TexOffsetV", s.TexOffsetV);
    f.get("FrameCount", s.FrameCount);
    f.get("FixedDistance", s.FixedDistance);
    f.get("FramePeriod", s.FramePeriod);
    f.get("Position", s.Position);
    f.get("Angles", s.Angles);
    f.get("Scale", s.Scale);
    f.get("BlendMode", s.BlendMode);
    f.get("CullMode", s.CullMode);
    f.get("Stacks", s.Stacks);
    f.get("Slices", s.Slices);
  });
  return s;
}

TD3DTextInfo textRecord(const Node& node) {
  TD3DTextInfo t;
  readObject(node, [&](Fields& f) {
    f.get("ID", t.ID);
    f.get("FrontColor", t.FrontColor);
    f.get("BackColor", t.BackColor);
    f.get("TexScaleU", t.TexScaleU);
    f.get("TexScaleV", t.TexScaleV);
    f.get("FrontTexOffsetU", t.FrontTexOffsetU);
    f.get("FrontTexOffsetV", t.FrontTexOffsetV);
    f.get("BackTexOffsetU", t.BackTexOffsetU);
    f.get("BackTexOffsetV", t.BackTexOffsetV);
    f.get("FrameCount", t.FrameCount);
    f.get("FixedDistance", t.FixedDistance);
    f.get("FramePeriod", t.FramePeriod);
    f.get("Position", t.Position);
    f.get("Angles", t.Angles);
    f.get("Scale", t.Scale);
    f.get("BlendMode", t.BlendMode);
    f.get("Sides", t.Sides);
    f.get("ShearX", t.ShearX);
    f.get("ShearY", t.ShearY);
    f.get("Filled", t.Filled);
    f.get("Text", t.Text, kText);
  });
  return t;
}

TD3DSceneInfo nestedScene(const Node& node) {
  TD3DSceneInfo s;
  readObject(node, [&](Fields& f) {
    f.get("ID", s.ID);
    f.get("Position", s.Position);
    f.get("Rotation", s.Rotation);
    f.get("Name", s.Name, kSceneName);
  });
  return s;
}

TD3DSoundInfo sound(const Node& node) {
  TD3DSoundInfo s;
  readObject(node, [&](Fields& f) {
    f.get("ID", s.ID);
    f.get("Position", s.Position);
    f.get("Doppler", s.Doppler);
    f.get("SpeedOfSound", s.SpeedOfSound);
    f.get("Range", s.Range);
    f.get("Looped", s.Looped);
    f.get("Enabled", s.Enabled);
    f.get("WaveName", s.WaveName, kShortName);
    // The speed of sound is stored only for a Doppler sound; any other value
    // would be lost on saving.
    if (!s.Doppler && s.SpeedOfSound != TD3DSoundInfo::kDefaultSpeedOfSound) {
      f.node().member("SpeedOfSound").fail("is kept only with \"Doppler\": true (without it the speed is 344)");
    }
  });
  return s;
}

TD3DToneInfo tone(const Node& node) {
  TD3DToneInfo t;
  readObject(node, [&](Fields& f) {
    f.get("ID", t.ID);
    f.get("Position", t.Position);
    f.get("Range", t.Range);
    f.get("Loop", t.Loop);
    f.get("Frequency", t.Frequency);
    f.get("Duration", t.Duration);
    f.get("Waveform", t.Waveform);
    f.get("Attack", t.Attack);
    f.get("Decay", t.Decay);
    f.get("Sustain", t.Sustain);
    f.get("Release", t.Release);
    f.get("Resolution", t.Resolution);
    f.get("Quality", t.Quality);
  });
  return t;
}

TCustomDataInfo dataItem(const Node& node) {
  TCustomDataInfo d;
  readObject(node, [&](Fields& f) {
    f.get("Name", d.Name, kShortName);
    f.get("ID", d.ID);
  });
  return d;
}

TD3DActionInfo action(const Node& node) {
  TD3DActionInfo a;
  readObject(node, [&](Fields& f) {
    f.get("Kind", a.Kind);
    f.get("ID", a.ID);
    f.get("TargetKind", a.TargetKind);
    f.get("TargetID", a.TargetID);
    f.get("Vector1", a.Vector1);
    f.get("Vector2", a.Vector2);
    f.get("Duration", a.Duration);
    f.get("Temporary", a.Temporary);
    if (a.Temporary != 0) f.node().member("Temporary").fail("a world stores no temporary actions; leave it 0");
  });
  return a;
}

TD3DSceneLightInfo light(const Node& node) {
  TD3DSceneLightInfo l;
  readObject(node, [&](Fields& f) {
    f.get("ID", l.ID);
    f.get("Color", l.Color);
    f.get("Specular", l.Specular);
    f.get("Range", l.Range);
    f.get("RangeFactor", l.RangeFactor);
    f.get("Position", l.Position);
    f.get("LightType", l.LightType);
  });
  return l;
}

// --- entries --------------------------------------------------------------------

// A kind as its code or as a word.
std::uint8_t kindCode(const Node& n, std::initializer_list<std::pair<const char*, ObjectKind>> kinds) {
  std::string list;
  for (const auto& [word, kind] : kinds) {
    list += (list.empty() ? "" : ", ") + std::to_string(d3dValue(kind)) + " " + word;
  }
  if (n.value().is_string()) {
    for (const auto& [word, kind] : kinds) {
      if (n.value().get_ref<const std::string&>() == word) return static_cast<std::uint8_t>(d3dValue(kind));
    }
    n.fail("unknown kind " + n.value().dump() + " (" + list + ")");
  }
  if (!n.value().is_number()) n.fail("expected a kind (" + list + ")");
  const auto code = wholeNumber(n, 0, 255);
  for (const auto& [word, kind] : kinds) {
    if (code == d3dValue(kind)) return static_cast<std::uint8_t>(code);
  }
  n.fail("unknown kind " + std::to_string(code) + " (" + list + ")");
}

TTextureNames textureNames(const Node& node) {
  TTextureNames names;
  const std::size_t count = node.arraySize(TTextureNames::kCount);
  std::int64_t next = 0;
  for (std::size_t i = 0; i < count; ++i) {
    readObject(node.element(i), [&](Fields& f) {
      // Without an index an entry takes the one after the entry before it.
      std::int64_t index = next;
      f.read("index", [&](const Node& n) { index = wholeNumber(n, 0, TTextureNames::kCount - 1); });
      if (index >= static_cast<std::int64_t>(TTextureNames::kCount)) {
        f.node().fail("the index would be " + std::to_string(index) + "; indices run from 0 to 383");
      }
      if (!names.get(static_cast<std::size_t>(index)).empty()) {
        f.node().fail("index " + std::to_string(index) + " is given twice");
      }
      std::string name;
      f.get("name", name, kTextureName);
      names.set(static_cast<std::size_t>(index), std::move(name));
      next = index + 1;
    });
  }
  return names;
}

// Two fields that the stored form keeps once: when both are given they must agree,
// and one given fills the other.
void agree(std::string& a, std::string& b, const Node& where, const std::string& what) {
  if (a.empty()) a = b;
  if (b.empty()) b = a;
  if (a != b) where.fail(what);
}

SceneObjectEntry objectEntry(const Node& node) {
  SceneObjectEntry e;
  readObject(node, [&](Fields& f) {
    f.read("kind", [&](const Node& n) {
      e.Kind = kindCode(n, {{"quadrangle", ObjectKind::Quadrangle},
                            {"polygon", ObjectKind::Polygon},
                            {"scene", ObjectKind::Scene},
                            {"sphere", ObjectKind::Sphere},
                            {"text", ObjectKind::Text}});
    });
    if (!f.has("kind")) node.fail("needs a \"kind\" (2 quadrangle, 4 polygon, 7 scene, 9 sphere, 15 text)");
    f.get("name", e.Name, kEntryName);
    f.read("textureNames", [&](const Node& n) { e.TextureNames = textureNames(n); });
    f.read("record", [](const Node&) {});
    const Node record = node.member("record");
    switch (static_cast<ObjectKind>(e.Kind)) {
      case ObjectKind::Quadrangle: {
        TD3DQuadrangleInfo q = quadrangle(record);
        std::string first = e.TextureNames.get(0);
        agree(q.TextureName, first, record, "TextureName differs from textureNames index 0");
        e.TextureNames.set(0, first);
        e.Record = std::move(q);
        break;
      }
      case ObjectKind::Polygon: {
        TD3DPolygonInfo p = polygon(record);
        p.TextureNames = e.TextureNames;
        e.Record = std::move(p);
        break;
      }
      case ObjectKind::Sphere: {
        TD3DSphereInfo s = sphere(record);
        s.TextureNames = e.TextureNames;
        e.Record = std::move(s);
        break;
      }
      case ObjectKind::Text: {
        TD3DTextInfo t = textRecord(record);
        t.TextureNames = e.TextureNames;
        e.Record = std::move(t);
        break;
      }
      default: {
        TD3DSceneInfo s = nestedScene(record);
        agree(s.Name, e.Name, record, "Name differs from the entry's name");
        if (s.Name.empty()) record.fail("a nested scene needs the Name of its world");
        e.Record = std::move(s);
        break;
      }
    }
  });
  return e;
}

SceneSoundEntry soundEntry(const Node& node) {
  SceneSoundEntry e;
  readObject(node, [&](Fields& f) {
    f.read("kind", [&](const Node& n) { e.Kind = kindCode(n, {{"sound", ObjectKind::Sound}, {"tone", ObjectKind::Tone}}); });
    if (!f.has("kind")) node.fail("needs a \"kind\" (101 sound, 102 tone)");
    f.get("name", e.Name, kShortName);
    f.read("record", [](const Node&) {});
    const Node record = node.member("record");
    if (e.Kind == d3dValue(ObjectKind::Sound)) {
      TD3DSoundInfo s = sound(record);
      agree(s.WaveName, e.Name, record, "WaveName differs from the entry's name");
      if (s.WaveName.empty()) record.fail("a sound needs the WaveName of its wave file");
      e.Record = std::move(s);
    } else {
      e.Record = tone(record);
    }
  });
  return e;
}

template <typename T, typename F>
void readList(Fields& f, const std::string& key, std::vector<T>& out, F&& element) {
  f.read(key, [&](const Node& n) {
    const std::size_t count = n.arraySize();
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) out.push_back(element(n.element(i)));
  });
}

SceneDocument document(const Node& root) {
  SceneDocument doc;
  doc.Version = stream_version::kCurrent;
  readObject(root, [&](Fields& f) {
    f.get("version", doc.Version);
    f.read("form", [&](const Node& n) {
      const std::string form = text(n, kEntryName);
      if (form == "SCENEDEF") {
        doc.Form = SceneStreamForm::Headed;
      } else if (form == "headerless") {
        doc.Form = SceneStreamForm::Headerless;
      } else {
        n.fail("expected \"SCENEDEF\" or \"headerless\"");
      }
    });
    f.read("textures", [&](const Node& n) {
      const std::size_t count = n.arraySize(kMaxWorldTextureNames);
      for (std::size_t i = 0; i < count; ++i) doc.Textures.push_back(text(n.element(i), kTextureName));
    });
    readList(f, "objects", doc.Objects, objectEntry);
    readList(f, "sounds", doc.Sounds, soundEntry);
    readList(f, "data", doc.Data, dataItem);
    readList(f, "actions", doc.Actions, action);
    readList(f, "lights", doc.Lights, light);
  });
  return doc;
}

// "[json.exception.parse_error.101] parse error at line 1, column 2: ..." without
// the library's prefix; the line and column say where.
std::string parseProblem(const json::exception& e) {
  std::string what = e.what();
  // The library quotes what it last read, which may be any bytes at all.
  for (char& c : what) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x80) c = '?';
  }
  const std::string at = "parse error at ";
  if (const auto p = what.find(at); p != std::string::npos) return what.substr(p + at.size());
  if (const auto p = what.find("] "); p != std::string::npos) return what.substr(p + 2);
  return what;
}

}  // namespace

SceneDocument readSceneDescription(std::string_view text, const std::string& source) {
  json root;
  try {
    // Refuses deep nesting while parsing, before it costs stack or memory.
    const json::parser_callback_t depthLimit = [&](int depth, json::parse_event_t, json&) {
      if (depth > kMaxDescriptionDepth) {
        throw ESceneDescriptionError("nested deeper than " + std::to_string(kMaxDescriptionDepth) + " levels",
                                     ErrorContext{source, std::nullopt, std::nullopt, {}});
      }
      return true;
    };
    root = json::parse(text.begin(), text.end(), depthLimit);
  } catch (const json::exception& e) {
    throw ESceneDescriptionError(parseProblem(e), ErrorContext{source, std::nullopt, std::nullopt, {}});
  }
  return document(Node(root, "", source));
}

}  // namespace velorina::tools
