// The text objects are checked against whatever font the program carries: counts
// and positions come from the font's own tables, never from fixed numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "archive/MemoryStream.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/FontGlyphTables.h"
#include "scene/objects/GlyphFont.h"
#include "scene/objects/SceneLight.h"
#include "scene/objects/Text.h"
#include "scene/objects/VertexPlacement.h"
#include "RecordingDisplay.h"
#include "StoredForms.h"

namespace velorina {
namespace {

using testing::drawCall;
using testing::RecordingDisplay;
using testing::stateCall;
using testing::textureCall;
using enum D3DRENDERSTATETYPE;
using enum D3DPRIMITIVETYPE;

constexpr float K = TD3DText::kFontScale;

TD3DTextInfo textInfo(const std::string& text, float depth = 1, bool sides = true) {
  TD3DTextInfo t;
  t.ID = 15;
  t.FrontColor = 0x0000FF;
  t.BackColor = 0x00FF00;
  t.TexScaleU = t.TexScaleV = 1;
  t.FrameCount = 1;
  t.Scale = {1, 1, depth};
  t.Sides = sides;
  t.Text = text;
  return t;
}

TD3DText text(const TD3DTextInfo& info, TextMessages messages = {}) {
  return TD3DText(nullptr, TTexturePairs{}, info, std::move(messages));
}

const GlyphFont& filled() { return GlyphFont::Program(GlyphStyle::Filled); }

std::size_t frontPoints(const std::string& s, const GlyphFont& font = filled()) {
  std::size_t n = 0;
  for (char c : s) n += font.PointCount(static_cast<unsigned char>(c));
  return n;
}

struct Messages final : MessageReporter {
  std::vector<std::string> shown;
  void showError(const std::string& text, const std::string&) override { shown.push_back(text); }
};

TEST(GlyphFont, BothProgramFontsHaveWholeTrianglesForEveryPrintableCode) {
  for (GlyphStyle style : {GlyphStyle::Filled, GlyphStyle::Outline}) {
    const GlyphFont& font = GlyphFont::Program(style);
    EXPECT_EQ(&font, &GlyphFont::Program(style));  // decoded once
    for (int code = 33; code <= 126; ++code) {
      EXPECT_GT(font.PointCount(code), 0u) << code;
      EXPECT_EQ(font.PointCount(code) % 3, 0u) << code;
      EXPECT_EQ(font.Glyph(code).size(), font.PointCount(code));
    }
    for (int code : {0, 32, 127, 200, -5}) {
      EXPECT_TRUE(font.Glyph(code).empty());
      EXPECT_EQ(GlyphFont::Advance(code), 250);
    }
  }
  EXPECT_NE(&GlyphFont::Program(GlyphStyle::Filled), &GlyphFont::Program(GlyphStyle::Outline));
  // Advances of the classic serif metrics.
  const std::vector<std::pair<char, int>> widths{{'!', 333}, {'\'', 333}, {'0', 500}, {'@', 921}, {'A', 722},
                                                 {'W', 944}, {'a', 444}, {'m', 778}, {'|', 200}, {'~', 541}};
  for (auto [c, w] : widths) EXPECT_EQ(GlyphFont::Advance(c), w) << c;
}

TEST(GlyphFont, RefusesTablesThatDisagreeWithThePayload) {
  std::vector<std::uint8_t> payload(4 * 6);  // six points
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i);
  std::array<font_tables::GlyphEntry, font_tables::kGlyphCount> table{};
  table[0] = {0, 3};
  table[1] = {12, 3};
  const GlyphFont font(payload, table, "test");
  ASSERT_EQ(font.Glyph('"').size(), 3u);
  EXPECT_EQ(font.Glyph('"')[0], (GlyphPoint{0x0D0C, 0x0F0E}));  // little-endian x, y
  EXPECT_TRUE(font.Glyph('#').empty());
  // The code a refusal names (nothing when it names none); -1 when nothing is refused.
  const auto refusal = [&](std::span<const std::uint8_t> bytes, int code, font_tables::GlyphEntry e) {
    auto bad = table;
    bad[static_cast<std::size_t>(code - 33)] = e;
    try {
      GlyphFont(bytes, bad, "test");
    } catch (const EFontError& error) {
      EXPECT_EQ(error.context().file, "test");
      return error.context().record;
    }
    return std::optional<std::int64_t>(-1);
  };
  EXPECT_EQ(refusal(payload, 40, {0, 4}), 40);                       // not whole triangles
  EXPECT_EQ(refusal(payload, 41, {2, 3}), 41);                       // not on a point
  EXPECT_EQ(refusal(payload, 42, {12, 6}), 42);                      // past the payload
  EXPECT_EQ(refusal(payload, 43, {0xFFFFFFF0u, 0x40000000u}), 43);  // past it, however large
  EXPECT_EQ(refusal(std::span(payload).first(23), 33, {0, 3}), std::nullopt);  // not whole points
  EXPECT_THROW(GlyphFont(payload, std::span(table).first(10), "test"), EFontError);
}

TEST(Text, CountsForFlatSolidAndWalledText) {
  const std::string line = "Velorina!";
  const auto n = static_cast<std::int32_t>(frontPoints(line));
  EXPECT_EQ(text(textInfo(line, 0)).ModelVertexCount, n);
  EXPECT_EQ(text(textInfo(line, 1e-6f)).ModelVertexCount, n);  // still flat
  EXPECT_EQ(text(textInfo(line, -2, false)).ModelVertexCount, 2 * n);
  const TD3DText walled = text(textInfo(line, 1, true));
  EXPECT_EQ(walled.ModelVertexCount, 8 * n);
  EXPECT_EQ(walled.WorldVertices.size(), static_cast<std::size_t>(8 * n));
  EXPECT_EQ(walled.VertexCount(), 0);  // blend mode 0 sends through the plain draw
  EXPECT_EQ(text(textInfo("")).ModelVertexCount, 0);
  EXPECT_EQ(text(textInfo("   \t\xE9")).ModelVertexCount, 0);  // nothing to draw outside 33..126
  TD3DTextInfo outline = textInfo(line, 0);
  outline.Filled = false;
  EXPECT_EQ(text(outline).ModelVertexCount,
            static_cast<std::int32_t>(frontPoints(line, GlyphFont::Program(GlyphStyle::Outline))));
  TD3DTextInfo blended = textInfo(line, 0);
  blended.BlendMode = 3;
  EXPECT_EQ(text(blended).VertexCount(), 3 * n);
  EXPECT_EQ(text(blended).PrimitiveCount(), n);
}

TEST(Text, GlyphPointsAreShearedPennedCentredAndScaled) {
  TD3DTextInfo info = textInfo("A A", 0);
  info.ShearX = 1.0f;   // x leans by half of y
  info.ShearY = 0.25f;  // y drops by a quarter of x
  info.TexScaleU = 2, info.FrontTexOffsetU = 0.5f, info.TexScaleV = 3, info.FrontTexOffsetV = -1;
  const TD3DText t = text(info);
  const auto glyph = filled().Glyph('A');
  ASSERT_EQ(t.ModelVertices.size(), 2 * glyph.size());
  const float pen = 722 + 250 + 722;
  for (std::size_t copy = 0; copy < 2; ++copy) {
    const float start = copy == 0 ? 0 : 722 + 250;  // the space advances 250
    for (std::size_t i = 0; i < glyph.size(); ++i) {
      const D3DLVERTEX& v = t.ModelVertices[copy * glyph.size() + i];
      const float x = (glyph[i].y * 0.5f + glyph[i].x + start - pen / 2) * K;
      const float y = (glyph[i].x * -0.25f + glyph[i].y) * K - 0.5f;
      ASSERT_NEAR(v.x, x, 1e-5) << i;
      ASSERT_NEAR(v.y, y, 1e-5) << i;
      EXPECT_EQ(v.z, 0);
      EXPECT_EQ(v.color, 0x00FF0000u);
      EXPECT_FLOAT_EQ(v.tu, v.x * 2 + 0.5f);
      EXPECT_FLOAT_EQ(v.tv, v.y * 3 - 1);
    }
  }
}

TEST(Text, SolidTextHasABackFaceAndClosedWalls) {
  TD3DTextInfo info = textInfo("Hi", 1, true);
  info.BackTexOffsetU = 4, info.BackTexOffsetV = 5;
  const TD3DText t = text(info);
  const auto n = static_cast<std::size_t>(frontPoints("Hi"));
  const auto& m = t.ModelVertices;
  for (std::size_t i = 0; i < n; ++i) {
    EXPECT_EQ(m[i].z, -0.5f);
    EXPECT_EQ(m[n + i].z, 0.5f);
    EXPECT_EQ(m[n + i].x, m[i].x);
    EXPECT_EQ(m[n + i].y, m[i].y);
    EXPECT_EQ(m[n + i].color, 0x0000FF00u);
    EXPECT_FLOAT_EQ(m[n + i].tu, m[i].x + 4);
    EXPECT_FLOAT_EQ(m[n + i].tv, m[i].y + 5);
  }
  // Triangle t walls its edges (a, b) = (3t, 3t+1), (3t+1, 3t+2), (3t+2, 3t), each
  // as front a, back a, front b, back b, front b, back a.
  const auto same = [](const D3DLVERTEX& a, const D3DLVERTEX& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.color == b.color && a.tu == b.tu && a.tv == b.tv;
  };
  std::size_t k = 2 * n;
  for (std::size_t tri = 0; tri < n / 3; ++tri) {
    for (auto [a, b] : {std::pair{3 * tri, 3 * tri + 1}, {3 * tri + 1, 3 * tri + 2}, {3 * tri + 2, 3 * tri}}) {
      for (std::size_t i : {a, n + a, b, n + b, b, n + a}) ASSERT_TRUE(same(m[k++], m[i])) << tri;
    }
  }
  EXPECT_EQ(k, 8 * n);
}

TEST(Text, EveryWorldVertexOfWalledTextIsItsModelVertexPlaced) {
  TD3DTextInfo info = textInfo("W", 0.4f, true);
  info.Scale = {1.5f, 2, 0.4f};
  info.Angles = {0.2f, -0.9f, 0.4f};
  info.Position = {3, -1, 7};
  TD3DText t = text(info);
  t.SetText("Wq");
  const D3DMATRIX m = PlacementMatrix(info.Scale, info.Angles);
  ASSERT_EQ(t.WorldVertices.size(), t.ModelVertices.size());
  for (std::size_t i = 0; i < t.ModelVertices.size(); ++i) {
    const D3DLVERTEX& a = t.ModelVertices[i];
    D3DVECTOR p;
    ASSERT_EQ(TransformPoint(p, {a.x, a.y, a.z}, m), kS_OK);
    ASSERT_NEAR(t.WorldVertices[i].x, p.x + 3, 1e-5) << i;
    ASSERT_NEAR(t.WorldVertices[i].y, p.y - 1, 1e-5) << i;
    ASSERT_NEAR(t.WorldVertices[i].z, p.z + 7, 1e-5) << i;
    ASSERT_EQ(t.WorldVertices[i].color, a.color) << i;
    ASSERT_EQ(t.WorldVertices[i].tu, a.tu) << i;
  }
}

TEST(Text, SetTextRebuildsOnlyOnAChange) {
  TD3DText t = text(textInfo("ab"));
  TD3DSceneLightInfo l;
  l.Color = 0xFFFFFF;
  l.Range = 100;
  l.RangeFactor = 1;
  l.LightType = 1;
  t.ApplyLight(TD3DSceneLight(l));
  ASSERT_EQ(t.WorldVertices[0].color, 0x00FFFFFFu);
  t.SetText("ab");  // the same: the lit vertices stay as they are
  EXPECT_EQ(t.WorldVertices[0].color, 0x00FFFFFFu);
  t.SetText("abc");
  EXPECT_EQ(t.GetText(), "abc");
  EXPECT_EQ(t.WorldVertices[0].color, 0x00FF0000u);
  EXPECT_EQ(t.ModelVertexCount, static_cast<std::int32_t>(8 * frontPoints("abc")));
  t.SetText("");
  EXPECT_EQ(t.ModelVertexCount, 0);
}

TEST(Text, ADrawSendsTheWorldVerticesAsOneTwoSidedList) {
  RecordingDisplay d;
  TD3DText t(&d.display, TTexturePairs{}, textInfo("x"));
  ASSERT_NE(t.Texture(), nullptr);
  EXPECT_EQ(t.Texture()->texels()[0] & 0xFFFFFF, 0xFF0000u);  // the front colour
  d.device->calls.clear();
  t.Draw();
  const auto n = static_cast<std::uint32_t>(t.ModelVertexCount);
  const std::vector<testing::DeviceCall> expected{stateCall(D3DRENDERSTATE_CULLMODE, 1), textureCall(t.Texture()),
                                                  drawCall(D3DPT_TRIANGLELIST, n)};
  EXPECT_EQ(d.device->calls, expected);
  // An empty text draws nothing but still makes its one call.
  TD3DText empty(&d.display, TTexturePairs{}, textInfo(""));
  d.device->calls.clear();
  empty.Draw();
  EXPECT_EQ(d.device->calls.back(), drawCall(D3DPT_TRIANGLELIST, 0));
}

TEST(Text, PlacesMovesAndTurnsTheWorldVerticesOnly) {
  TD3DTextInfo info = textInfo("T", 2, false);
  info.Scale = {2, 3, 4};
  info.Position = {1, 1, 1};
  TD3DText t = text(info);
  const std::vector<D3DLVERTEX> model = t.ModelVertices;
  for (std::size_t i = 0; i < model.size(); ++i) {
    EXPECT_FLOAT_EQ(t.WorldVertices[i].x, 2 * model[i].x + 1);
    EXPECT_FLOAT_EQ(t.WorldVertices[i].z, 4 * model[i].z + 1);
    EXPECT_EQ(t.WorldVertices[i].color, model[i].color);
  }
  t.MoveByXYZ(0, 0, 5);
  t.RotateXYZ(3, 0, 0);
  EXPECT_EQ(t.GetInfo().Position, (D3DVECTOR{1, 1, 6}));
  EXPECT_FLOAT_EQ(t.GetInfo().Angles.x, 3);
  // Turned about x, about the scene origin: z' = y sin 3 + z cos 3.
  const D3DLVERTEX& w = t.WorldVertices[0];
  const float y = 3 * model[0].y + 1, z = 4 * model[0].z + 6;
  EXPECT_NEAR(w.z, y * std::sin(3.0f) + z * std::cos(3.0f), 1e-4);
  EXPECT_EQ(t.ModelVertices[0].z, model[0].z);
  EXPECT_EQ(t.GetCenter(1), (D3DVECTOR{1, 1, 5}));
  EXPECT_EQ(t.UpdateDistance({1, 1, 0}), 6);
}

TEST(Text, StoredFormsOfVersions104To107) {
  TD3DTextInfo info = textInfo("Dance", 1, false);
  info.ShearX = 0.75f, info.ShearY = 0.3f;
  info.Filled = false;
  info.FrontTexOffsetU = 1, info.FrontTexOffsetV = 2, info.BackTexOffsetU = 3, info.BackTexOffsetV = 4;
  info.FrameCount = 2, info.FramePeriod = 0.5f, info.FixedDistance = 7, info.BlendMode = 2;
  info.Position = {1, 2, 3}, info.Angles = {0.1f, 0.2f, 0.3f}, info.Scale = {1, 2, 3};
  for (std::int32_t version : {104, 105, 106, 107, 117}) {
    MemoryStream s;
    testing::writeTextRecord(s, info, version);
    ByteReader in(s.bytes());
    auto loaded = TD3DText::CreateFromStream(in, nullptr, TTexturePairs{}, version);
    EXPECT_TRUE(in.atEnd()) << version;
    const TD3DTextInfo expected = testing::textAsStoredIn(info, version);
    EXPECT_EQ(loaded->GetInfo(), expected) << version;
    const GlyphFont& font = GlyphFont::Program(expected.Filled ? GlyphStyle::Filled : GlyphStyle::Outline);
    EXPECT_EQ(loaded->ModelVertexCount, static_cast<std::int32_t>((expected.Sides ? 8 : 2) * frontPoints("Dance", font)));
    MemoryStream out;
    loaded->SaveToStream(out);
    EXPECT_EQ(out.size(), 95 + 5);
    ByteReader again(out.bytes());
    EXPECT_EQ(TD3DText::CreateFromStream(again, nullptr, TTexturePairs{}, 117)->GetInfo(), expected);
  }
  MemoryStream s;
  testing::writeTextRecord(s, info, 117);
  ByteReader cut(s.bytes().first(s.bytes().size() - 1));  // one character short
  EXPECT_THROW(TD3DText::CreateFromStream(cut, nullptr, TTexturePairs{}, 117), EStreamError);
}

TEST(Text, SameAsComparesTheRecordButNotTheText) {
  TD3DTextInfo info = textInfo("one");
  info.TextureNames.set(0, "Wood");
  const TD3DText t = text(info);
  TD3DTextInfo other = info;
  other.Text = "two";
  other.TextureNames.set(0, "WOOD");
  EXPECT_TRUE(t.SameAs(text(other)));
  for (auto change : std::vector<void (*)(TD3DTextInfo&)>{[](TD3DTextInfo& r) { r.BackTexOffsetV = 1; },
                                                          [](TD3DTextInfo& r) { r.Filled = false; },
                                                          [](TD3DTextInfo& r) { r.ShearY = 0; },
                                                          [](TD3DTextInfo& r) { r.TextureNames.set(1, "x"); }}) {
    TD3DTextInfo changed = info;
    change(changed);
    EXPECT_FALSE(t.SameAs(text(changed)));
  }
}

TEST(Text, LightingStartsFromTheUnlitColoursAndKeepsTheirChannels) {
  TD3DTextInfo info = textInfo("o");
  info.FrontColor = 0x336699;  // colour value: red 0x99, green 0x66, blue 0x33
  info.BackColor = 0x00CC00;
  TD3DText t = text(info);
  TD3DSceneLightInfo l;
  l.Color = 0x000000;
  l.Range = 0.3f;
  l.RangeFactor = 100;
  l.Position = {0, -0.3f, 0};
  const TD3DSceneLight light(l);
  t.ApplyLight(light);
  const std::vector<D3DLVERTEX> once = t.WorldVertices;
  for (int i = 0; i < 4; ++i) t.ApplyLight(light);
  for (std::size_t i = 0; i < once.size(); ++i) ASSERT_EQ(t.WorldVertices[i].color, once[i].color) << i;
  // A light that reaches the object but none of its vertices restores every
  // vertex's own unlit colour, front and back.
  l.Range = 1e-6f;
  l.RangeFactor = 1e8f;
  t.ApplyLight(TD3DSceneLight(l));
  for (std::size_t i = 0; i < once.size(); ++i) ASSERT_EQ(t.WorldVertices[i].color, t.ModelVertices[i].color) << i;
  EXPECT_EQ(t.WorldVertices.front().color, 0x00996633u);
  EXPECT_EQ(t.WorldVertices[t.WorldVertices.size() / 8].color, 0x0000CC00u);  // first back vertex
}

TEST(Text, ALongTextIsCutToTheVertexBoundWithOneMessage) {
  auto messages = std::make_shared<Messages>();
  const std::string longLine(5000, 'W');
  TD3DText t = text(textInfo(longLine), {messages, "test"});
  const std::size_t perCharacter = 8 * filled().PointCount('W');
  EXPECT_LE(t.ModelVertexCount, TD3DText::kMaxModelVertices);
  EXPECT_GT(t.ModelVertexCount + static_cast<std::int32_t>(perCharacter), TD3DText::kMaxModelVertices);
  EXPECT_EQ(t.BuiltCharacters(), static_cast<std::size_t>(t.ModelVertexCount) / perCharacter);
  ASSERT_EQ(messages->shown.size(), 1u);
  EXPECT_NE(messages->shown[0].find("5000 characters"), std::string::npos);
  EXPECT_EQ(t.GetText(), longLine);  // the record keeps the whole text
  MemoryStream out;
  t.SaveToStream(out);
  EXPECT_EQ(out.size(), 95 + 5000);
  // The shown part is centred on its own.
  const auto [lo, hi] = std::minmax_element(t.ModelVertices.begin(), t.ModelVertices.end(),
                                            [](const D3DLVERTEX& a, const D3DLVERTEX& b) { return a.x < b.x; });
  EXPECT_NEAR(lo->x + hi->x, 0, 0.5);
  t.SetText(longLine);
  EXPECT_EQ(messages->shown.size(), 1u);
  // Flat text fits eight times as many characters.
  TD3DText flatText = text(textInfo(longLine, 0), {messages, "test"});
  EXPECT_EQ(flatText.BuiltCharacters(), std::min<std::size_t>(5000, 65535 / filled().PointCount('W')));
}

TEST(Text, FramesTextureNamesAndFixedDistance) {
  TD3DTextInfo info = textInfo("f");
  info.FrameCount = 3;
  info.FramePeriod = 3;
  info.FixedDistance = 70000;
  info.TextureNames.set(0, "a");
  info.TextureNames.set(1, "a-mask");
  info.TextureNames.set(4, "c");
  info.TextureNames.set(6, "beyond");
  TD3DText t = text(info);
  t.Time = 2.5;
  EXPECT_EQ(t.CurrentFrame(), 2);
  EXPECT_EQ(t.GetFrameTextureName(), "c");
  EXPECT_EQ(t.UpdateDistance({0, 0, 0}), 70000);
  std::vector<std::string> names{"A"};
  t.AddTextureNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "a-mask", "c"}));
}

}  // namespace
}  // namespace velorina
