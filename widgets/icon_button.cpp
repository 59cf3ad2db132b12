#include "widgets/icon_button.h"

#include <cmath>

#include "widgets/artwork.h"

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
    iconFactor_ = options.iconFactor > 0 ? options.iconFactor : 1.0f;
    iconFile_ = options.iconFile;
    if (options.icon) {
        icon_ = std::move(*options.icon);
    } else if (!options.iconBytes.empty()) {
        icon_.LoadFromBytes(options.iconBytes);
    } else if (!iconFile_.empty()) {
        ArtworkPicture artwork = LoadArtwork(iconFile_, ScaleFor(parent));
        icon_ = std::move(artwork.picture);
        iconFactor_ = artwork.factor;
    }
    SizeIcon(ScaleFor(parent));  // before Register, which paints the button
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

void IconButton::SizeIcon(const DisplayScale& scale) {
    const auto drawn = [&](int pixels) {
        return scale.Px(static_cast<int>(std::lround(pixels / iconFactor_)));
    };
    iconWidth_ = drawn(icon_.GetWidth());
    iconHeight_ = drawn(icon_.GetHeight());
}

void IconButton::OnScaleChanged() {
    if (!iconFile_.empty()) {
        ArtworkPicture artwork = LoadArtwork(iconFile_, Scale());
        if (artwork.picture.GetHandle()) {
            icon_ = std::move(artwork.picture);
            iconFactor_ = artwork.factor;
        }
    }
    SizeIcon(Scale());
}

bool IconButton::Selected(bool value) {
    if (value != selected_) {
        selected_ = value;
        Repaint();
    }
    return selected_;
}

IconButtonLayout IconButton::LayoutFor(const RectF& bounds, int iconWidth, int iconHeight,
                                       bool iconAbove, bool pressed, const DisplayScale& scale) {
    const float x = bounds.X, y = bounds.Y, w = bounds.Width, h = bounds.Height;
    const float iw = static_cast<float>(iconWidth), ih = static_cast<float>(iconHeight);
    const float p2 = scale.Px(2.0f), p4 = scale.Px(4.0f), p6 = scale.Px(6.0f);
    IconButtonLayout layout;
    if (iconWidth <= 0 || iconHeight <= 0) {
        layout.caption = RectF(x + p2, y + p2, w - p6, h - p4);
    } else if (iconAbove) {
        layout.icon = RectF(x + p2, y + p2, w - p4, ih);
        layout.caption = RectF(x + p2, y + ih + p4, w - p6, h - ih - p6);
    } else {
        layout.icon = RectF(x + p2, y + p2, iw, h - p4);
        layout.caption = RectF(x + iw + p4, y + p2, w - iw - scale.Px(8.0f), h - p4);
    }
    if (pressed) {
        const float sink = scale.Px(1.0f);
        layout.icon.X += sink;
        layout.icon.Y += sink;
        layout.caption.X += sink;
        layout.caption.Y += sink;
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
    form.PaintPlate(GetBounds(), Scale().Px(kOuterCorner), Scale().Px(kInnerCorner), look->plate);

    const IconButtonLayout layout =
        LayoutFor(GetBounds(), iconWidth_, iconHeight_, iconAbove_, look == &kPressedLook, Scale());
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
    const float width = static_cast<float>(iconWidth_), height = static_cast<float>(iconHeight_);
    if (iconWidth_ == icon_.GetWidth() && iconHeight_ == icon_.GetHeight()) {
        GdipDrawImageRect(graphics, icon_.GetHandle(), left, top, width, height);
        return;
    }
    // Artwork made larger than the place (1.5x at 125 %) is drawn down with high quality.
    DrawImageSharp(
        graphics, icon_.GetHandle(), RectF(left, top, width, height),
        RectF(0, 0, static_cast<float>(icon_.GetWidth()), static_cast<float>(icon_.GetHeight())));
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
