// TextButton: a windowless push button with a text caption on a skinned form: a rounded, softly
// shaded plate whose look follows the pointer (normal, hover, pressed) or shows it disabled, and
// fades its new look in when the form fades widgets. The paging, search and genre buttons of
// the main window are text buttons.
//
// Only the looks live here; registration, the message rules, the fade, Move, Text, Disabled,
// the geometry getters and SetClickHandler are the skeleton's (LookWidget, TextWidget).
#pragma once

#include <string_view>

#include "widgets/drawing.h"
#include "widgets/form_widget.h"

struct TextButtonOptions {
    COLORREF textColour = 0x000000;
    FontChoice font;
    int effect = kEffectNone;  // a TextEffect for the caption
    bool visible = true;
};

class TextButton : public TextWidget {
public:
    // Registers the button on `parent` (a window with an attached SkinForm) and paints it when
    // visible. Returns the widget id, 0 when it could not be registered.
    int Create(HWND parent, std::string_view text, int x, int y, int width, int height,
               const TextButtonOptions& options = {});

protected:
    AccessibleFacts OwnFacts() const override;
    bool Paint(FormRecord& form, UINT message, LPARAM lParam) override;
    int FadeStart(UINT message) const override;

private:
    COLORREF textColour_ = 0x000000;
    int effect_ = kEffectNone;
};
