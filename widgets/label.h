// Label: a windowless line of text on a skinned form, with an optional background fill and
// frame. The page labels, the title and the community line of the main window are labels.
// Everything but the looks comes from the skeleton (form_widget.h); the text may be set from
// any thread.
#pragma once

#include <optional>
#include <string_view>

#include "widgets/drawing.h"
#include "widgets/form_widget.h"
#include "widgets/text_picture.h"

struct LabelOptions {
    COLORREF textColour = 0x000000;
    std::optional<COLORREF> backColour;  // none: the form shows through
    FontChoice font;
    int alignment = 3;         // PaintText alignment: near, vertically centred
    int formatFlags = 0x1000;  // no wrapping
    int trimming = 0;
    int hotkeyPrefix = 0;
    int effect = kEffectNone;
    int frameStyle = kFrameNone;  // a FrameStyle; 0 or less: no frame
    bool visible = true;
};

class Label : public TextWidget {
public:
    // Registers the label on `parent` (a window with an attached SkinForm) and paints it when
    // visible. Returns the widget id, 0 when it could not be registered.
    int Create(HWND parent, std::string_view text, int x, int y, int width, int height,
               const LabelOptions& options = {});
    // Makes the label as wide as its text with the insets, at most maxWidth, the left edge kept:
    // a text whose width depends on the installed font shows whole. Once the label is on a form.
    void FitWidthToText(float maxWidth);

protected:
    AccessibleFacts OwnFacts() const override;
    bool Paint(FormRecord& form, UINT message, LPARAM lParam) override;
    void OnScaleChanged() override { text_.Reset(); }  // drawn with the old font

private:
    TextStyle style_;  // the font comes from the base at paint time
    TextPicture text_;
    std::optional<COLORREF> backColour_;
    int frameStyle_ = kFrameNone;
};
