#include "widgets/text_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kNoWrap = 0x1000;  // StringFormatFlagsNoWrap
constexpr int kNoClip = 0x4000;  // StringFormatFlagsNoClip

}  // namespace

void TextPicture::Paint(HDC dc, GpGraphics* graphics, const RectF& rect, std::string_view text,
                        const TextStyle& style, const RECT& clip) {
    Paint(dc, graphics, rect, std::wstring_view(ToWide(text)), style, clip);
}

void TextPicture::Paint(HDC dc, GpGraphics* graphics, const RectF& rect, std::wstring_view text,
                        const TextStyle& style, const RECT& clip) {
    if (!dc || !graphics) return;
    if ((style.formatFlags & kNoClip) || !(style.formatFlags & kNoWrap)) {
        Reset();
        PaintDirectly(graphics, rect, text, style, clip);
        return;
    }
    const TextLayout layout = LayOutText(rect, graphics, style);
    const float left = std::floor(layout.area.X), top = std::floor(layout.area.Y);
    Key key{std::wstring(text.substr(0, text.find(L'\0'))),
            style.font ? style.font : DefaultFont,
            style.colour,
            style.alpha,
            layout.alignment,
            style.trimming,
            style.hotkeyPrefix,
            style.formatFlags,
            style.effect,
            layout.area.Width,
            layout.area.Height,
            layout.area.X - left,
            layout.area.Y - top};
    if (!valid_ || !(key == key_)) {
        key_ = std::move(key);
        valid_ = Render(graphics, layout, style);
        if (!valid_) {
            // Out of memory for the picture: the text still shows, drawn the slow way.
            Reset();
            PaintDirectly(graphics, rect, text, style, clip);
            return;
        }
    }
    if (IsRectEmpty(&ink_)) return;

    RECT shown = ink_;
    OffsetRect(&shown, static_cast<int>(left) + origin_.x, static_cast<int>(top) + origin_.y);
    if (!IntersectRect(&shown, &shown, &clip)) return;
    const int sourceX = shown.left - static_cast<int>(left) - origin_.x;
    const int sourceY = shown.top - static_cast<int>(top) - origin_.y;
    // Whatever GDI+ still holds for the canvas goes first, so the text lands on top of it.
    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
               picture_.Dc(), sourceX, sourceY, shown.right - shown.left, shown.bottom - shown.top,
               blend);
}

void TextPicture::Reset() {
    valid_ = false;
    key_ = Key{};
    picture_.Reset();
    ink_ = RECT{};
}

bool TextPicture::PrepareSurface(int width, int height) {
    if (picture_ && picture_.Width() == width && picture_.Height() == height) {
        std::memset(picture_.Bits(), 0, static_cast<size_t>(width) * height * 4);
        return true;
    }
    // GDI+ draws into the picture's own pixels as a premultiplied bitmap, which keeps the alpha
    // a DC of the same pixels would lose on Windows.
    return picture_.Create(nullptr, width, height, true, Canvas::Drawing::kPremultiplied);
}

void TextPicture::PaintDirectly(GpGraphics* graphics, const RectF& rect, std::wstring_view text,
                                const TextStyle& style, const RECT& clip) {
    Gdiplus::GraphicsState state = 0;
    GdipSaveGraphics(graphics, &state);
    GdipSetClipRectI(graphics, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
                     Gdiplus::CombineModeIntersect);
    PaintText(rect, graphics, text, style);
    GdipRestoreGraphics(graphics, state);
}

bool TextPicture::Render(GpGraphics* target, const TextLayout& layout, const TextStyle& style) {
    ink_ = RECT{};
    const RectF reach = TextReach(layout, target, key_.text, style);
    const float left = std::floor(layout.area.X), top = std::floor(layout.area.Y);
    origin_ = POINT{static_cast<int>(std::floor(reach.X) - left),
                    static_cast<int>(std::floor(reach.Y) - top)};
    const int width = static_cast<int>(std::ceil(reach.X + reach.Width) - std::floor(reach.X));
    const int height = static_cast<int>(std::ceil(reach.Y + reach.Height) - std::floor(reach.Y));
    // Nothing to draw leaves the surface as it is, for the next text.
    if (key_.text.empty() || width <= 0 || height <= 0) return true;
    if (!PrepareSurface(width, height)) return false;
    TextLayout local = layout;
    local.area.X -= left + static_cast<float>(origin_.x);
    local.area.Y -= top + static_cast<float>(origin_.y);
    DrawLaidOutText(local, picture_.Graphics(), key_.text, style);
    GdipFlush(picture_.Graphics(), Gdiplus::FlushIntentionSync);

    // Only the covered part is blended: most of a cell's rectangle stays empty.
    RECT ink{width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* row = picture_.Row(y);
        for (int x = 0; x < width; ++x) {
            if ((row[x] >> 24) == 0) continue;
            ink.left = std::min<LONG>(ink.left, x);
            ink.right = std::max<LONG>(ink.right, x + 1);
            ink.top = std::min<LONG>(ink.top, y);
            ink.bottom = std::max<LONG>(ink.bottom, y + 1);
        }
    }
    if (ink.right > ink.left) ink_ = ink;
    return true;
}
