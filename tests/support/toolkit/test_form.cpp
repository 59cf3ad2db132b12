#include "tests/support/toolkit/test_form.h"

#include <gtest/gtest.h>

#include <utility>

#include "widgets/drawing.h"
#include "win/window_class.h"

namespace test {

namespace {

constexpr wchar_t kClassName[] = L"ZentoriTestWindow";

bool Records(UINT message) {
    switch (message) {
        case WM_CLOSE:
        case WM_SYSCOMMAND:
        case WM_LBUTTONDBLCLK:
        case WM_SIZE:
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEWHEEL:
        case WM_MOUSELEAVE:
        case WM_NCLBUTTONDOWN:
            return true;
        default:
            return false;
    }
}

void RegisterTestClass() {
    static const bool registered = RegisterWindowClassOnce({.name = kClassName,
                                                            .procedure = DefWindowProcW,
                                                            .instance = GetModuleHandleW(nullptr),
                                                            .style = CS_DBLCLKS});
    (void)registered;
}

}  // namespace

TestWindow::TestWindow(const Options& options) : swallowCommands_(options.swallowCommands) {
    RegisterTestClass();
    window_ = CreateWindowExW(0, kClassName, options.title.c_str(), options.style, options.x,
                              options.y, options.width, options.height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) {
        ADD_FAILURE() << "cannot create the test window: " << GetLastError();
        return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    if (options.show) {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
}

TestWindow::~TestWindow() {
    Destroy();
}

void TestWindow::Destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

int TestWindow::CountSeen(UINT message) const {
    int count = 0;
    for (const SeenMessage& seen : seen_)
        count += seen.message == message ? 1 : 0;
    return count;
}

int TestWindow::CountSeen(UINT message, WPARAM wParam) const {
    int count = 0;
    for (const SeenMessage& seen : seen_) {
        count += seen.message == message && seen.wParam == wParam ? 1 : 0;
    }
    return count;
}

LRESULT CALLBACK TestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        if (Records(message)) self->seen_.push_back({message, wParam, lParam});
        if (self->swallowCommands_ && (message == WM_CLOSE || message == WM_SYSCOMMAND)) {
            return 0;
        }
        if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TestForm::TestForm(const Options& options)
    : form_(std::make_unique<SkinForm>()), window_(options.window) {
    EnsureGraphics();
    EXPECT_TRUE(form_->Attach(window_.Handle(), options.skinPath, options.form));
}

SolidSkin::SolidSkin(COLORREF colour, int width, int height, std::wstring_view name)
    : colour_(colour), width_(width), height_(height), file_(name) {
    EnsureGraphics();
    EXPECT_TRUE(file_.Write(EncodeSolidImage(width, height, colour, ImageFormat::kPng)));
}

std::unique_ptr<TestForm> SolidSkin::MakeForm(TestForm::Options options) const {
    options.window.width = width_;
    options.window.height = height_;
    options.skinPath = file_.GbkPath();
    return std::make_unique<TestForm>(options);
}

std::unique_ptr<TestForm> SolidSkin::MakeForm(int widgetFade) const {
    TestForm::Options options;
    options.form.widgetFade = widgetFade;
    return MakeForm(options);
}

COLORREF TestForm::ScreenPixel(int x, int y) const {
    return ArgbToColorref(form_->ScreenBuffer().Pixel(x, y));
}

COLORREF TestForm::BackgroundPixel(int x, int y) const {
    return ArgbToColorref(form_->BackgroundBuffer().Pixel(x, y));
}

COLORREF TestForm::WindowPixel(int x, int y) const {
    HDC dc = GetDC(window_.Handle());
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window_.Handle(), dc);
    return colour;
}

PixelSource TestForm::Screen() const {
    return [this](int x, int y) { return ScreenPixel(x, y); };
}

PixelSource TestForm::Background() const {
    return [this](int x, int y) { return BackgroundPixel(x, y); };
}

PixelSource TestForm::OnWindow() const {
    return [this](int x, int y) { return WindowPixel(x, y); };
}

void PumpMessages(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMilliseconds) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

int PumpCounting(const MessageTest& counts, int count, const std::function<void()>& afterEach,
                 int timeoutMilliseconds) {
    int seen = 0;
    const ULONGLONG deadline = GetTickCount64() + timeoutMilliseconds;
    while (seen < count && GetTickCount64() < deadline) {
        MSG message;
        while (seen < count && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (!counts(message)) continue;
            ++seen;
            if (afterEach) afterEach();
        }
        if (seen < count) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return seen;
}

MessageTest TimerTick(HWND window, UINT_PTR timerId) {
    return [window, timerId](const MSG& message) {
        return message.message == WM_TIMER && message.hwnd == window && message.wParam == timerId;
    };
}

MenuWatcher::MenuWatcher(std::function<void(HWND menuWindow)> onOpen) : onOpen_(std::move(onOpen)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &MenuWatcher::Tick);
}

MenuWatcher::~MenuWatcher() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
}

void CALLBACK MenuWatcher::Tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuWatcher* self = current_;
    if (!self) return;
    const HWND menu = FindWindowW(L"#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) {
        self->handled_ = nullptr;
        return;
    }
    if (menu == self->handled_) {
        if (++self->ticksOpen_ > 200) EndMenu();  // ten seconds on
        return;
    }
    self->handled_ = menu;
    self->ticksOpen_ = 0;
    ++self->seen_;
    self->onOpen_(menu);
}

void PlaceCursor(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    SetCursorPos(point.x, point.y);
}

void PlaceCursorAway() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
}

CursorAway::CursorAway() {
    PlaceCursorAway();
    PumpMessages(10);
}

LRESULT SendMouse(HWND window, UINT message, int x, int y) {
    PlaceCursor(window, x, y);
    const WPARAM keys = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
    return SendMessageW(window, message, keys, MAKELPARAM(x, y));
}

void Click(HWND window, int x, int y) {
    SendMouse(window, WM_LBUTTONDOWN, x, y);
    SendMouse(window, WM_LBUTTONUP, x, y);
}

void Scribble(const TestForm& form, const RECT& rect) {
    UniqueBrushGdi brush(CreateSolidBrush(kMarker));
    FillRect(form.Form().Record().ScreenDc(), &rect, brush.get());
    FillRect(form.Form().Record().windowDc, &rect, brush.get());
}

bool HasMarker(const PixelSource& source, const RECT& rect) {
    return CountPixels(source, rect, [](COLORREF c) { return NearColour(c, kMarker, 0); }) > 0;
}

}  // namespace test
