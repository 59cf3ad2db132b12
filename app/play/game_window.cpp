#include "app/play/game_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "app/community.h"
#include "app/control_font.h"
#include "win/key_press.h"
#include "app/play/screenshot.h"
#include "win/wide_text.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriGameWindow";
// Posted after a restore: the window moves to its normal place (see GameWindow::Restore).
constexpr UINT kPlaceRestoredMessage = WM_APP + 1;
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

struct ToolbarEntry {
    int command;
    BYTE style;
    const char* text;     // GBK
    const char* tooltip;  // GBK: the text with its key
};

constexpr ToolbarEntry kToolbar[] = {
    {GameWindow::kRefreshButton, BTNS_BUTTON, "刷新", "刷新 (F5)"},
    {GameWindow::kFullScreenButton, BTNS_BUTTON, "全屏", "全屏 (F11，Esc 退出)"},
    {GameWindow::kMuteButton, BTNS_CHECK, "静音", "静音"},
    {GameWindow::kScreenshotButton, BTNS_BUTTON, "截图", "截图 (Ctrl+Alt+S)"},
    {GameWindow::kFavouriteButton, BTNS_CHECK, "收藏", "收藏"},
};

// `place` moved, and shrunk if need be, into `area`.
RECT FitInto(const RECT& place, const RECT& area) {
    const LONG width = std::min(place.right - place.left, area.right - area.left);
    const LONG height = std::min(place.bottom - place.top, area.bottom - area.top);
    const LONG left = std::clamp(place.left, area.left, area.right - width);
    const LONG top = std::clamp(place.top, area.top, area.bottom - height);
    return RECT{left, top, left + width, top + height};
}

// The work area (screen coordinates) of the monitor `place` lies on most, and the offset of
// workspace coordinates (a window placement's) from screen coordinates on it.
bool WorkArea(const RECT& place, RECT& area, POINT& workspaceOffset) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return false;
    }
    area = monitor.rcWork;
    workspaceOffset = {monitor.rcWork.left - monitor.rcMonitor.left,
                       monitor.rcWork.top - monitor.rcMonitor.top};
    return true;
}

}  // namespace

const char GameWindow::kTitle[] = "Zentori网页游戏游戏画面";
const char GameWindow::kPlayingSuffix[] = "游戏中";
const char GameWindow::kCommunityText[] = "玩家交流 QQ群：";
const char GameWindow::kBrowserMissingText[] = "无法创建网页浏览器控件，游戏画面不能显示";
const char GameWindow::kNoSoundText[] = "没有可用的音频设备，无法静音";
const char GameWindow::kScreenshotSavedText[] = "截图已保存到 ";
const char GameWindow::kScreenshotFailedText[] = "截图未能保存到 ";

GameWindow::GameWindow(const CLSID& browserClass) : browser_(browserClass), popups_(browserClass) {}

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
    // The pop-ups of the game played until now go with its page: their opener is gone.
    if (!popup_ && link != link_) popups_.CloseAll();
    link_ = link;
    name_ = name;
    pageError_.Hide();
    if (!popup_) browser_.Navigate(link);  // a pop-up's page is loaded by the control
    SetWindowTextW(window_, GbkToWide(JoinBytes({name, kPlayingSuffix})).c_str());
    // The game is played at once: a reused window may lie behind the main window, where the
    // player would see nothing happen, and the keys belong to the page. (Raised explicitly too:
    // where a window manager decides the activation, as under Wine, the window still comes up.)
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
    browser_.Focus();
    return true;
}

void GameWindow::Close() {
    if (window_) DestroyWindow(window_);
}

