#pragma once
// Windows metafiles drawn at their own size: no library renders them on Linux, so
// this draws the records that pictures commonly use and skips the rest.
//
// Size: a placeable WMF's bounding box at its units per inch, shown at 96 pixels
// per inch; a WMF without that header takes its window extent; an EMF takes its
// bounds rectangle (reference-device pixels). At most 4096 pixels a side.
//
// Drawn:
//  - WMF: window origin and extent; pens, brushes (solid, null), select and delete
//    in the object table (other created objects take their slot but draw
//    nothing); polygon fill mode; MoveTo/LineTo, Polyline, Polygon, PolyPolygon,
//    Rectangle, Ellipse; StretchDIB and DIBStretchBlt bitmaps.
//  - EMF: window and viewport origins and extents, map modes MM_TEXT and
//    MM_ANISOTROPIC/MM_ISOTROPIC (others as MM_TEXT); pens (CreatePen,
//    ExtCreatePen with a solid colour), solid and null brushes, the stock objects;
//    polygon fill mode; MoveToEx/LineTo, Polyline(16), Polygon(16),
//    PolyPolygon(16), Rectangle, Ellipse; StretchDIBits.
// Not drawn: text, arcs, Bézier curves, regions, clipping, raster operations other
// than copying, world transforms. The picture starts black, the colour the scene
// treats as see-through, so what a metafile leaves unpainted stays transparent.
// Record sizes, counts and object indices are checked against the file.
#include <cstdint>
#include <span>
#include <string>

#include "imaging/Bitmap.h"

namespace velorina {

inline constexpr int kMaxMetafileSide = 4096;

Bitmap decodeWmf(std::span<const std::uint8_t> bytes, const std::string& source);
Bitmap decodeEmf(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace velorina
