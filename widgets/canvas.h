// Canvas: an off-screen 32-bit picture, that is, a memory DC with a DIB section selected into it
// and a GDI+ graphics on it. The form's screen and background buffers are canvases; a widget
// that keeps a buffer of its own (the list control), a text kept as a picture and the tests use
// the same type.
//
// The canvas owns all of it; the previously selected bitmap is put back before the DIB is
// deleted. Its graphics renders text as every widget does (UseWidgetTextRendering). Move-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "widgets/gdi_handles.h"

class Canvas {
public:
    // How the graphics draws: through the DC (GDI leaves the alpha channel as it likes), or on
    // the same pixels seen as a premultiplied bitmap, which keeps the alpha of what is drawn, for
    // a picture blended with its own transparency later.
    enum class Drawing { kThroughDc, kPremultiplied };

    Canvas() = default;
    Canvas(Canvas&& other) noexcept;
    Canvas& operator=(Canvas&& other) noexcept;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { Reset(); }

    // A new picture of width x height (previous contents released), compatible with `dc`
    // (nullptr: the screen). Bottom-up rows unless topDown. All pixels start as 0 (transparent
    // black). False when any piece cannot be made, or the picture would take more bytes than
    // GDI counts (2 GB); the canvas is then empty.
    bool Create(HDC dc, int width, int height, bool topDown = false,
                Drawing drawing = Drawing::kThroughDc);
    void Reset();

    explicit operator bool() const { return dc_ && graphics_; }
    HDC Dc() const { return dc_.get(); }
    GpGraphics* Graphics() const { return graphics_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixel at (x, y) as GDI stores it: 0xAARRGGBB (alpha as last written, often 0 after
    // GDI drawing). 0 outside the picture.
    ARGB Pixel(int x, int y) const;
    // Row y of the picture, left to right; nullptr outside.
    const std::uint32_t* Row(int y) const;
    std::uint32_t* Row(int y) { return const_cast<std::uint32_t*>(std::as_const(*this).Row(y)); }
    // All pixels in memory order (the top row first only in a top-down canvas), for drawing
    // into them directly; nullptr while empty.
    std::uint32_t* Bits() { return bits_; }
    // Bytes from one row to the next, from Row(0) on: negative for bottom-up rows.
    std::ptrdiff_t Stride() const {
        const std::ptrdiff_t row = std::ptrdiff_t{width_} * 4;
        return topDown_ ? row : -row;
    }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    UniqueImage premultiplied_;  // GDI+'s view of the DIB's pixels, for Drawing::kPremultiplied
    UniqueGraphics graphics_;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
};
