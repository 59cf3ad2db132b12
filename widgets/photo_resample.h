// ResamplePhoto: an opaque photograph made larger (or smaller) with bilinear interpolation, from
// pixel rows to pixel rows, for the skin's photograph at a display scale.
//
// GDI's halftone stretch gives the same smooth result, but under Wine it interpolates pixel by
// pixel in floating point: a skin photograph at 150 % took 21-32 ms to stretch, here 3-5. The
// interpolation is separable and in fixed point: each source row needed is interpolated across
// once, then two such rows are mixed for each target row. Portable; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Rows of pixels, the top row first, 3 (blue, green, red) or 4 (blue, green, red, alpha) bytes
// each; `stride` is the distance from one row to the next in bytes (negative for rows stored
// bottom-up, with `bits` at the top row).
template <typename Byte>
struct PixelRowsOf {
    Byte* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    int bytesPerPixel = 4;

    Byte* Row(int y) const { return bits + y * stride; }
};
using PixelRows = PixelRowsOf<std::uint8_t>;
using ConstPixelRows = PixelRowsOf<const std::uint8_t>;

// A rectangle of pixels, right and bottom exclusive.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Writes the pixels of `area` of the photograph of fullWidth x fullHeight pixels resized to
// width x height, into the same places of `target` (opaque: alpha 255 where the target has it).
// `source` holds the photograph's top-left part: all rows and columns `area` reaches into (the
// edge pixels are repeated past them). Pixel centres map onto pixel centres. Parts of `area`
// outside `target`, or outside width x height, are left alone.
void ResamplePhoto(const ConstPixelRows& source, int fullWidth, int fullHeight, int width,
                   int height, const PixelBox& area, const PixelRows& target);
