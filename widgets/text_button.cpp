#include "widgets/text_button.h"

namespace {

constexpr ButtonLook kDisabledLook{{{0x000000, 50}, {0xFFFFFF, 150}, 0xECECEC, 100, 100}, 80};
constexpr ButtonLook kNormalLook{{{0x000000, 50}, {0xFFFFFF, 180}, 0xFFFFFF, 150, 150}, 200};
constexpr ButtonLook kHoverLook{{{0xC06000, 120}, {0xC06000, 80}, 0xFFFFFF, 200, 130}, 240};
constexpr ButtonLook kPressedLook{{{0x000000, 50}, {0xFFFFFF, 200}, 0xFFFFFF, 150, 200}, 240};

constexpr float kOuterCorner = 6;
constexpr float kInnerCorner = 4;
// The hover look's white line just inside the outer border.
constexpr Outline kHighlight{0xFFFFFF, 200};
// The pointer's flat frame around the plate is a little fainter than the inner border.
constexpr int kPointerFrameFade = 30;

constexpr int kFadeFromPress = 153;
constexpr int kFadeFromOther = 51;

// The caption: centred both ways, an ellipsis when too long, hotkey prefixes shown, one line.
constexpr int kCaptionAlignment = 4;
constexpr int kCaptionTrimming = 3;
constexpr int kCaptionHotkeyPrefix = 1;
constexpr int kCaptionFormatFlags = 0x1000;

// The look a message shows; nullptr for a message without one.
const ButtonLook* LookFor(UINT message, bool disabled) {
    // Only paint requests get through to a disabled button.
    if (disabled) return &kDisabledLook;
    switch (message) {
        case MsgLookNormal:
        case WM_PAINT:
        case WM_LBUTTONUP:
            return &kNormalLook;
        case WM_MOUSEMOVE:
        case MsgLookSelected:
            return &kHoverLook;
        case WM_LBUTTONDOWN:
            return &kPressedLook;
        default:
            return nullptr;
    }
}

}  // namespace

int TextButton::Create(HWND parent, std::string_view text, int x, int y, int width, int height,
                       const TextButtonOptions& options) {
    UseFont(options.font);
    textColour_ = options.textColour;
    effect_ = options.effect;
    SetInitialText(text);
    return Register({parent, x, y, width, height, options.visible, true, kKindTextButton});
}

bool TextButton::Paint(FormRecord& form, UINT message, LPARAM) {
    const ButtonLook* look = LookFor(message, Disabled());
    if (!look) return false;
    RestoreBackground(form);

    GpGraphics* graphics = form.ScreenGraphics();
    const DisplayScale& scale = Scale();
    const float inset = scale.Px(2.0f), sink = scale.Px(1.0f);
    RectF caption = GetBounds();
    OffsetRectF(inset, inset, -2 * inset, -2 * inset, caption);
    // A pressed button's caption sinks by one pixel (at 96 dpi).
    if (look == &kPressedLook) OffsetRectF(sink, sink, 0, 0, caption);

    const RectF plate = form.PaintPlate(GetBounds(), scale.Px(kOuterCorner), scale.Px(kInnerCorner),
                                        look->plate, look == &kHoverLook ? &kHighlight : nullptr);
    // The pointer itself over the button (not a focus widget's selected look) adds a frame.
    if (look == &kHoverLook && message == WM_MOUSEMOVE) {
        const Outline& inner = look->plate.inner;
        DrawFrame(graphics, plate, kFrameFlat, inner.colour, inner.alpha - kPointerFrameFade);
    }

    TextStyle style;
    style.font = Font();
    style.colour = textColour_;
    style.alpha = look->captionAlpha;
    style.alignment = kCaptionAlignment;
    style.trimming = kCaptionTrimming;
    style.hotkeyPrefix = kCaptionHotkeyPrefix;
    style.formatFlags = kCaptionFormatFlags;
    style.effect = effect_;
    PaintText(caption, graphics, Text(), style);
    return true;
}

int TextButton::FadeStart(UINT message) const {
    return message == WM_LBUTTONDOWN ? kFadeFromPress : kFadeFromOther;
}
