#include "widgets/gradient_picture.h"

#include <cmath>

namespace {

constexpr int kVertical = 1;  // LinearGradientModeVertical

bool Whole(float value) {
    return value == std::floor(value);
}

}  // namespace

void GradientPicture::Paint(HDC dc, GpGraphics* graphics, const RectF& rect, COLORREF colour,
                            int alphaTop, int alphaBottom) {
    const bool whole = Whole(rect.X) && Whole(rect.Y) && Whole(rect.Width) && Whole(rect.Height);
    if (!dc || !whole || rect.Width < 1 || rect.Height < 1) {
        FillAlphaGradient(graphics, rect, colour, alphaTop, alphaBottom, kVertical);
        return;
    }
    const Key key{static_cast<int>(rect.Width), static_cast<int>(rect.Height), colour, alphaTop,
                  alphaBottom};
    if (!(key == key_) || !column_) {
        key_ = Key{};
        // The brush spans the whole band, as it would drawn there; the canvas keeps its first
        // column.
        if (!column_.Create(nullptr, 1, key.height, true, Canvas::Drawing::kPremultiplied)) {
            FillAlphaGradient(graphics, rect, colour, alphaTop, alphaBottom, kVertical);
            return;
        }
        FillAlphaGradient(
            column_.Graphics(),
            RectF(0, 0, static_cast<float>(key.width), static_cast<float>(key.height)), colour,
            alphaTop, alphaBottom, kVertical);
        GdipFlush(column_.Graphics(), Gdiplus::FlushIntentionSync);
        key_ = key;
    }
    // Whatever GDI+ still holds for the canvas goes first, so the gradient lands on top of it.
    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, static_cast<int>(rect.X), static_cast<int>(rect.Y), key.width, key.height,
               column_.Dc(), 0, 0, 1, key.height, blend);
}
