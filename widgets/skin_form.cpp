// SkinForm, part 1: attaching to a window and detaching, the window's messages, and the
// user's sizing and dragging of the window. Skins are composed in skin_compose.cpp, the caption
// and frame drawn in skin_caption.cpp.
#include "widgets/skin_form.h"

#include <algorithm>
#include <cstdlib>

#include "widgets/caption_buttons.h"
#include "widgets/drawing.h"
#include "widgets/form_surface.h"

namespace {

constexpr wchar_t kPreviousProcProperty[] = L"zentori.skinform.previous";

constexpr int kCaptionZoneHeight = 20;        // double-click zone: y below this...
constexpr int kCaptionZoneRightGap = 100;     // ...and x left of W - this
constexpr COLORREF kNoSkinColour = 0xF0F0F0;  // before any picture could be read

// Sizing: a zone this wide along each edge (left/top inclusive of 4, right/bottom within 8).
constexpr int kNearEdge = 4;
constexpr int kFarEdge = 8;

LPCWSTR EdgeCursor(int edge) {
    switch (edge) {
        case WMSZ_TOPLEFT:
        case WMSZ_BOTTOMRIGHT:
            return IDC_SIZENWSE;
        case WMSZ_TOP:
        case WMSZ_BOTTOM:
            return IDC_SIZENS;
        case WMSZ_TOPRIGHT:
        case WMSZ_BOTTOMLEFT:
            return IDC_SIZENESW;
        case WMSZ_LEFT:
        case WMSZ_RIGHT:
            return IDC_SIZEWE;
        default:
            return IDC_ARROW;
    }
}

bool IsEmpty(const RECT& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

void CopyPixels(const Canvas& from, const Canvas& to) {
    if (!from) return;
    // GDI+ may still hold drawing for the old picture in a batch.
    GdipFlush(from.Graphics(), Gdiplus::FlushIntentionSync);
    BitBlt(to.Dc(), 0, 0, from.Width(), from.Height(), from.Dc(), 0, 0, SRCCOPY);
}

}  // namespace

// --- Attaching and detaching

SkinForm* SkinForm::FromWindow(HWND window) {
    if (!window || !IsWindow(window)) return nullptr;
    auto* form = static_cast<SkinForm*>(GetPropW(window, kFormProperty));
    return form && form->Attached() && form->Window() == window ? form : nullptr;
}

SkinForm::SkinForm() = default;

SkinForm::~SkinForm() {
    if (attached_) OnDestroy(window_);
    Unsubclass();
}

bool SkinForm::Attach(HWND window, std::string_view skinPath, const SkinFormOptions& options,
                      std::optional<Picture> decodedSkin) {
    if (attached_ || !IsWindow(window) || FindForm(window) != 0 ||
        GetPropW(window, kFormProperty)) {
        return false;
    }
    window_ = window;
    skinPath_.assign(skinPath);
    captionMode_ = options.captionMode > 5 ? 4 : options.captionMode;
    opacity_ = options.opacity;
    fixedSize_ = options.fixedSize != 0;
    record_ = FormRecord{};
    record_.backgroundMode = options.backgroundMode;
    record_.widgetFade = options.widgetFade;
    record_.backgroundColour = kNoSkinColour;

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    maximisable_ = (style & WS_MAXIMIZEBOX) != 0;
    minimisable_ = (style & WS_MINIMIZEBOX) != 0;
    if (captionMode_ > 1) SetWindowLongPtrW(window, GWL_STYLE, style | WS_SYSMENU);
    if (opacity_ != -1) {
        // A layered window shows nothing until its attributes are set.
        SetWindowLongPtrW(window, GWL_EXSTYLE,
                          GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(std::clamp(opacity_, 0, 255)),
                                   LWA_ALPHA);
    }

    previous_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    SetPropW(window, kFormProperty, this);
    SetPropW(window, kPreviousProcProperty, reinterpret_cast<HANDLE>(previous_));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));

    if (!InitForm(window, std::move(decodedSkin))) {
        OnDestroy(window);
        Unsubclass();
        return false;
    }
    return true;
}

