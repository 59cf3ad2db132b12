#include "widgets/label.h"

#include <algorithm>
#include <cmath>

#include "widgets/gdi_handles.h"

namespace {

constexpr float kTextInset = 2;  // the text is clipped this far inside the bounds

}  // namespace

int Label::Create(HWND parent, std::string_view text, int x, int y, int width, int height,
                  const LabelOptions& options) {
    UseFont(options.font);
    text_.Reset();  // a new font may sit where the old one was
    style_.colour = options.textColour;
    style_.alignment = options.alignment;
    style_.formatFlags = options.formatFlags;
    style_.trimming = options.trimming;
    style_.hotkeyPrefix = options.hotkeyPrefix;
    style_.effect = options.effect;
    backColour_ = options.backColour;
    frameStyle_ = options.frameStyle;
    SetInitialText(text);
    return Register({parent, x, y, width, height, options.visible, false, kKindLabel});
}

void Label::FitWidthToText(float maxWidth) {
    const FormRecord* form = Form();
    if (!form) return;
    TextStyle style = style_;
    style.font = Font();
    const float textWidth = MeasureTextWidth(form->ScreenGraphics(), Text(), style);
    if (textWidth <= 0) return;
    // The text is measured in pixels of the font for this scale; the width is a design width.
    // The text area is inset on each side; a glyph's smoothed edge may take one pixel more.
    const float width =
        static_cast<float>((std::ceil(textWidth) + 1) / Scale().Factor()) + 2 * kTextInset;
    Move(std::nullopt, std::nullopt, std::min(width, maxWidth));
}

bool Label::Paint(FormRecord& form, UINT, LPARAM) {
    RestoreBackground(form);
    const Bounds& bounds = GetBounds();
    if (backColour_) {
        UniqueBrush brush(MakeBrush(MakeArgb(*backColour_)));
        FillRectF(form.ScreenGraphics(), brush.get(), bounds.X, bounds.Y, bounds.Width,
                  bounds.Height);
    }
    if (frameStyle_ > 0) DrawFrame(form.ScreenGraphics(), bounds, frameStyle_);
    RectF textArea = bounds;
    const float inset = Scale().Px(kTextInset);
    OffsetRectF(inset, inset, -2 * inset, -2 * inset, textArea);
    TextStyle style = style_;
    style.font = Font();
    RECT clip;
    BoundsToRect(textArea, clip);
    text_.Paint(form.ScreenDc(), form.ScreenGraphics(), textArea, Text(), style, clip);
    return true;
}
