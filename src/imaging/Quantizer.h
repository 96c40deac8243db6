#pragma once
// Reduction of a picture to a palette of at most 256 colours.
//
// A picture with no more distinct colours than allowed gets exactly those colours
// (in order of first appearance, top-left to bottom-right), so indexed pictures
// that passed through true colour come back with the same pixels. Otherwise the
// colours are reduced by median cut (P. Heckbert, "Color Image Quantization for
// Frame Buffer Display", SIGGRAPH 1982): the histogram of colours at 5 bits per
// channel is split, box by box, at the median of the box's longest channel range,
// always splitting the box that holds the most pixels times its longest range;
// each box's pixel-weighted mean becomes a palette colour and every pixel takes
// the nearest palette colour. No dithering: the run-length formats and textures
// that this serves compress and filter better without it.
#include "imaging/Bitmap.h"

namespace velorina {

// An 8-bit bitmap (palette count = colours used) with the colours of `source`
// reduced to at most `maxColours` (1 to 256). Source may be in any format.
Bitmap quantize(const Bitmap& source, int maxColours = 256);

}  // namespace velorina
