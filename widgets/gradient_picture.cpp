#include "widgets/gradient_picture.h"

namespace {

constexpr int kAcross = 0, kDown = 1;

}  // namespace

void GradientPicture::Paint(HDC dc, GpGraphics* graphics, const RectF& band, COLORREF colour,
                            int alphaFrom, int alphaTo, int mode, const RectF* part) {
    const RectF& shown = part ? *part : band;
    const bool fits = dc && (mode == kAcross || mode == kDown) && OnWholePixels(band) &&
                      OnWholePixels(shown) && shown.Width >= 1 && shown.Height >= 1 &&
                      band.Contains(shown);
    const Key key{static_cast<int>(band.Width),
                  static_cast<int>(band.Height),
                  colour,
                  alphaFrom,
                  alphaTo,
                  mode};
    if (fits && !(key == key_ && line_)) {
        key_ = Key{};
        // The brush spans the whole band, as it would drawn there; the line keeps its first
        // column (down) or row (across).
        const bool down = mode == kDown;
        if (line_.Create(nullptr, down ? 1 : key.width, down ? key.height : 1, true,
                         Canvas::Drawing::kPremultiplied)) {
            FillAlphaGradient(
                line_.Graphics(),
                RectF(0, 0, static_cast<float>(key.width), static_cast<float>(key.height)), colour,
                alphaFrom, alphaTo, mode);
            GdipFlush(line_.Graphics(), Gdiplus::FlushIntentionSync);
            key_ = key;
        }
    }
    if (!fits || !(key == key_)) {
        FillAlphaGradient(graphics, band, colour, alphaFrom, alphaTo, mode, part);
        return;
    }
    // Whatever GDI+ still holds for the canvas goes first, so the gradient lands on top of it.
    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const int x = static_cast<int>(shown.X), y = static_cast<int>(shown.Y);
    const int width = static_cast<int>(shown.Width), height = static_cast<int>(shown.Height);
    const bool down = mode == kDown;
    const int fromX = down ? 0 : x - static_cast<int>(band.X);
    const int fromY = down ? y - static_cast<int>(band.Y) : 0;
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, width, height, line_.Dc(), fromX, fromY, down ? 1 : width,
               down ? height : 1, blend);
}