bool GameWindow::Create(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    const std::wstring title = GbkToWide(kTitle);
    const RECT place = NormalPlace();
    if (!CreateNativeWindow({.name = kClassName,
                             .instance = instance,
                             .background = GetSysColorBrush(COLOR_WINDOW),
                             .programIcon = true},
                            {.style = kStyle,
                             .title = title.c_str(),
                             .left = place.left,
                             .top = place.top,
                             .width = place.right - place.left,
                             .height = place.bottom - place.top})) {
        return false;
    }
    ShowWindow(window_, placement_.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

LRESULT GameWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TestNewWindowMessage() != 0 && message == TestNewWindowMessage()) {
        FireTestNewWindow(wParam != 0);
        return 0;
    }
    switch (message) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_RESTORE && IsZoomed(window)) {
                Restore(window, message, wParam, lParam);
                return 0;
            }
            break;
        case kPlaceRestoredMessage:
            PlaceRestored(window);
            return 0;
        case WM_SIZE:
            // Minimised, the client area is empty; the parts keep their widths for the restore.
            if (wParam != SIZE_MINIMIZED) Layout();
            return 0;
        case WM_DPICHANGED: {
            // Another monitor's DPI: the system's suggested rectangle, and fonts made for it.
            UseScaledFont(window);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout();
            return 0;
        }
        case WM_COMMAND:
            if (lParam != 0 && reinterpret_cast<HWND>(lParam) == toolbar_) {
                OnCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_NOTIFY: {
            auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            if (tip->hdr.code != TTN_GETDISPINFOW) break;
            for (const ToolbarEntry& entry : kToolbar) {
                if (static_cast<UINT_PTR>(entry.command) != tip->hdr.idFrom) continue;
                tooltip_ = GbkToWide(entry.tooltip);
                tip->lpszText = tooltip_.data();
            }
            return 0;
        }
        case WM_SETFOCUS:
            // Activated again (the taskbar, Alt+Tab): the keys go on to the page.
            browser_.Focus();
            return 0;
        case WM_DESTROY:
            OnDestroy(window);
            return 0;
        case WM_NCDESTROY:
            statusBar_ = nullptr;
            toolbar_ = nullptr;
            fullScreen_ = false;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void GameWindow::OnCreate(HWND window) {
    statusBar_ = CreateWindowExW(
        0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, window,
        nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    font_ = CreateControlFont(0, DisplayScale::ForWindow(window));
    if (font_) SendMessageW(statusBar_, WM_SETFONT, WPARAM(font_.get()), FALSE);
    const int parts[2] = {DisplayScale::ForWindow(window).Px(kInitialStatusPartWidth), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SetPartText(1, GbkToWide(JoinBytes({kCommunityText, kCommunityGroupNumber})));
    CreateToolbar(window);

    browser_.SetEvents(PageEvents());
    if (!browser_.Create(window, 0, 0, kInitialBrowserWidth, kInitialBrowserHeight)) {
        SetPartText(0, GbkToWide(kBrowserMissingText));
    }
}

void GameWindow::UseScaledFont(HWND window) {
    UniqueFontGdi font = CreateControlFont(0, DisplayScale::ForWindow(window));
    if (!font) return;
    for (HWND control : {statusBar_, toolbar_}) {
        if (control) SendMessageW(control, WM_SETFONT, WPARAM(font.get()), TRUE);
    }
    font_ = std::move(font);  // the old one goes once no control uses it
}

void GameWindow::SetPlacement(const Placement& placement) {
    const DisplayScale system = DisplayScale::ForSystem();
    placement_.width =
        std::clamp(placement.width, kMinWidth,
                   std::max(kMinWidth, system.Design(GetSystemMetrics(SM_CXVIRTUALSCREEN))));
    placement_.height =
        std::clamp(placement.height, kMinHeight,
                   std::max(kMinHeight, system.Design(GetSystemMetrics(SM_CYVIRTUALSCREEN))));
    placement_.maximised = placement.maximised;
}

// The remembered size is in 96-dpi units: the window opens as large on any display.
RECT GameWindow::NormalPlace() const {
    const RECT place =
        DisplayScale::ForSystem().Rect(kLeft, kTop, placement_.width, placement_.height);
    RECT area{};
    POINT offset{};
    return WorkArea(place, area, offset) ? FitInto(place, area) : place;
}

// A window manager may put a window it first saw maximised anywhere when it restores it (one
// places it in the largest free space, which can be half off the screen), and the system takes
// that place over: the window goes where Windows would restore it, inside the work area. The
// move is posted, since a window manager's restore is still being taken over while this runs
// and a move made now would be undone.
void GameWindow::Restore(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WINDOWPLACEMENT before{};
    before.length = sizeof(before);
    const bool known = GetWindowPlacement(window, &before);
    DefWindowProcW(window, message, wParam, lParam);
    RECT area{};
    POINT offset{};
    if (!known || !WorkArea(before.rcNormalPosition, area, offset)) return;
    RECT normal = before.rcNormalPosition;
    OffsetRect(&normal, offset.x, offset.y);
    restorePlace_ = FitInto(normal, area);
    PostMessageW(window, kPlaceRestoredMessage, 0, 0);
}

void GameWindow::PlaceRestored(HWND window) {
    const std::optional<RECT> place = std::exchange(restorePlace_, std::nullopt);
    if (!place || IsZoomed(window) || IsIconic(window) || fullScreen_) return;
    RECT now{};
    GetWindowRect(window, &now);
    if (EqualRect(&now, &*place)) return;
    SetWindowPos(window, nullptr, place->left, place->top, place->right - place->left,
                 place->bottom - place->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameWindow::CreateToolbar(HWND window) {
    // Flat text buttons in one slim row; the toolbar docks itself at the top.
    toolbar_ = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NODIVIDER, 0,
        0, 0, 0, window, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    if (!toolbar_) return;
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (font_) SendMessageW(toolbar_, WM_SETFONT, WPARAM(font_.get()), FALSE);
    SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));  // text only

    std::wstring texts[std::size(kToolbar)];  // the toolbar copies them
    TBBUTTON buttons[std::size(kToolbar)] = {};
    for (size_t i = 0; i < std::size(kToolbar); ++i) {
        texts[i] = GbkToWide(kToolbar[i].text);
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = kToolbar[i].command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = static_cast<BYTE>(kToolbar[i].style | BTNS_AUTOSIZE);
        buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i].c_str());
    }
    SendMessageW(toolbar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
    CheckButton(kFavouriteButton, favourite_);
    CheckButton(kMuteButton, audio_ && audio_->Muted().value_or(false));
}

void GameWindow::CheckButton(int command, bool checked) {
    if (toolbar_) SendMessageW(toolbar_, TB_CHECKBUTTON, command, MAKELPARAM(checked, 0));
}

void GameWindow::OnCommand(int command) {
    switch (command) {
        case kRefreshButton:
            Refresh();
            break;
        case kFullScreenButton:
            SetFullScreen(!fullScreen_);
            break;
        case kMuteButton:
            ToggleMute();
            break;
        case kScreenshotButton:
            SaveScreenshot();
            break;
        case kFavouriteButton: {
            // The button checks itself when clicked; it shows what the owner makes of it.
            CheckButton(kFavouriteButton, favourite_);
            const std::function<void()> handler = onFavourite_;
            if (handler) handler();
            break;
        }
        default:
            break;
    }
}

bool GameWindow::TranslateKey(const MSG& message) {
    MSG forPopups = message;
    if (popups_.TranslateKey(forPopups)) return true;
    if (!IsFor(message, window_)) return false;
    if (IsKeyPress(message, VK_F5)) {
        Refresh();
    } else if (IsKeyPress(message, VK_F11)) {
        SetFullScreen(!fullScreen_);
    } else if (fullScreen_ && IsKeyPress(message, VK_ESCAPE)) {
        SetFullScreen(false);
    } else if (IsKeyPress(message, 'S', kCtrlHeld | kAltHeld)) {
        SaveScreenshot();
    } else {
        return false;
    }
    return true;
}

void GameWindow::Refresh() {
    if (pageError_.Shown()) {
        const std::string failed = WideToGbk(pageError_.FailedUrl());
        pageError_.Hide();
        Layout();
        browser_.Navigate(failed.empty() ? link_ : failed);
        return;
    }
    browser_.Navigate(link_);
}

void GameWindow::ShowFavourite(bool favourite) {
    favourite_ = favourite;
    CheckButton(kFavouriteButton, favourite);
}

void GameWindow::ToggleMute() {
    const std::optional<bool> muted = audio_ ? audio_->Muted() : std::nullopt;
    if (!muted || !audio_->SetMuted(!*muted)) {
        CheckButton(kMuteButton, muted.value_or(false));
        SetPartText(0, GbkToWide(kNoSoundText));
        return;
    }
    CheckButton(kMuteButton, !*muted);
}

// Full screen: the window loses its frame and covers its monitor, and the browser takes all of
// it. Leaving gives the frame and the rectangle back. A maximised window stays maximised all
// along, so no window manager sees it restored and maximised again on the way.
void GameWindow::SetFullScreen(bool fullScreen) {
    if (!window_ || fullScreen == fullScreen_) return;
    if (fullScreen) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        windowed_.length = sizeof(windowed_);
        if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor) ||
            !GetWindowPlacement(window_, &windowed_) || !GetWindowRect(window_, &windowedRect_)) {
            return;
        }
        windowedStyle_ = GetWindowLongPtrW(window_, GWL_STYLE);
        fullScreen_ = true;
        ShowWindow(toolbar_, SW_HIDE);
        ShowWindow(statusBar_, SW_HIDE);
        SetWindowLongPtrW(window_, GWL_STYLE, windowedStyle_ & ~(WS_CAPTION | WS_THICKFRAME));
        const RECT& area = monitor.rcMonitor;
        SetWindowPos(window_, HWND_TOP, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    } else {
        fullScreen_ = false;
        SetWindowLongPtrW(window_, GWL_STYLE, windowedStyle_);
        const RECT& area = windowedRect_;
        SetWindowPos(window_, nullptr, area.left, area.top, area.right - area.left,
                     area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        ShowWindow(toolbar_, SW_SHOW);
        ShowWindow(statusBar_, SW_SHOW);
    }
    Layout();
}

std::filesystem::path GameWindow::SaveScreenshot() {
    if (!window_) return {};
    const RECT bounds = browser_.Bounds();
    POINT corners[2] = {{bounds.left, bounds.top}, {bounds.right, bounds.bottom}};
    MapWindowPoints(window_, nullptr, corners, 2);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::filesystem::path folder = ScreenshotFolder();
    const std::filesystem::path saved =
        SaveScreenArea(RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y}, folder,
                       ScreenshotFileName(GbkToWide(name_), now));
    if (saved.empty()) {
        SetPartText(0, GbkToWide(kScreenshotFailedText) + folder.wstring());
    } else {
        SetPartText(0, GbkToWide(kScreenshotSavedText) + saved.wstring());
    }
    return saved;
}

