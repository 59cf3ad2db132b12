#include "widgets/caption_buttons.h"

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

// Draws the strip cell at `left` (width of the button) scaled into `bounds`.
void DrawCell(GpGraphics* graphics, GpImage* strip, int left, const Bounds& bounds, bool faint,
              bool dark) {
    GpImageAttributes* attributes = nullptr;
    if ((faint || dark) && GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
            matrix.m[i][i] = i < 3 && dark ? kDarkGlyphScale : 1.0f;
        if (faint) matrix.m[3][3] = kDisabledOpacity;
        GdipSetImageAttributesColorMatrix(attributes, Gdiplus::ColorAdjustTypeDefault, TRUE,
                                          &matrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
    }
    GdipDrawImageRectRect(graphics, strip, bounds.X, bounds.Y, bounds.Width, bounds.Height,
                          static_cast<float>(left), 0, bounds.Width,
                          static_cast<float>(SysButton::kHeight), Gdiplus::UnitPixel, attributes,
                          nullptr, nullptr);
    if (attributes) GdipDisposeImageAttributes(attributes);
}

}  // namespace

int SysButton::LeftFor(int number, int formWidth) {
    switch (number) {
        case 1:
            return formWidth - 42;
        case 2:
            return formWidth - 70;
        default:
            return formWidth - 98;
    }
}

int SysButton::WidthFor(int number) {
    return number == 1 ? 39 : 28;
}

int SysButton::Create(HWND parent, int left, int top, int width, int height, int kind,
                      bool disabled, bool visible) {
    strip_ = static_cast<GpImage*>(GetPropW(parent, kStripProperty));
    kind_ = kind;
    return Register(
        {parent, left, top, width, height, visible, false, kKindCaptionButton, disabled});
}

void SysButton::Relayout(HWND window, int number, int formWidth, bool keep) {
    if (const FormRecord* form = Form()) {
        RestoreBackground(*form);
        if (!keep) PresentRect(*form, BoundsRect());
    }
    Bounds bounds = GetBounds();
    bounds.X = static_cast<float>(LeftFor(number, formWidth));
    StoreBounds(bounds);
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
    DrawCell(form.ScreenGraphics(), strip_, left, GetBounds(), Disabled(),
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
