#include "app/game_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "app/community.h"
#include "app/control_font.h"
#include "app/wide_text.h"
#include "app/window_class.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriGameWindow";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

}  // namespace

const char GameWindow::kTitle[] = "Zentori网页游戏游戏画面";
const char GameWindow::kPlayingSuffix[] = "游戏中";
const char GameWindow::kCommunityText[] = "玩家交流 QQ群：";
const char GameWindow::kBrowserMissingText[] = "无法创建网页浏览器控件，游戏画面不能显示";

GameWindow::GameWindow(const CLSID& browserClass) : browser_(browserClass) {}

GameWindow::~GameWindow() {
    Close();
}

bool GameWindow::Open(HINSTANCE instance, std::string_view link, std::string_view name) {
    if (!window_) {
        if (!Create(instance)) return false;
    } else if (IsIconic(window_)) {
        // Another game chosen while this window sits minimised: show it again.
        ShowWindow(window_, SW_RESTORE);
    }
    browser_.Navigate(link);
    SetWindowTextW(window_, GbkToWide(JoinBytes({name, kPlayingSuffix})).c_str());
    return true;
}

void GameWindow::Close() {
    if (window_) DestroyWindow(window_);
}

bool GameWindow::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterWindowClassOnce({.name = kClassName,
                                  .procedure = WindowProc,
                                  .instance = instance,
                                  .background = GetSysColorBrush(COLOR_WINDOW),
                                  .programIcon = true})) {
        return false;
    }
    HWND window =
        CreateWindowExW(0, kClassName, GbkToWide(kTitle).c_str(), kStyle, kLeft, kTop,
                        placement_.width, placement_.height, nullptr, nullptr, instance, this);
    if (!window) return false;
    ShowWindow(window, placement_.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window);
    return true;
}

LRESULT CALLBACK GameWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowOwner<GameWindow>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT GameWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_SIZE:
            // Minimised, the client area is empty; the parts keep their widths for the restore.
            if (wParam != SIZE_MINIMIZED) Layout();
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            statusBar_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void GameWindow::OnCreate(HWND window) {
    window_ = window;
    statusBar_ = CreateWindowExW(
        0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
        nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    if (!statusFont_) statusFont_ = CreateControlFont();
    if (statusFont_) SendMessageW(statusBar_, WM_SETFONT, WPARAM(statusFont_.get()), FALSE);
    const int parts[2] = {kInitialStatusPartWidth, -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SetPartText(1, GbkToWide(JoinBytes({kCommunityText, kCommunityGroupNumber})));

    browser_.SetStatusTextHandler([this](std::wstring_view text) { SetPartText(0, text); });
    if (!browser_.Create(window, 0, 0, kInitialBrowserWidth, kInitialBrowserHeight)) {
        SetPartText(0, GbkToWide(kBrowserMissingText));
    }
}

void GameWindow::SetPlacement(const Placement& placement) {
    placement_.width = std::clamp(placement.width, kMinWidth,
                                  std::max(kMinWidth, GetSystemMetrics(SM_CXVIRTUALSCREEN)));
    placement_.height = std::clamp(placement.height, kMinHeight,
                                   std::max(kMinHeight, GetSystemMetrics(SM_CYVIRTUALSCREEN)));
    placement_.maximised = placement.maximised;
}

void GameWindow::OnDestroy(HWND window) {
    browser_.Destroy();
    WINDOWPLACEMENT now{};
    now.length = sizeof(now);
    if (GetWindowPlacement(window, &now)) {
        const RECT& normal = now.rcNormalPosition;
        // Minimised, what counts is the state it would be restored to.
        const bool maximised =
            now.showCmd == SW_SHOWMAXIMIZED ||
            (now.showCmd == SW_SHOWMINIMIZED && (now.flags & WPF_RESTORETOMAXIMIZED) != 0);
        SetPlacement({normal.right - normal.left, normal.bottom - normal.top, maximised});
    }
    // A copy: the handler may replace itself.
    const std::function<void(const Placement&)> handler = onClosed_;
    if (handler) handler(placement_);
}

// The browser takes the client area above the status bar; part 1 of the status bar all but the
// last kCommunityPartWidth pixels.
void GameWindow::Layout() {
    if (!window_ || !statusBar_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    SendMessageW(statusBar_, WM_SIZE, 0, 0);  // the status bar docks itself at the bottom
    // Never -1 or less: a right edge of -1 would stretch part 1 over the whole bar.
    const int parts[2] = {std::max(0, width - kCommunityPartWidth), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

    RECT bar{};
    GetWindowRect(statusBar_, &bar);
    const int barHeight = IsWindowVisible(statusBar_) ? bar.bottom - bar.top : 0;
    browser_.Move(0, 0, width, std::max(0, height - barHeight));
}

void GameWindow::SetPartText(int part, std::wstring_view text) {
    if (!statusBar_) return;
    const std::wstring terminated(text);
    SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(terminated.c_str()));
}

bool OpenSelectedGame(GameWindow& gameWindow, HINSTANCE instance, int row, std::string_view name,
                      std::string_view link) {
    if (row == 0 || link.empty()) return false;
    return gameWindow.Open(instance, link, name);
}
