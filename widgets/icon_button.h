// IconButton: a windowless push button on a skinned form showing a picture and a caption, the
// picture above the caption or left of it. An idle button is only its picture and caption over
// the skin; a translucent rounded plate shows it selected, hovered, pressed or disabled, and a
// look change fades in when the form fades widgets. The main window's section bar is seven of
// them.
//
// Only the looks and the layout live here; registration, the message rules, the fade, Move,
// Disabled, the geometry getters and SetClickHandler are the skeleton's (LookWidget). The
// button owns its picture and (unless it uses DefaultFont) its font, and releases both when its
// form's window is destroyed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "widgets/drawing.h"
#include "widgets/form_widget.h"
#include "widgets/picture.h"

struct IconButtonOptions {
    bool selected = false;
    // Encoded picture (PNG, JPEG, GIF, BMP...); empty or undecodable: a caption-only button.
    std::string_view iconBytes;
    // The icon decoded already (see PicturePreload): taken over, and iconBytes not looked at.
    Picture* icon = nullptr;
    // The size the given icon was made at (see artwork.h): it is drawn at its size over this
    // factor in 96-dpi units, scaled to the form's DPI.
    float iconFactor = 1.0f;
    // The icon's 1x artwork file (GBK): read here, at the size for the form's scale, when no
    // icon is given, and again whenever the form's scale changes.
    std::string iconFile;
    bool iconAbove = false;  // false: the picture is left of the caption
    COLORREF textColour = 0x000000;
    FontChoice font;
    std::optional<int> alignment;  // PaintText alignment; default 4 with the icon above, else 3
    int formatFlags = 0x1000;      // no wrapping
    int trimming = 0;
    int hotkeyPrefix = 0;
    int effect = kEffectNone;
    bool visible = true;
};

// Where the picture and the caption go inside a button's bounds.
struct IconButtonLayout {
    RectF icon;  // empty (0 x 0) without picture
    RectF caption;
};

class IconButton : public LookWidget {
public:
    // Registers the button on `parent` (a window with an attached SkinForm) and paints it when
    // visible. Returns the widget id, 0 when it could not be registered.
    int Create(HWND parent, std::string_view caption, int x, int y, int width, int height,
               const IconButtonOptions& options = {});

    bool Selected() const { return selected_; }
    // Stores and repaints when the value changes; returns the value now held.
    bool Selected(bool value);

    int IconWidth() const { return iconWidth_; }  // drawn, in pixels; 0 without picture
    int IconHeight() const { return iconHeight_; }

    // The layout for bounds and an icon of iconWidth x iconHeight (0 x 0: no picture), all in
    // pixels of `scale`; a pressed button's content sits one pixel (at 96 dpi) lower and to the
    // right.
    static IconButtonLayout LayoutFor(const RectF& bounds, int iconWidth, int iconHeight,
                                      bool iconAbove, bool pressed, const DisplayScale& scale = {});

protected:
    AccessibleFacts OwnFacts() const override;
    bool Paint(FormRecord& form, UINT message, LPARAM lParam) override;
    int FadeStart(UINT message) const override;
    void OnDestroy() override;
    void OnScaleChanged() override;

private:
    const ButtonLook* LookFor(UINT message) const;
    void DrawIcon(GpGraphics* graphics, const RectF& area) const;
    // The icon's drawn size from its pixels, its factor and the form's scale.
    void SizeIcon(const DisplayScale& scale);

    Picture icon_;
    float iconFactor_ = 1.0f;
    std::string iconFile_;  // GBK; empty: the icon was given
    int iconWidth_ = 0;
    int iconHeight_ = 0;
    bool iconAbove_ = false;
    bool selected_ = false;
    std::string caption_;  // GBK
    TextStyle style_;      // the font and alpha are filled in at paint time
};
