// SysButton: one caption button of a skinned form (close, maximise/restore or minimise), drawn
// from the caption-button strip and posting the matching window command when clicked. The form
// creates, places and relayouts its buttons; nothing else needs to.
//
// The strip (381 x 19, built into the program) holds normal, hover and pressed cells per button;
// the form loads it and leaves its image in the window property "prop_sysbtn", which the
// buttons read when created (they do not own it). A strip made at 1.5 or 2 times that size has
// the same cells multiplied; the buttons tell its factor from its width.
#pragma once

#include <string_view>

#include "widgets/form_widget.h"

// The bytes of the caption-button strip PNG at 1x, 1.5x and 2x (empty for a size not made): a
// cell at x (width w) of the 1x strip is at x * scale (width w * scale) of the others, each
// rounded half up. And the one to draw at a display scale, with its factor (see artwork.h).
std::string_view CaptionStripPng();
std::string_view CaptionStripPng150();
std::string_view CaptionStripPng200();
std::string_view CaptionStripPngFor(const DisplayScale& scale, float& factor);

enum CaptionButtonKind { kCaptionClose = 0, kCaptionMaximise = 1, kCaptionMinimise = 2 };

class SysButton : public LookWidget {
public:
    static constexpr wchar_t kStripProperty[] = L"prop_sysbtn";
    static constexpr int kTop = 1;
    static constexpr int kHeight = 19;

    static constexpr int kStripWidth = 381;

    // Left edge of caption button `number` (1 close, 2 maximise, 3 minimise) on a form of
    // width formWidth, and the button's width; in pixels of `scale` (the buttons keep their
    // distances from the form's right edge, scaled by their edges).
    static int LeftFor(int number, int formWidth, const DisplayScale& scale = {});
    static int WidthFor(int number, const DisplayScale& scale = {});

    int Create(HWND parent, int left, int top, int width, int height, int kind, bool disabled,
               bool visible = true);
    // Moves the button to its place for the form width and redraws it; with keep set the new
    // look stays in the screen buffer for the form to present (during a skin fade).
    void Relayout(HWND window, int number, int formWidth, bool keep);
    int Kind() const { return kind_; }

protected:
    AccessibleFacts OwnFacts() const override;
    bool Paint(FormRecord& form, UINT message, LPARAM lParam) override;
    int FadeStart(UINT message) const override;
    void OnClick(HWND window) override;
    void OnScaleChanged() override;

private:
    void ReadStrip(HWND parent);
    int CellLeft(HWND window, UINT message) const;

    GpImage* strip_ = nullptr;  // not owned
    float stripFactor_ = 1.0f;  // the size the strip was made at
    int kind_ = kCaptionClose;
};