bool SkinForm::InitForm(HWND window, std::optional<Picture> decodedSkin) {
    record_.window = window;
    record_.screen = &screen_;
    record_.background = &background_;
    record_.plates = &plates_;
    AddForm(&record_);
    attached_ = true;
    UpdateWindowRect();
    width_ = record_.windowRect.right - record_.windowRect.left;
    height_ = record_.windowRect.bottom - record_.windowRect.top;

    windowDc_ = WindowDc(window);
    record_.windowDc = windowDc_.get();
    // The window's own size: a window that never grows (the main window is fixed) never pays
    // for more. The first growth makes them as large as the window can become (OnSize).
    if (!record_.windowDc || !MakeBuffers(std::max(width_, 1), std::max(height_, 1))) {
        return false;
    }

    record_.scale = DisplayScale::ForWindow(window);
    MakeTitleFont();
    if (captionMode_ != 0 && captionMode_ != 1) {
        LoadCaptionStrip(window);
        CreateCaptionButtons(window);
    }
    if (decodedSkin) {
        SetSkin(skinPath_, std::move(*decodedSkin), 0);
    } else {
        SetSkin(skinPath_, 0);
    }
    return true;
}

void SkinForm::LoadCaptionStrip(HWND window) {
    float factor = 1.0f;
    buttonStrip_.LoadFromBytes(CaptionStripPngFor(record_.scale, factor));
    SetPropW(window, SysButton::kStripProperty, buttonStrip_.GetHandle());
}

void SkinForm::MakeTitleFont() {
    titleFont_.reset();
    if (!record_.scale.IsDesign()) {
        titleFont_.reset(
            MakeFontWithFallback(FromWide(DefaultFontFace()), record_.scale.Font(12.0f), 0));
    }
}

void SkinForm::OnDpiChanged(HWND window, int dpi, const RECT* suggested) {
    if (DisplayScale(dpi) == record_.scale) return;
    record_.scale = DisplayScale(dpi);
    plates_.Clear();
    MakeTitleFont();
    if (captionMode_ != 0 && captionMode_ != 1) LoadCaptionStrip(window);
    // Widgets place themselves for the new scale (the caption buttons take the new strip);
    // nothing is drawn until the whole form is composed again below.
    router_.RescaleAll(window, dpi);
    if (suggested) {
        SetWindowPos(window, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowSkin(0);
    InvalidateRect(window, nullptr, FALSE);
}

bool SkinForm::MakeBuffers(int width, int height) {
    // Both new buffers are made before the old ones go: when memory runs out the form keeps
    // drawing into the buffers it has.
    Canvas screen, background;
    if (!screen.Create(record_.windowDc, width, height) ||
        !background.Create(record_.windowDc, width, height)) {
        return false;
    }
    // The old pixels carry over, so a growing window composes and repaints only what it
    // newly exposes.
    CopyPixels(screen_, screen);
    CopyPixels(background_, background);
    screen_ = std::move(screen);
    background_ = std::move(background);
    return true;
}

void SkinForm::OnDestroy(HWND window) {
    if (!attached_) return;
    pressPoint_.reset();
    KillTimer(window, kSkinFadeTimerId);
    fadeAlpha_ = 0;
    // A leave request for a window that goes never reports back; other forms must be able to
    // track again.
    MouseTracking = 0;
    backdrops_.clear();  // nothing is composed again for the widgets that go now
    router_.DestroyAll(window);
    captionButtons_.clear();
    RemovePropW(window, SysButton::kStripProperty);
    buttonStrip_.Release();
    titleFont_.reset();
    skin_.Release();
    screen_.Reset();
    background_.Reset();
    plates_.Clear();
    for (BorderStrip& strip : borderStrips_)
        strip.picture.Reset();
    borderWidth_ = borderHeight_ = 0;
    record_.windowDc = nullptr;
    windowDc_.reset();
    attached_ = false;
    RemoveForm(&record_);
    router_.Reset();
}

void SkinForm::Unsubclass() {
    if (!window_ || !IsWindow(window_)) return;
    if (GetPropW(window_, kFormProperty) != this) return;
    RemovePropW(window_, kFormProperty);
    // Another subclass may sit on top of ours; then ours stays in its chain and passes
    // everything on (the previous procedure is still known through the property).
    if (GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassProc)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        RemovePropW(window_, kPreviousProcProperty);
    }
}

LRESULT CALLBACK SkinForm::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FloatingPointScope floatingPoint;
    if (auto* form = static_cast<SkinForm*>(GetPropW(window, kFormProperty))) {
        if (message == WM_NCDESTROY) {
            const LRESULT result = form->WindowProc(window, message, wParam, lParam);
            form->Unsubclass();
            form->window_ = nullptr;
            return result;
        }
        return form->WindowProc(window, message, wParam, lParam);
    }
    auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kPreviousProcProperty));
    if (message == WM_NCDESTROY) RemovePropW(window, kPreviousProcProperty);
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