void GameWindow::OnDestroy(HWND window) {
    popups_.CloseAll();
    pageError_.Hide();
    browser_.Destroy();
    WINDOWPLACEMENT now{};
    now.length = sizeof(now);
    if (fullScreen_) {
        now = windowed_;  // the window as the player had it, not the monitor
    } else if (!GetWindowPlacement(window, &now)) {
        now.length = 0;
    }
    if (now.length != 0) {
        const RECT& normal = now.rcNormalPosition;
        // Minimised, what counts is the state it would be restored to.
        const bool maximised =
            now.showCmd == SW_SHOWMAXIMIZED ||
            (now.showCmd == SW_SHOWMINIMIZED && (now.flags & WPF_RESTORETOMAXIMIZED) != 0);
        const DisplayScale scale = DisplayScale::ForWindow(window);
        SetPlacement({scale.Design(normal.right - normal.left),
                      scale.Design(normal.bottom - normal.top), maximised});
    }
    // A copy: the handler may replace itself.
    const std::function<void(const Placement&)> handler = onClosed_;
    if (handler) handler(placement_);
}

// The browser takes the client area between the toolbar and the status bar (all of it in full
// screen); part 1 of the status bar all but the last kCommunityPartWidth pixels.
void GameWindow::Layout() {
    if (!window_ || !statusBar_) return;
    RECT client{};
    GetClientRect(window_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (fullScreen_) {
        MoveBrowser(RECT{0, 0, width, height});
        return;
    }

    SendMessageW(statusBar_, WM_SIZE, 0, 0);  // the status bar docks itself at the bottom
    // Never -1 or less: a right edge of -1 would stretch part 1 over the whole bar.
    const int parts[2] = {
        std::max(0, width - DisplayScale::ForWindow(window_).Px(kCommunityPartWidth)), -1};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));

    RECT bar{};
    GetWindowRect(statusBar_, &bar);
    const int barHeight = IsWindowVisible(statusBar_) ? bar.bottom - bar.top : 0;
    int top = 0;
    if (toolbar_) {
        SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
        RECT tools{};
        GetWindowRect(toolbar_, &tools);
        if (IsWindowVisible(toolbar_)) top = tools.bottom - tools.top;
    }
    MoveBrowser(RECT{0, top, width, top + std::max(0, height - top - barHeight)});
}

// A page error's notice takes the top of the page's place.
void GameWindow::MoveBrowser(const RECT& page) {
    const RECT rest = pageError_.Place(page);
    browser_.Move(rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top);
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
