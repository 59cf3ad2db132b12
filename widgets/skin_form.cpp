// Sections: attaching and detaching; skins; caption and frame; window messages; sizing and
// dragging; the skin fade.
#include "widgets/skin_form.h"

#include <psapi.h>
#include <uxtheme.h>

#include <algorithm>

#include "widgets/caption_buttons.h"
#include "widgets/drawing.h"

namespace {

constexpr wchar_t kPreviousProcProperty[] = L"zentori.skinform.previous";

// Skin, caption and frame geometry.
constexpr int kSkinSampleInset = 50;    // background colour: this far in from bottom-right
constexpr float kSkinFadeLength = 100;  // the skin blends into it over its last pixels
constexpr int kCaptionHeight = 22;
constexpr int kCaptionButtonsWidth = 98;   // right end of the caption left to the buttons
constexpr int kCaptionZoneHeight = 20;     // double-click zone: y below this...
constexpr int kCaptionZoneRightGap = 100;  // ...and x left of W - this
constexpr int kTitleSampleY = 10;
constexpr int kTitleSampleInset = 10;
constexpr int kRegionCorner = 5;
constexpr COLORREF kNoSkinColour = 0xF0F0F0;  // before any picture could be read
constexpr int kTitleAlpha = 240;
constexpr int kTitleFlags = 0x1000;

// Sizing: a zone this wide along each edge (left/top inclusive of 4, right/bottom within 8).
constexpr int kNearEdge = 4;
constexpr int kFarEdge = 8;

// Skin fade: steps of 85 every 100 ms, then an opaque copy.
constexpr UINT kSkinFadeMilliseconds = 100;
constexpr int kSkinFadeStep = 85;

// Themed glow caption (UxTheme "TextStyle", part TEXT_BODYTEXT).
constexpr int kThemeTextPart = 8;
constexpr int kThemeGlowSize = 4;

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

RECT Rect(int left, int top, int width, int height) {
    RECT rect;
    MakeRect(left, top, width, height, rect);
    return rect;
}

bool IsEmpty(const RECT& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

}  // namespace

// --- Attaching and detaching

SkinForm::SkinForm() = default;

SkinForm::~SkinForm() {
    if (attached_) OnDestroy(window_);
    Unsubclass();
}

bool SkinForm::Attach(HWND window, std::string_view skinPath, const SkinFormOptions& options) {
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

    if (!InitForm(window)) {
        OnDestroy(window);
        Unsubclass();
        return false;
    }
    return true;
}

bool SkinForm::InitForm(HWND window) {
    record_.window = window;
    record_.form = this;
    record_.router = &router_;
    AddForm(&record_);
    attached_ = true;
    UpdateWindowRect();
    width_ = record_.windowRect.right - record_.windowRect.left;
    height_ = record_.windowRect.bottom - record_.windowRect.top;

    windowDc_ = WindowDc(window);
    record_.windowDc = windowDc_.get();
    // As large as the window can become, so sizing never reallocates.
    const int width = std::max(GetSystemMetrics(SM_CXMAXTRACK), width_);
    const int height = std::max(GetSystemMetrics(SM_CYMAXTRACK), height_);
    if (!record_.windowDc || !MakeBuffers(width, height)) return false;

    if (captionMode_ != 0 && captionMode_ != 1) {
        const std::string_view strip = CaptionStripPng();
        buttonStrip_.LoadFromBytes(strip);
        SetPropW(window, SysButton::kStripProperty, buttonStrip_.GetHandle());
        CreateCaptionButtons(window);
    }
    SetSkin(skinPath_, 0);
    return true;
}

bool SkinForm::MakeBuffers(int width, int height) {
    if (!screen_.Create(record_.windowDc, width, height) ||
        !background_.Create(record_.windowDc, width, height)) {
        screen_.Reset();
        background_.Reset();
        return false;
    }
    record_.screenDc = screen_.Dc();
    record_.backgroundDc = background_.Dc();
    record_.screenGraphics = screen_.Graphics();
    record_.backgroundGraphics = background_.Graphics();
    return true;
}

void SkinForm::CreateCaptionButtons(HWND window) {
    captionButtons_.clear();
    struct Button {
        int kind;
        bool disabled;
    };
    std::vector<Button> buttons;
    if (captionMode_ == 2 || captionMode_ == 3) {
        buttons = {{kCaptionClose, captionMode_ == 3},
                   {kCaptionMaximise, !maximisable_},
                   {kCaptionMinimise, !minimisable_}};
    } else {
        buttons = {{kCaptionClose, captionMode_ == 5}};
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        auto button = std::make_unique<SysButton>();
        button->Create(window, SysButton::LeftFor(number, width_), SysButton::kTop,
                       SysButton::WidthFor(number), SysButton::kHeight, buttons[i].kind,
                       buttons[i].disabled);
        captionButtons_.push_back(std::move(button));
    }
}

const SysButton* SkinForm::CaptionButton(int number) const {
    if (number < 1 || number > CaptionButtonCount()) return nullptr;
    return captionButtons_[number - 1].get();
}

void SkinForm::OnDestroy(HWND window) {
    if (!attached_) return;
    KillTimer(window, kSkinFadeTimerId);
    fadeAlpha_ = 0;
    // A leave request for a window that goes never reports back; other forms must be able to
    // track again.
    MouseTracking = 0;
    router_.DestroyAll(window);
    captionButtons_.clear();
    RemovePropW(window, SysButton::kStripProperty);
    buttonStrip_.Release();
    record_.screenDc = record_.backgroundDc = nullptr;
    record_.screenGraphics = record_.backgroundGraphics = nullptr;
    screen_.Reset();
    background_.Reset();
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

// --- Skins

bool SkinForm::SetSkin(std::string_view path, int fade) {
    if (!attached_ || !background_) return false;
    Picture skin;
    skin.LoadFromFile(path);
    skinPath_.assign(path);

    ComposeBackground(skin);
    RECT all = Rect(0, 0, width_, height_);
    RestoreBackground(record_, all);
    ChooseCaptionColour(skin);
    PaintWidgets(1);
    DrawCaption(window_, fade, false);
    DrawBorder();
    ApplyRegion();
    if (fade) {
        SetTimer(window_, kSkinFadeTimerId, kSkinFadeMilliseconds, nullptr);
    } else {
        PresentAll(255);
    }
    EmptyWorkingSet(GetCurrentProcess());
    return true;
}

void SkinForm::ComposeBackground(const Picture& skin) {
    const int width = skin.GetWidth(), height = skin.GetHeight();
    const bool hasImage = width > 0 && height > 0;
    if (hasImage) {
        // Pictures smaller than the inset are sampled at their nearest pixel.
        const int x = std::clamp(width - kSkinSampleInset, 0, width - 1);
        const int y = std::clamp(height - kSkinSampleInset, 0, height - 1);
        const ARGB sample = skin.GetPixel(x, y);
        if (sample >> 24) record_.backgroundColour = ArgbToColorref(sample);
    }
    GpGraphics* graphics = record_.backgroundGraphics;
    const COLORREF colour = record_.backgroundColour;
    GdipGraphicsClear(graphics, MakeArgb(colour));
    if (!hasImage || record_.backgroundMode == 2) return;

    GpImage* image = skin.GetHandle();
    if (record_.backgroundMode == 1) {
        GdipDrawImageRect(graphics, image, 0, 0, static_cast<float>(width_),
                          static_cast<float>(height_));
        return;
    }
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    GdipDrawImageRect(graphics, image, 0, 0, w, h);
    // The right and bottom ends blend into the background colour.
    struct Fade {
        Gdiplus::PointF from, to;
        RectF area;
    };
    const Fade fades[] = {
        {{w - kSkinFadeLength, 0}, {w, 0}, RectF(w - kSkinFadeLength, 0, kSkinFadeLength, h)},
        {{0, h - kSkinFadeLength}, {0, h}, RectF(0, h - kSkinFadeLength, w, kSkinFadeLength)},
    };
    for (const Fade& fade : fades) {
        GpLineGradient* gradient = nullptr;
        if (GdipCreateLineBrush(&fade.from, &fade.to, MakeArgb(colour, 0), MakeArgb(colour),
                                Gdiplus::WrapModeTile, &gradient) != Gdiplus::Ok) {
            continue;
        }
        UniqueBrush brush(gradient);
        FillRectF(graphics, brush.get(), fade.area.X, fade.area.Y, fade.area.Width,
                  fade.area.Height);
    }
}

void SkinForm::ChooseCaptionColour(const Picture& skin) {
    // The title is white when the top row of the picture is dark at all three samples. A sample
    // outside the picture takes the background colour, which is what shows there.
    const int width = skin.GetWidth(), height = skin.GetHeight();
    bool anyLight = false;
    for (int x : {kTitleSampleInset, width_ / 2, width_ - kTitleSampleInset}) {
        const bool inside = x >= 0 && x < width && kTitleSampleY < height;
        const ARGB sample =
            inside ? skin.GetPixel(x, kTitleSampleY) : MakeArgb(record_.backgroundColour);
        anyLight = anyLight || IsLightColour(sample);
    }
    captionColour_ = anyLight ? 0x000000 : 0xFFFFFF;
}

int SkinForm::BackgroundMode(int mode) {
    if (mode != record_.backgroundMode) {
        record_.backgroundMode = mode;
        SetSkin(skinPath_, 0);
    }
    return record_.backgroundMode;
}

int SkinForm::WidgetFade(int flag) {
    record_.widgetFade = flag;
    return record_.widgetFade;
}

void SkinForm::SetEnterHandler(WidgetRouter::Notify handler) {
    router_.SetEnterHandler(std::move(handler));
}

void SkinForm::SetLeaveHandler(WidgetRouter::Notify handler) {
    router_.SetLeaveHandler(std::move(handler));
}

void SkinForm::PaintWidgets(LPARAM flag) {
    if (attached_) router_.PaintAll(window_, Rect(0, 0, width_, height_), flag);
}

void SkinForm::PaintWidget(int widgetId, LPARAM flag) {
    if (attached_) router_.PaintOne(window_, widgetId, flag);
}

void SkinForm::ApplyRegion() {
    UniqueRegion region(
        CreateRoundRectRgn(0, 0, width_ + 1, height_ + 1, kRegionCorner, kRegionCorner));
    // On success the window owns the region.
    if (region && SetWindowRgn(window_, region.get(), FALSE)) region.release();
}

void SkinForm::PresentAll(int alpha) {
    PresentRect(record_, Rect(0, 0, width_, height_), alpha);
}

// --- Caption and frame

void SkinForm::DrawBorder() {
    if (!attached_) return;
    GpGraphics* graphics = record_.screenGraphics;
    const float w = static_cast<float>(width_), h = static_cast<float>(height_);
    DrawRoundRect(graphics, RectF(0, 0, w, h), 6, 0x000000, 120);
    DrawRoundRect(graphics, RectF(1, 1, w - 2, h - 2), 3, 0xFFFFFF, 60);
}

void SkinForm::DrawCaption(HWND window, int fade, bool reverse) {
    if (!attached_ || captionMode_ == 0) return;
    RestoreBackground(record_, Rect(0, 0, width_ - kCaptionButtonsWidth, kCaptionHeight));

    auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    if (icon) DrawIconEx(record_.screenDc, 6, 6, icon, 16, 16, 0, nullptr, DI_NORMAL);

    const int count = CaptionButtonCount();
    for (int i = 0; i < count; ++i) {
        const int number = reverse ? count - i : i + 1;
        captionButtons_[number - 1]->Relayout(window, number, width_, fade != 0);
    }
    DrawTitle(window);
}

void SkinForm::DrawTitle(HWND window) {
    std::wstring title(256, L'\0');
    title.resize(std::max(0, GetWindowTextW(window, title.data(), 256)));
    if (title.empty()) return;
    // The themed glow needs a theme (not under Wine); otherwise the toolkit's own glow.
    if (OsMajorVersion >= 6 && DrawThemedTitle(window, title)) return;
    TextStyle style;
    style.colour = captionColour_;
    style.alpha = kTitleAlpha;
    style.formatFlags = kTitleFlags;
    style.effect = kEffectGlow;
    PaintText(RectF(26, 5, static_cast<float>(width_ - 125), 17), record_.screenGraphics,
              std::wstring_view(title), style);
}

bool SkinForm::DrawThemedTitle(HWND window, const std::wstring& title) {
    UniqueTheme theme(OpenThemeData(window, L"TextStyle"));
    if (!theme) return false;
    const int width = width_ - 125, height = 17;
    Canvas text;
    if (width <= 0 || !text.Create(record_.screenDc, width, height, true)) return false;
    BitBlt(text.Dc(), 0, 0, width, height, record_.screenDc, 26, 5, SRCCOPY);
    RECT area{4, 0, width_ - 99, kCaptionHeight};
    DTTOPTS options{};
    options.dwSize = sizeof(options);
    options.dwFlags = DTT_TEXTCOLOR | DTT_GLOWSIZE | DTT_COMPOSITED;
    options.crText = 0x000000;
    options.iGlowSize = kThemeGlowSize;
    DrawThemeTextEx(theme.get(), text.Dc(), kThemeTextPart, 0, title.c_str(), -1, DT_SINGLELINE,
                    &area, &options);
    BitBlt(record_.screenDc, 26, 5, width, height, text.Dc(), 0, 0, SRCCOPY);
    return true;
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
                OnMouse(window, message, lParam);
                break;
            case WM_CAPTURECHANGED:
                router_.OnCaptureChanged(window, reinterpret_cast<HWND>(lParam));
                break;
            case WM_LBUTTONDBLCLK:
                OnDoubleClick(window, lParam);
                break;
            case WM_MOUSEWHEEL:
                OnMouseWheel(window, wParam, lParam);
                break;
            case MsgWidgetPost:
                router_.RoutePost(window, wParam, lParam);
                break;
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
               record_.screenDc, area.left, area.top, SRCCOPY);
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
    if (y >= kCaptionZoneHeight || !maximisable_ || x >= width_ - kCaptionZoneRightGap) return;
    PostMessageW(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, 0);
}

void SkinForm::OnMouseWheel(HWND window, WPARAM wParam, LPARAM lParam) {
    router_.RouteWheel(window, record_.windowRect, wParam, lParam);
}

// --- Sizing and dragging

void SkinForm::OnSize(HWND window, int width, int height) {
    const int oldWidth = width_, oldHeight = height_;
    width_ = width;
    height_ = height;
    if (width > screen_.Width() || height > screen_.Height()) {
        // Larger than the system's maximum tracking size (several monitors changed): the
        // buffers grow and everything is drawn anew.
        MakeBuffers(std::max(width, screen_.Width()), std::max(height, screen_.Height()));
        SetSkin(skinPath_, 0);
        InvalidateRect(window, nullptr, FALSE);
        return;
    }
    if (record_.backgroundMode == 1) {
        SetSkin(skinPath_, 0);
        return;
    }
    // The old frame and the newly exposed strips at the right and bottom come back from the
    // background; only the widgets in those strips repaint.
    const RECT strips[] = {
        Rect(0, 0, oldWidth - 3, 3),
        Rect(0, 3, 3, oldHeight - 3),
        Rect(0, oldHeight - 3, width, height - oldHeight + 3),
        Rect(oldWidth - 3, 3, width - oldWidth + 3, oldHeight - 6),
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
    const RECT caption = Rect(0, 0, width, kCaptionHeight);
    const RECT right = Rect(width - 3, 0, 3, height);
    const RECT bottom = Rect(0, height - 3, width, 3);
    for (const RECT& area : {caption, right, bottom})
        InvalidateRect(window, &area, FALSE);
}

int SkinForm::EdgeAt(LPARAM point) const {
    const int x = LoWord(point), y = HiWord(point);
    const bool left = x <= kNearEdge, right = width_ - x < kFarEdge;
    const bool top = y <= kNearEdge, bottom = height_ - y < kFarEdge;
    if (top) return left ? WMSZ_TOPLEFT : right ? WMSZ_TOPRIGHT : WMSZ_TOP;
    if (bottom) return left ? WMSZ_BOTTOMLEFT : right ? WMSZ_BOTTOMRIGHT : WMSZ_BOTTOM;
    if (left) return WMSZ_LEFT;
    if (right) return WMSZ_RIGHT;
    return 0;
}

void SkinForm::OnMouse(HWND window, UINT message, LPARAM lParam) {
    router_.RouteMouse(window, message, lParam, [this](HWND target, UINT routed, LPARAM point) {
        OnBareForm(target, routed, point);
    });
}

void SkinForm::OnBareForm(HWND window, UINT message, LPARAM point) {
    const int edge = fixedSize_ ? 0 : EdgeAt(point);
    if (message == WM_MOUSEMOVE && !fixedSize_) {
        SetCursor(LoadCursorW(nullptr, EdgeCursor(edge)));
    } else if (message == WM_LBUTTONDOWN) {
        // The system's move and size loops take the pointer from here (modal until release).
        const LPARAM screenPoint = static_cast<LPARAM>(GetMessagePos());
        if (edge) {
            SendMessageW(window, WM_SYSCOMMAND, SC_SIZE | edge, screenPoint);
        } else {
            SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, screenPoint);
        }
    }
}

// --- The skin fade

void SkinForm::OnTimer(HWND window, UINT_PTR timerId) {
    if (timerId != kSkinFadeTimerId) {
        router_.RouteTimer(window, timerId);
        return;
    }
    if (fadeAlpha_ < 255) {
        fadeAlpha_ = std::min(fadeAlpha_ + kSkinFadeStep, 255);
        PresentAll(fadeAlpha_);
        return;
    }
    KillTimer(window, kSkinFadeTimerId);
    fadeAlpha_ = 0;
    PresentAll(255);
}