// --- Routing to widgets

void SkinForm::SetEnterHandler(WidgetRouter::Notify handler) {
    router_.SetEnterHandler(std::move(handler));
}

void SkinForm::SetLeaveHandler(WidgetRouter::Notify handler) {
    router_.SetLeaveHandler(std::move(handler));
}

void SkinForm::SetKeyWidget(int widgetId) {
    if (attached_) router_.SetKeyWidget(window_, widgetId);
}

void SkinForm::DropFocusWidget(int widgetId) {
    if (attached_) router_.DropFocus(window_, widgetId);
}

void SkinForm::PaintWidgets(LPARAM flag) {
    if (attached_) router_.PaintAll(window_, MakeRect(0, 0, width_, height_), flag);
}

void SkinForm::PaintWidget(int widgetId, LPARAM flag) {
    if (attached_) router_.PaintOne(window_, widgetId, flag);
}

// --- Window messages

LRESULT SkinForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A local copy: a handler reached from here may even destroy this object.
    const WNDPROC previous = previous_;
    if (attached_) {
        switch (message) {
            case WM_DESTROY:
                OnDestroy(window);
                break;
            case WM_MOVE:
                UpdateWindowRect();
                break;
            case WM_SIZE:
                UpdateWindowRect();
                // Minimised, the size is 0 x 0 and nothing shows.
                if (wParam != SIZE_MINIMIZED) OnSize(window, LoWord(lParam), HiWord(lParam));
                break;
            case WM_PAINT:
                OnPaint(window);
                break;
            case WM_GETMINMAXINFO:
                OnMinMaxInfo(lParam);
                break;
            case WM_TIMER:
                OnTimer(window, wParam);
                break;
            case WM_MOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_MOUSELEAVE:
                OnMouse(window, message, wParam, lParam);
                break;
            case WM_CAPTURECHANGED:
                if (reinterpret_cast<HWND>(lParam) != window) pressPoint_.reset();
                router_.OnCaptureChanged(window, reinterpret_cast<HWND>(lParam));
                break;
            case WM_LBUTTONDBLCLK:
                OnDoubleClick(window, lParam);
                break;
            case WM_MOUSEWHEEL:
                OnMouseWheel(window, wParam, lParam);
                break;
            case WM_DPICHANGED:
                OnDpiChanged(window, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
                break;
            case WM_KEYDOWN:
                // A key the key widget uses is its alone.
                if (router_.RouteKey(window, wParam, lParam)) return 0;
                break;
            case WM_SETFOCUS:
            case WM_KILLFOCUS:
                router_.OnKeyboardFocus(window, message == WM_SETFOCUS);
                break;
            case MsgWidgetPost:
                router_.RoutePost(window, wParam, lParam);
                break;
            case WM_GETOBJECT:
                // Readers see the widgets; other objects (the window's frame) are the system's.
                if (const LRESULT object = AnswerGetObject(window, wParam, lParam)) return object;
                break;
            case MsgAccessibleAction:
                RunDefaultAction(router_, window, static_cast<int>(wParam),
                                 static_cast<int>(lParam));
                return 0;
            case MsgWidgetRemoved:
                // The toolkit's own notice; the window's procedure has no use for it.
                router_.OnWidgetRemoved(window, static_cast<int>(wParam));
                SetBackdrop(static_cast<int>(wParam), RECT{}, 0);  // it goes with its widget
                return 0;
            default:
                break;
        }
    }
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

void SkinForm::OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const RECT& area = paint.rcPaint;
    if (dc && !IsEmpty(area)) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               screen_.Dc(), area.left, area.top, SRCCOPY);
    }
    EndPaint(window, &paint);
}

