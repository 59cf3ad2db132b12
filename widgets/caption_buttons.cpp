#include "widgets/caption_buttons.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "widgets/artwork.h"
#include "widgets/form_surface.h"
#include "widgets/gdi_handles.h"

namespace {

// Cell left edges in the strip: normal, hover, pressed.
struct Cells {
    int normal, hover, pressed;
};
constexpr Cells kCloseCells{0, 40, 80};
constexpr Cells kMaximiseCells{120, 149, 178};
constexpr Cells kRestoreCells{207, 236, 265};
constexpr Cells kMinimiseCells{294, 323, 352};

constexpr int kFadeFromNormalOrHover = 102;
constexpr int kFadeFromPressOrRelease = 153;
// A disabled button shows its normal cell faintly (the strip has no disabled cells).
constexpr float kDisabledOpacity = 0.4f;
// The normal cells' glyphs are white on a faint plate, which a light skin swallows; there they
// are drawn this much darker (white becomes a dark grey), the artwork otherwise as it is. The
// hover and pressed cells have plates of their own colour and read on any skin.
constexpr float kDarkGlyphScale = 0.25f;

// Whether the skin under `bounds` is light: the average of a few samples of the background.
bool LightUnder(HDC background, const Bounds& bounds) {
    if (!background) return false;
    int red = 0, green = 0, blue = 0, samples = 0;
    for (const float across : {0.25f, 0.5f, 0.75f}) {
        for (const float down : {0.25f, 0.75f}) {
            const COLORREF colour =
                GetPixel(background, static_cast<int>(bounds.X + bounds.Width * across),
                         static_cast<int>(bounds.Y + bounds.Height * down));
            if (colour == CLR_INVALID) continue;
            red += GetRValue(colour);
            green += GetGValue(colour);
            blue += GetBValue(colour);
            ++samples;
        }
    }
    return samples > 0 &&
           IsLightColour(MakeArgb(RGB(red / samples, green / samples, blue / samples)));
}

// Right edges of the buttons from the form's right edge (close, maximise, minimise), 96 dpi.
constexpr int kRightGaps[] = {3, 42, 70};
constexpr int kLeftGaps[] = {42, 70, 98};

int ScaledCellEdge(int edge, float factor) {
    return static_cast<int>(std::lround(edge * factor));
}

// Draws the strip cell at `left` (the button's design width, and the strip's height) into
// `bounds`; a strip made at `factor` has the cell's edges multiplied.
void DrawCell(GpGraphics* graphics, GpImage* strip, float factor, int left, int width,
              const Bounds& bounds, bool faint, bool dark) {
    GpImageAttributes* attributes = nullptr;
    if ((faint || dark) && GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
            matrix.m[i][i] = i < 3 && dark ? kDarkGlyphScale : 1.0f;
        if (faint) matrix.m[3][3] = kDisabledOpacity;
        GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE,
                                          &matrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
    }
    const int sourceLeft = ScaledCellEdge(left, factor);
    const RectF source(static_cast<float>(sourceLeft), 0,
                       static_cast<float>(ScaledCellEdge(left + width, factor) - sourceLeft),
                       static_cast<float>(ScaledCellEdge(SysButton::kHeight, factor)));
    DrawImageSharp(graphics, strip, bounds, source, attributes);
    if (attributes) GdipDisposeImageAttributes(attributes);
}

}  // namespace

std::string_view CaptionStripPngFor(const DisplayScale& scale, float& factor) {
    const std::string_view strips[] = {CaptionStripPng(), CaptionStripPng150(),
                                       CaptionStripPng200()};
    std::array<bool, 3> available{};
    for (size_t i = 0; i < available.size(); ++i)
        available[i] = !strips[i].empty();
    const int size = ChooseArtworkSize(scale, available);
    factor = kArtworkSizes[size].factor;
    return strips[size];
}

int SysButton::LeftFor(int number, int formWidth, const DisplayScale& scale) {
    const int index = std::clamp(number, 1, 3) - 1;
    return formWidth - scale.Px(kLeftGaps[index]);
}

int SysButton::WidthFor(int number, const DisplayScale& scale) {
    const int index = std::clamp(number, 1, 3) - 1;
    return scale.Px(kLeftGaps[index]) - scale.Px(kRightGaps[index]);
}

int SysButton::Create(HWND parent, int left, int top, int width, int height, int kind,
                      bool disabled, bool visible) {
    ReadStrip(parent);
    kind_ = kind;
    return Register(
        {parent, left, top, width, height, visible, false, kKindCaptionButton, disabled});
}

void SysButton::ReadStrip(HWND parent) {
    strip_ = static_cast<GpImage*>(GetPropW(parent, kStripProperty));
    stripFactor_ = 1.0f;
    if (!strip_) return;
    UINT width = 0;
    GdipGetImageWidth(strip_, &width);
    // The size it was made at nearest its width (the sizes are rounded multiples).
    for (const ArtworkSize& size : kArtworkSizes) {
        if (std::abs(width - size.factor * kStripWidth) <
            std::abs(width - stripFactor_ * kStripWidth)) {
            stripFactor_ = size.factor;
        }
    }
}

void SysButton::OnScaleChanged() {
    // The form has put the strip for the new scale in the property.
    ReadStrip(Parent());
}

void SysButton::Relayout(HWND window, int number, int formWidth, bool keep) {
    if (const FormRecord* form = Form()) {
        RestoreBackground(*form);
        if (!keep) PresentRect(*form, BoundsRect());
    }
    // In pixels: the form places its buttons from its own right edge.
    const DisplayScale& scale = Scale();
    StoreBounds(RectF(static_cast<float>(LeftFor(number, formWidth, scale)),
                      static_cast<float>(scale.Px(kTop)),
                      static_cast<float>(WidthFor(number, scale)),
                      static_cast<float>(scale.Px(kTop + kHeight) - scale.Px(kTop))));
    HandleMessage(window, WM_PAINT, 0, keep ? 1 : 0);
}

int SysButton::CellLeft(HWND window, UINT message) const {
    const Cells& cells = kind_ == kCaptionClose      ? kCloseCells
                         : kind_ == kCaptionMinimise ? kMinimiseCells
                         : IsZoomed(window)          ? kRestoreCells
                                                     : kMaximiseCells;
    switch (message) {
        case MsgLookNormal:
        case WM_PAINT:
            return cells.normal;
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
            return cells.hover;
        case WM_LBUTTONDOWN:
            return cells.pressed;
        default:
            return -1;
    }
}

bool SysButton::Paint(FormRecord& form, UINT message, LPARAM) {
    RestoreBackground(form);
    const int left = CellLeft(form.window, message);
    if (!strip_ || left < 0) return true;
    const bool normalCell = message == MsgLookNormal || message == WM_PAINT;
    DrawCell(form.ScreenGraphics(), strip_, stripFactor_, left,
             static_cast<int>(GetDesignBounds().Width), GetBounds(), Disabled(),
             normalCell && LightUnder(form.BackgroundDc(), GetBounds()));
    return true;
}

int SysButton::FadeStart(UINT message) const {
    switch (message) {
        case MsgLookNormal:
        case WM_MOUSEMOVE:
            return kFadeFromNormalOrHover;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            return kFadeFromPressOrRelease;
        default:
            return 0;
    }
}

void SysButton::OnClick(HWND window) {
    switch (kind_) {
        case kCaptionClose:
            PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        case kCaptionMaximise:
            PostMessageW(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
            break;
        case kCaptionMinimise:
            if (!IsIconic(window)) PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            break;
        default:
            break;
    }
}
