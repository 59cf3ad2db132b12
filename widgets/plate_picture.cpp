#include "widgets/plate_picture.h"

#include <algorithm>

RectF PlatePictures::Paint(HDC dc, GpGraphics* graphics, const RectF& rect, float outerCorner,
                           float innerCorner, const PlateLook& look, const Outline* underInner,
                           const RECT* clip) {
    if (!dc || !OnWholePixels(rect) || rect.Width < 1 || rect.Height < 1) {
        return DrawPlate(graphics, rect, outerCorner, innerCorner, look, underInner);
    }
    Key key{static_cast<int>(rect.Width),
            static_cast<int>(rect.Height),
            outerCorner,
            innerCorner,
            look,
            underInner != nullptr,
            underInner ? *underInner : Outline{}};
    const Picture* picture = Find(key);
    if (!picture) picture = Draw(key);
    if (!picture) return DrawPlate(graphics, rect, outerCorner, innerCorner, look, underInner);

    // Whatever GDI+ still holds for the canvas goes first, so the plate lands on top of it.
    GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const int left = static_cast<int>(rect.X), top = static_cast<int>(rect.Y);
    RECT shown{left, top, left + key.width, top + key.height};
    if (!clip || IntersectRect(&shown, &shown, clip)) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
                   picture->canvas.Dc(), shown.left - left, shown.top - top,
                   shown.right - shown.left, shown.bottom - shown.top, blend);
    }
    RectF filled = picture->fill;
    OffsetRectF(rect.X, rect.Y, 0, 0, filled);
    return filled;
}

const PlatePictures::Picture* PlatePictures::Find(const Key& key) {
    const auto found = std::find_if(pictures_.begin(), pictures_.end(),
                                    [&](const Picture& p) { return p.key == key; });
    if (found == pictures_.end()) return nullptr;
    std::rotate(found, found + 1, pictures_.end());
    return &pictures_.back();
}

const PlatePictures::Picture* PlatePictures::Draw(const Key& key) {
    Picture picture{key, Canvas{}, RectF()};
    if (!picture.canvas.Create(nullptr, key.width, key.height, true,
                               Canvas::Drawing::kPremultiplied)) {
        return nullptr;
    }
    picture.fill = DrawPlate(
        picture.canvas.Graphics(),
        RectF(0, 0, static_cast<float>(key.width), static_cast<float>(key.height)), key.outerCorner,
        key.innerCorner, key.look, key.highlighted ? &key.highlight : nullptr);
    GdipFlush(picture.canvas.Graphics(), Gdiplus::FlushIntentionSync);
    if (pictures_.size() == kMaxPictures) pictures_.erase(pictures_.begin());
    pictures_.push_back(std::move(picture));
    return &pictures_.back();
}
