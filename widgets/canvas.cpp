#include "widgets/canvas.h"

#include <utility>

#include "widgets/drawing.h"

Canvas::Canvas(Canvas&& other) noexcept {
    *this = std::move(other);
}

Canvas& Canvas::operator=(Canvas&& other) noexcept {
    if (this == &other) return *this;
    Reset();
    dc_ = std::move(other.dc_);
    bitmap_ = std::move(other.bitmap_);
    previous_ = std::exchange(other.previous_, nullptr);
    premultiplied_ = std::move(other.premultiplied_);
    graphics_ = std::move(other.graphics_);
    bits_ = std::exchange(other.bits_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    topDown_ = std::exchange(other.topDown_, false);
    return *this;
}

bool Canvas::Create(HDC dc, int width, int height, bool topDown, Drawing drawing) {
    Reset();
    constexpr std::uint64_t kLargestBitmapBytes = 0x7FFFFFFF;
    if (width <= 0 || height <= 0 ||
        std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
            kLargestBitmapBytes) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (!memory) return false;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    dc_ = std::move(memory);
    bitmap_ = std::move(bitmap);
    previous_ = SelectObject(dc_.get(), bitmap_.get());
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    topDown_ = topDown;
    GpStatus made;
    if (drawing == Drawing::kPremultiplied) {
        // Rows as the DIB holds them: a bottom-up DIB is seen from its last row, upwards.
        const int stride = topDown ? width * 4 : -width * 4;
        std::uint32_t* top = topDown ? bits_ : bits_ + static_cast<size_t>(height - 1) * width;
        BYTE* first = reinterpret_cast<BYTE*>(top);
        GpBitmap* view = nullptr;
        made =
            GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppPARGB, first, &view);
        premultiplied_.reset(view);
        if (made == Gdiplus::Ok) made = GdipGetImageGraphicsContext(view, graphics_.out());
    } else {
        made = GdipCreateFromHDC(dc_.get(), graphics_.out());
    }
    if (made != Gdiplus::Ok) {
        Reset();
        return false;
    }
    UseWidgetTextRendering(graphics_.get());
    return true;
}

void Canvas::Reset() {
    // The graphics goes first, then the DC gets its own bitmap back so the DIB can be deleted.
    graphics_.reset();
    premultiplied_.reset();
    if (dc_ && previous_) SelectObject(dc_.get(), previous_);
    previous_ = nullptr;
    bitmap_.reset();
    dc_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
}

const std::uint32_t* Canvas::Row(int y) const {
    if (!bits_ || y < 0 || y >= height_) return nullptr;
    const int row = topDown_ ? y : height_ - 1 - y;
    return bits_ + static_cast<size_t>(row) * width_;
}

ARGB Canvas::Pixel(int x, int y) const {
    if (x < 0 || x >= width_) return 0;
    // GDI+ and GDI may still hold drawing in a batch.
    if (graphics_) GdipFlush(graphics_.get(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    const std::uint32_t* row = Row(y);
    return row ? row[x] : 0;
}
