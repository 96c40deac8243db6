#include "doommap/MapLumps.h"

#include <algorithm>
#include <span>

#include "archive/LittleEndian.h"
#include "archive/Messages.h"
#include "doommap/DoomMessages.h"
#include "doommap/LumpName.h"

namespace velorina {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::string upperName(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string nameAt(ByteReader& in) { return LumpNameToString(in.bytes(8)); }

// Decodes `bytes.size() / recordSize` records (a trailing partial record is ignored).
template <typename Record, typename Decode>
std::vector<Record> decodeRecords(Bytes bytes, std::size_t recordSize, Decode decode) {
  std::vector<Record> out(bytes.size() / recordSize);
  for (std::size_t i = 0; i < out.size(); ++i) {
    ByteReader in(bytes.subspan(i * recordSize, recordSize));
    out[i] = decode(in);
  }
  return out;
}

std::vector<DoomThing> decodeThings(Bytes bytes, MapForm form) {
  if (form == MapForm::Hexen) {
    return decodeRecords<DoomThing>(bytes, 20, [](ByteReader& in) {
      DoomThing t;
      in.skip(2);  // thing id
      t.x = in.i16(), t.y = in.i16();
      in.skip(2);  // height
      t.angle = in.i16(), t.type = in.i16(), t.flags = in.i16();
      return t;
    });
  }
  return decodeRecords<DoomThing>(bytes, 10, [](ByteReader& in) {
    DoomThing t;
    t.x = in.i16(), t.y = in.i16(), t.angle = in.i16(), t.type = in.i16(), t.flags = in.i16();
    return t;
  });
}

std::vector<DoomLineDef> decodeLineDefs(Bytes bytes, MapForm form) {
  if (form == MapForm::Hexen) {
    return decodeRecords<DoomLineDef>(bytes, 16, [](ByteReader& in) {
      DoomLineDef l;
      l.start = in.i16(), l.end = in.i16(), l.flags = in.i16();
      in.skip(2);
      // The special and tag words overlap the argument bytes; the import uses neither.
      l.special = in.i16(), l.tag = in.i16();
      l.right = in.i16(), l.left = in.i16();
      return l;
    });
  }
  return decodeRecords<DoomLineDef>(bytes, 14, [](ByteReader& in) {
    DoomLineDef l;
    l.start = in.i16(), l.end = in.i16(), l.flags = in.i16(), l.special = in.i16(), l.tag = in.i16();
    l.right = in.i16(), l.left = in.i16();
    return l;
  });
}

std::vector<DoomSideDef> decodeSideDefs(Bytes bytes) {
  return decodeRecords<DoomSideDef>(bytes, 30, [](ByteReader& in) {
    DoomSideDef s;
    s.xOffset = in.i16(), s.yOffset = in.i16();
    s.upper = nameAt(in), s.lower = nameAt(in), s.middle = nameAt(in);
    s.sector = in.i16();
    return s;
  });
}

std::vector<DoomVertex> decodeVertices(Bytes bytes) {
  return decodeRecords<DoomVertex>(bytes, 4, [](ByteReader& in) {
    DoomVertex v;
    v.x = in.i16(), v.y = in.i16();
    return v;
  });
}

std::vector<DoomSector> decodeSectors(Bytes bytes) {
  return decodeRecords<DoomSector>(bytes, 26, [](ByteReader& in) {
    DoomSector s;
    s.floor = in.i16(), s.ceiling = in.i16();
    s.floorFlat = nameAt(in), s.ceilingFlat = nameAt(in);
    s.light = in.i16(), s.special = in.i16(), s.tag = in.i16();
    return s;
  });
}

// The content of the first entry named `lump` after the marker at `marker`.
ByteBuffer readMapLump(WadDirectory& wad, std::size_t marker, const char* lump, const std::string& mapName) {
  const auto index = wad.findEntry(lump, marker + 1);
  if (!index) {
    throw EDoomWadError("Map lump missing",
                        ErrorContext{wad.fileName(), static_cast<std::int64_t>(marker), std::nullopt,
                                     "map " + mapName + " has no " + lump + " lump after its marker"});
  }
  return wad.readLump(*index);
}

}  // namespace

MapForm mapFormFor(TWadKind kind) noexcept {
  switch (kind) {
    case TWadKind::wkDoom:
    case TWadKind::wkHeretic:
    case TWadKind::wkPlainWad: return MapForm::Doom;
    case TWadKind::wkHexen:
    case TWadKind::wkScripts: return MapForm::Hexen;
    default: return MapForm::NoLines;
  }
}

DoomMapLumps ReadMapLumps(const std::string& mapFile, const std::string& mapName, TWadKind kind) {
  if (static_cast<int>(kind) >= 4) kind = ProbeWadKind(mapFile);
  WadDirectory wad = WadDirectory::open(mapFile);
  return ReadMapLumps(wad, mapName, mapFormFor(kind));
}

DoomMapLumps ReadMapLumps(WadDirectory& wad, const std::string& mapName, MapForm form) {
  const std::string wanted = upperName(mapName);
  // The last entry is never taken as the marker: the map's lumps follow it.
  std::optional<std::size_t> marker;
  for (std::size_t i = 0; i + 1 < wad.size() && !marker; ++i) {
    if (wad[i].name == wanted) marker = i;
  }
  if (!marker) {
    throw EDoomWadError(formatMessage(messages::kMapNotFound, {mapName, wad.fileName()}),
                        ErrorContext{wad.fileName(), std::nullopt, std::nullopt, "no map " + wanted});
  }
  DoomMapLumps map;
  if (form != MapForm::NoLines) {
    map.things = decodeThings(readMapLump(wad, *marker, "THINGS", wanted), form);
    map.lineDefs = decodeLineDefs(readMapLump(wad, *marker, "LINEDEFS", wanted), form);
  }
  map.sideDefs = decodeSideDefs(readMapLump(wad, *marker, "SIDEDEFS", wanted));
  map.vertices = decodeVertices(readMapLump(wad, *marker, "VERTEXES", wanted));
  map.segCount = readMapLump(wad, *marker, "SEGS", wanted).size() / 12;
  map.subSectorCount = readMapLump(wad, *marker, "SSECTORS", wanted).size() / 4;
  map.sectors = decodeSectors(readMapLump(wad, *marker, "SECTORS", wanted));
  return map;
}

std::vector<std::string> listMapNames(const WadDirectory& wad) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i + 1 < wad.size(); ++i) {
    if (wad[i + 1].name == "THINGS" && wad[i].name != "THINGS") names.push_back(wad[i].name);
  }
  return names;
}

}  // namespace velorina