void SkinForm::OnMinMaxInfo(LPARAM lParam) {
    // A maximised window stops at the taskbar.
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return;
    reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxSize.y = work.bottom;
}

void SkinForm::UpdateWindowRect() {
    GetWindowRect(window_, &record_.windowRect);
}

void SkinForm::OnDoubleClick(HWND window, LPARAM point) {
    const int x = LoWord(point), y = HiWord(point);
    if (y >= Px(kCaptionZoneHeight) || !maximisable_ || x >= width_ - Px(kCaptionZoneRightGap)) {
        return;
    }
    PostMessageW(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
}

void SkinForm::OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam) {
    router_.RouteWheel(window, record_.windowRect, wParam, lParam);
}

// --- Sizing and dragging

void SkinForm::OnSize(HWND window, int width, int height) {
    const int oldWidth = width_, oldHeight = height_;
    // The size a window is created with is told again when it first shows, and a restored
    // window's size is the one it had: everything is drawn for it already.
    if (width == oldWidth && height == oldHeight) return;
    width_ = width;
    height_ = height;
    if (width > screen_.Width() || height > screen_.Height()) {
        GrowBuffers(width, height);
        // Buffers that cannot grow keep the form at their size: drawing, and the window's
        // region, stop there.
        width_ = width = std::min(width, screen_.Width());
        height_ = height = std::min(height, screen_.Height());
    }
    if (record_.backgroundMode == 1) {
        // Stretched over the new size, from the skin decoded when it was set.
        ShowSkin(0);
        return;
    }
    // The skin reaches where the window grows only now.
    if (width > composedWidth_) {
        ComposeBackground(
            MakeRect(composedWidth_, 0, width - composedWidth_, std::max(height, composedHeight_)));
    }
    if (height > composedHeight_) {
        ComposeBackground(MakeRect(0, composedHeight_, std::max(width, composedWidth_),
                                   height - composedHeight_));
    }
    composedWidth_ = std::max(width, composedWidth_);
    composedHeight_ = std::max(height, composedHeight_);
    SettleSkin();
    // The old frame and the newly exposed strips at the right and bottom come back from the
    // background; only the widgets in those strips repaint.
    const int e = Px(3);  // the frame lies within this of the edges
    const RECT strips[] = {
        MakeRect(0, 0, std::max(oldWidth - e, width), e),  // to the new right edge
        MakeRect(0, e, e, oldHeight - e),
        MakeRect(0, oldHeight - e, width, height - oldHeight + e),
        MakeRect(oldWidth - e, e, width - oldWidth + e, oldHeight - 2 * e),
    };
    for (const RECT& strip : strips) {
        if (!IsEmpty(strip)) RestoreBackground(record_, strip);
    }
    for (const RECT& strip : {strips[2], strips[3]}) {
        if (!IsEmpty(strip)) router_.PaintAll(window, strip, 0);
    }
    DrawCaption(window, 0, width < oldWidth);
    DrawBorder();
    ApplyRegion();
    // The frame lines and the title moved: show them (the system repaints only what it
    // exposed).
    for (const RECT& strip : strips) {
        if (!IsEmpty(strip)) InvalidateRect(window, &strip, FALSE);
    }
    const RECT caption = MakeRect(0, 0, width, Px(kCaptionHeight));
    const RECT right = MakeRect(width - e, 0, e, height);
    const RECT bottom = MakeRect(0, height - e, width, e);
    for (const RECT& area : {caption, right, bottom})
        InvalidateRect(window, &area, FALSE);
}

