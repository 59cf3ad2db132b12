// Artwork made at several sizes: beside a picture drawn for 96 dpi, `X.png`, the same picture
// may exist at 1.5 and 2 times its size, `X@1.5x.png` and `X@2x.png`, with exactly the same
// layout (cells, margins) multiplied and rounded. At a display scale the size drawn is the
// smallest made at or above the scale (scaled down with high quality where it is larger), else
// the largest there is, else the 1x picture; so nothing is ever a 96-dpi bitmap blown up while a
// larger one exists.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "widgets/canvas.h"
#include "widgets/display_scale.h"
#include "widgets/picture.h"

struct ArtworkSize {
    float factor;
    const char* suffix;  // before the file's extension
};
inline constexpr std::array<ArtworkSize, 3> kArtworkSizes{
    {{1.0f, ""}, {1.5f, "@1.5x"}, {2.0f, "@2x"}}};

// The position in kArtworkSizes to draw at `scale`, given which sizes exist.
int ChooseArtworkSize(const DisplayScale& scale, const std::array<bool, 3>& available);
// The file of size `size` beside `file1x` (GBK): the suffix goes before the extension.
std::string ArtworkFile(std::string_view file1x, int size);

// A picture of artwork and the size it was made at.
struct ArtworkPicture {
    Picture picture;
    float factor = 1.0f;
    // The picture's size in 96-dpi units (its pixels over the factor, rounded).
    int DesignWidth() const;
    int DesignHeight() const;
};

// The path of the file to draw `file1x` from at `scale` (`file1x` itself when no other size
// exists) and that file's factor.
struct ArtworkChoice {
    std::string path;
    float factor = 1.0f;
};
ArtworkChoice FindArtwork(std::string_view file1x, const DisplayScale& scale);
// Reads and decodes the file FindArtwork chooses; an empty picture when it cannot be read.
ArtworkPicture LoadArtwork(std::string_view file1x, const DisplayScale& scale);

// Draws `source` (pixels of `image`) into `target`: a picture of another size than its place is
// resampled with high quality (bicubic over whole pixels), one of the same size copied as is.
void DrawImageSharp(GpGraphics* graphics, GpImage* image, const RectF& target, const RectF& source,
                    GpImageAttributes* attributes = nullptr);

// Draws an opaque photograph resized to width x height pixels at the canvas's origin, only within
// `clip` (canvas coordinates), smoothly (ResamplePhoto; a photograph holds no text to keep
// crisp), pixel for pixel at its own size. False, with nothing drawn, for a picture that may be
// transparent or when its pixels cannot be read: draw it with GDI+.
bool DrawPhoto(Canvas& canvas, const Picture& photo, const RECT& clip, int width, int height);

// Resamples an opaque photograph as decoded for drawing at `scale` ahead of time (on a thread
// that would otherwise wait, so the window that shows it draws it pixel for pixel), keeping its
// bytes. False, with the picture left as it is, at 96 dpi, for a picture that may be
// transparent or is already resampled, for one whose resampled copy would be very large (a large
// custom skin: only the part a window shows is resampled when it is drawn), or when GDI fails.
bool PreparePhoto(Picture& photo, const DisplayScale& scale);
