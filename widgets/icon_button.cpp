#include "widgets/icon_button.h"

#include <cmath>

namespace {

constexpr ButtonLook kDisabledLook{{{0x000000, 20}, {0xFFFFFF, 50}, 0xECECEC, 100, 100}, 150};
constexpr ButtonLook kSelectedLook{{{0x000000, 60}, {0xFFFFFF, 120}, 0xFFFFFF, 80, 20}, 255};
// Every alpha 0: an idle button draws no plate and no borders.
constexpr ButtonLook kNormalLook{{{0x000000, 0}, {0xFFFFFF, 0}, 0xFFFFFF, 0, 0}, 230};
constexpr ButtonLook kHoverLook{{{0x000000, 60}, {0xFFFFFF, 120}, 0xFFFFFF, 120, 10}, 255};
constexpr ButtonLook kPressedLook{{{0x000000, 60}, {0xFFFFFF, 80}, 0xFFFFFF, 10, 120}, 255};

constexpr float kOuterCorner = 6;
constexpr float kInnerCorner = 3;

constexpr int kFadeFromPressOrRelease = 153;
constexpr int kFadeFromOther = 51;

constexpr int kAlignmentIconAbove = 4;  // centred, vertically centred
constexpr int kAlignmentIconLeft = 3;   // near, vertically centred

}  // namespace

int IconButton::Create(HWND parent, std::string_view caption, int x, int y, int width, int height,
                       const IconButtonOptions& options) {
    icon_.Release();
    if (options.icon) {
        icon_ = std::move(*options.icon);
    } else if (!options.iconBytes.empty()) {
        icon_.LoadFromBytes(options.iconBytes);
    }
    iconWidth_ = icon_.GetWidth();
    iconHeight_ = icon_.GetHeight();
    caption_.assign(caption);
    iconAbove_ = options.iconAbove;
    selected_ = options.selected;
    UseFont(options.font);
    style_.colour = options.textColour;
    style_.alignment =
        options.alignment.value_or(iconAbove_ ? kAlignmentIconAbove : kAlignmentIconLeft);
    style_.formatFlags = options.formatFlags;
    style_.trimming = options.trimming;
    style_.hotkeyPrefix = options.hotkeyPrefix;
    style_.effect = options.effect;
    return Register({parent, x, y, width, height, options.visible, true, kKindIconButton});
}

bool IconButton::Selected(bool value) {
    if (value != selected_) {
        selected_ = value;
        Repaint();
    }
    return selected_;
}

IconButtonLayout IconButton::LayoutFor(const RectF& bounds, int iconWidth, int iconHeight,
                                       bool iconAbove, bool pressed) {
    const float x = bounds.X, y = bounds.Y, w = bounds.Width, h = bounds.Height;
    const float iw = static_cast<float>(iconWidth), ih = static_cast<float>(iconHeight);
    IconButtonLayout layout;
    if (iconWidth <= 0 || iconHeight <= 0) {
        layout.caption = RectF(x + 2, y + 2, w - 6, h - 4);
    } else if (iconAbove) {
        layout.icon = RectF(x + 2, y + 2, w - 4, ih);
        layout.caption = RectF(x + 2, y + ih + 4, w - 6, h - ih - 6);
    } else {
        layout.icon = RectF(x + 2, y + 2, iw, h - 4);
        layout.caption = RectF(x + iw + 4, y + 2, w - iw - 8, h - 4);
    }
    if (pressed) {
        layout.icon.X += 1;
        layout.icon.Y += 1;
        layout.caption.X += 1;
        layout.caption.Y += 1;
    }
    return layout;
}

const ButtonLook* IconButton::LookFor(UINT message) const {
    // Only paint requests get through to a disabled button.
    if (Disabled()) return &kDisabledLook;
    switch (message) {
        case MsgLookNormal:
        case MsgLookSelected:
        case WM_PAINT:
            return selected_ ? &kSelectedLook : &kNormalLook;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            return &kHoverLook;
        case WM_LBUTTONDOWN:
            return &kPressedLook;
        default:
            return nullptr;
    }
}

bool IconButton::Paint(FormRecord& form, UINT message, LPARAM) {
    const ButtonLook* look = LookFor(message);
    if (!look) return false;
    RestoreBackground(form);

    GpGraphics* graphics = form.ScreenGraphics();
    DrawPlate(graphics, GetBounds(), kOuterCorner, kInnerCorner, look->plate);

    const IconButtonLayout layout =
        LayoutFor(GetBounds(), iconWidth_, iconHeight_, iconAbove_, look == &kPressedLook);
    if (icon_.GetHandle()) {
        SetClip(graphics, layout.icon);
        DrawIcon(graphics, layout.icon);
        ResetClip(graphics);
    }
    TextStyle style = style_;
    style.font = Font();
    style.alpha = look->captionAlpha;
    SetClip(graphics, layout.caption);
    PaintText(layout.caption, graphics, caption_, style);
    ResetClip(graphics);
    return true;
}

void IconButton::DrawIcon(GpGraphics* graphics, const RectF& area) const {
    // At its own size, centred on whole pixels so the picture stays sharp.
    const float left = area.X + std::floor((area.Width - iconWidth_) / 2);
    const float top = area.Y + std::floor((area.Height - iconHeight_) / 2);
    GdipDrawImageRect(graphics, icon_.GetHandle(), left, top, static_cast<float>(iconWidth_),
                      static_cast<float>(iconHeight_));
}

int IconButton::FadeStart(UINT message) const {
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ? kFadeFromPressOrRelease
                                                                : kFadeFromOther;
}

void IconButton::OnDestroy() {
    // The font is the skeleton's to release (and it never releases DefaultFont).
    icon_.Release();
    iconWidth_ = 0;
    iconHeight_ = 0;
}
