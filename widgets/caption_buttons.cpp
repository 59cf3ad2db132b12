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

// Draws the strip cell at `left` (width of the button) scaled into `bounds`.
void DrawCell(GpGraphics* graphics, GpImage* strip, int left, const Bounds& bounds, bool faint) {
    GpImageAttributes* attributes = nullptr;
    if (faint && GdipCreateImageAttributes(&attributes) == Gdiplus::Ok) {
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
            matrix.m[i][i] = 1.0f;
        matrix.m[3][3] = kDisabledOpacity;
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
    if (strip_ && left >= 0) DrawCell(form.ScreenGraphics(), strip_, left, GetBounds(), Disabled());
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