void SkinForm::GrowBuffers(int width, int height) {
    // At once as large as the window can become now (the maximum tracking size grows with the
    // monitors), so later sizing does not reallocate; when that much memory is not to be had,
    // just large enough.
    const int atLeastWidth = std::max(width, screen_.Width());
    const int atLeastHeight = std::max(height, screen_.Height());
    if (MakeBuffers(std::max(atLeastWidth, GetSystemMetrics(SM_CXMAXTRACK)),
                    std::max(atLeastHeight, GetSystemMetrics(SM_CYMAXTRACK)))) {
        return;
    }
    MakeBuffers(atLeastWidth, atLeastHeight);
}

int SkinForm::EdgeAt(LPARAM point) const {
    const int x = LoWord(point), y = HiWord(point);
    const bool left = x <= Px(kNearEdge), right = width_ - x < Px(kFarEdge);
    const bool top = y <= Px(kNearEdge), bottom = height_ - y < Px(kFarEdge);
    if (top) return left ? WMSZ_TOPLEFT : right ? WMSZ_TOPRIGHT : WMSZ_TOP;
    if (bottom) return left ? WMSZ_BOTTOMLEFT : right ? WMSZ_BOTTOMRIGHT : WMSZ_BOTTOM;
    if (left) return WMSZ_LEFT;
    if (right) return WMSZ_RIGHT;
    return 0;
}

void SkinForm::OnMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (pressPoint_ && FollowPress(window, message, wParam, lParam)) return;
    router_.RouteMouse(window, message, lParam, [this](HWND target, UINT routed, LPARAM point) {
        OnBareForm(target, routed, point);
    });
}

void SkinForm::OnBareForm(HWND window, UINT message, LPARAM point) {
    const int edge = fixedSize_ ? 0 : EdgeAt(point);
    if (message == WM_MOUSEMOVE && !fixedSize_) {
        SetCursor(LoadCursorW(nullptr, EdgeCursor(edge)));
    } else if (message == WM_LBUTTONDOWN) {
        if (edge) {
            // The system's size loop takes the pointer from here (modal until release).
            SendMessageW(window, WM_SYSCOMMAND, SC_SIZE | edge,
                         static_cast<LPARAM>(GetMessagePos()));
            return;
        }
        // Not a drag yet: the system's move loop would swallow this click and a double-click's
        // second press (under a window manager it takes the pointer at once).
        pressPoint_ = POINT{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
        SetCapture(window);
    }
}

bool SkinForm::FollowPress(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_MOUSELEAVE) return false;
    if (message != WM_MOUSEMOVE || !(wParam & MK_LBUTTON)) {
        // Released (or the release went elsewhere): a click, no drag.
        ForgetPress(window);
        return false;
    }
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (std::abs(at.x - pressPoint_->x) <= GetSystemMetrics(SM_CXDRAG) &&
        std::abs(at.y - pressPoint_->y) <= GetSystemMetrics(SM_CYDRAG)) {
        return true;
    }
    // The window catches up with the pointer first, so the spot pressed stays under it; the
    // system's move loop then takes the pointer from here (modal until release).
    RECT rect{};
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, rect.left + at.x - pressPoint_->x,
                 rect.top + at.y - pressPoint_->y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ForgetPress(window);
    GetCursorPos(&at);
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(at.x, at.y));
    return true;
}

void SkinForm::ForgetPress(HWND window) {
    pressPoint_.reset();
    if (GetCapture() == window) ReleaseCapture();
}

// --- Timers

void SkinForm::OnTimer(HWND window, UINT_PTR timerId) {
    if (timerId == kSkinFadeTimerId) {
        StepFade(window);
    } else {
        router_.RouteTimer(window, timerId);
    }
}
