// Test helpers for pictures and colours: GDI+ start-up, image files and byte buffers of a given
// size and colour (or painted by the test), hand-made animated GIFs, temporary paths, and colour
// comparisons that tolerate anti-aliasing and Wine's rounding.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "widgets/canvas.h"
#include "widgets/gdiplus_flat.h"

namespace test {

// StartGraphics once per process; fails the calling test when GDI+ does not start.
void EnsureGraphics();

enum class ImageFormat { kPng, kJpeg, kBmp, kGif };

// Paints a width x height 32-bit ARGB bitmap (starting transparent) and encodes it.
using ImagePainter = std::function<void(GpGraphics* graphics)>;
std::string EncodeImage(int width, int height, ImageFormat format, const ImagePainter& paint);
// A picture filled with one colour (COLORREF, opaque).
std::string EncodeSolidImage(int width, int height, COLORREF colour, ImageFormat format);

// A GIF of 1 x 1 frames, one per delay (hundredths of a second), written byte by byte so the
// delays are exactly these.
std::string MakeAnimatedGif(const std::vector<int>& delays);

// A path in the temporary folder unique to this process; the file is deleted when the
// TempFile goes away.
class TempFile {
public:
    explicit TempFile(std::wstring_view name);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();

    const std::wstring& Path() const { return path_; }
    std::string GbkPath() const;  // what the toolkit's GBK operations take
    bool Write(std::string_view bytes) const;

private:
    std::wstring path_;
};

// Colour checks on COLORREF values (red in the low byte).
bool NearColour(COLORREF actual, COLORREF expected, int tolerance = 8);
// Channel values of an ARGB pixel (as Canvas::Pixel returns) turned into a COLORREF.
COLORREF PixelToColorref(ARGB pixel);
std::string ColourText(COLORREF colour);  // "#RRGGBB", for failure messages
// `colour` over `under` with alpha/255 coverage, each channel rounded down.
COLORREF Blend(COLORREF colour, COLORREF under, int alpha);
// A fade seen step by step: each value nearer to `target` than the one before (or there
// already), starting from `from`.
bool Approaches(int from, const std::vector<int>& values, int target);
// Red ink: red well above green and blue (a red caption, anti-aliased over any grey).
inline bool IsReddish(COLORREF c) {
    return GetRValue(c) > GetGValue(c) + 40 && GetRValue(c) > GetBValue(c) + 40;
}
// The sum of the three channels: enough to tell lighter from darker.
inline int Brightness(COLORREF colour) {
    return GetRValue(colour) + GetGValue(colour) + GetBValue(colour);
}

// Pixel searches over any picture the test can read: a Canvas, a form buffer, the window.
using PixelSource = std::function<COLORREF(int x, int y)>;
using PixelTest = std::function<bool(COLORREF colour)>;
PixelSource CanvasPixels(const Canvas& canvas);
// The largest difference of any colour channel between two canvases of one size inside `area`,
// and where it is (the first place it is that large). Both are flushed first.
struct PixelDifference {
    int largest = 0;
    POINT at{};
};
PixelDifference LargestDifference(const Canvas& a, const Canvas& b, const RECT& area);
// Fills the canvas with a ground of many colours (green under a pink and a dark blue fade), so
// a blending mistake shows wherever a picture lands.
void PaintManyColours(const Canvas& canvas);
// Two canvases of one size over the same many-coloured ground: on one a thing is drawn directly,
// on the other it is shown from a kept picture, and the two should come out the same.
struct DrawnAndShown {
    // Makes both (GDI+ started first) and paints them; false when either cannot be made.
    bool Create(int width, int height);
    // Both back to the bare ground.
    void Repaint() const;
    // The largest difference between the two, over all their pixels.
    PixelDifference Difference() const;

    Canvas drawn, shown;
};
// The client area of a native window as it paints itself into a bitmap (WM_PRINTCLIENT), so
// what covers it on the screen does not matter; black outside it.
PixelSource PrintedPixels(HWND window);
// The smallest rectangle (right and bottom exclusive) around the pixels of `area` that pass
// `test`; an empty RECT (all 0) when none does.
RECT FindPixels(const PixelSource& source, const RECT& area, const PixelTest& test);
int CountPixels(const PixelSource& source, const RECT& area, const PixelTest& test);
// Pixels that differ from `background` by more than `tolerance` in some channel.
PixelTest DiffersFrom(COLORREF background, int tolerance = 24);

}  // namespace test
