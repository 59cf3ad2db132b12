// GameWindow and the double-click command: the window definition, maximised creation, reuse and
// re-creation, the status bar's parts and texts, status-text events, the window without a
// browser control, and the play toolbar with its keys (refresh, full screen, mute, screenshot,
// favourite).
#include <windows.h>

#include <commctrl.h>
#include <exdispid.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/community.h"
#include "app/play/game_window.h"
#include "app/play/screenshot.h"
#include "win/wide_text.h"
#include "tests/support/toolkit/images.h"
#include "tests/support/program/game_window_probe.h"
#include "tests/support/program/ole_window_test.h"
#include "tests/support/program/recording_audio.h"
#include "tests/support/toolkit/test_form.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriGameWindow";

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

std::wstring WindowTitle(HWND window) {
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return title;
}

std::vector<HWND> GameWindowsOfThisThread() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == kClassName) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<int> PartEdges(HWND statusBar) {
    int edges[8] = {};
    const int count =
        static_cast<int>(SendMessageW(statusBar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(edges)));
    return std::vector<int>(edges, edges + count);
}

// Where the page is: the browser, and above it the page-error notice when one shows (under Wine
// the control cannot load a page and says so, whenever the messages are pumped).
RECT PagePlace(GameWindow& game) {
    RECT page = test::ChildRect(game.Handle(), game.Browser().ControlWindow());
    const HWND notice = game.PageError().Handle();
    if (notice && IsWindowVisible(notice)) page.top = test::ChildRect(game.Handle(), notice).top;
    return page;
}

int ClientWidth(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client.right;
}

// Restores the window and sizes it so that its client area is `width` pixels wide.
// The window manager answers the restore a moment later, and on a busy machine its answer can
// come after the new size and undo it: the size is set again until it holds.
void SetClientWidth(HWND window, int width) {
    ShowWindow(window, SW_RESTORE);
    RECT frame{0, 0, width, 400};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE,
                       GetWindowLongW(window, GWL_EXSTYLE));
    for (int attempt = 0; attempt < 5; ++attempt) {
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        test::PumpMessages(100);
        if (ClientWidth(window) == width && !IsZoomed(window)) break;
    }
}

// What the window is created with: CreateWindowEx's title, position and size, seen by a hook.
struct CreationSpy {
    static inline std::wstring title;
    static inline int x = 0, y = 0, width = 0, height = 0;
    static inline int created = 0;

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            wchar_t name[64] = {};
            GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
            if (std::wstring(name) == kClassName) {
                ++created;
                title = create->lpszName ? create->lpszName : L"";
                x = create->x;
                y = create->y;
                width = create->cx;
                height = create->cy;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

class GameWindowTest : public test::OleWindowTest {
protected:
    GameWindow game;
};

TEST_F(GameWindowTest, IsCreatedFromItsDefinitionThenMaximisedAndTitledForTheGame) {
    HHOOK hook = SetWindowsHookExW(WH_CBT, CreationSpy::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    CreationSpy::created = 0;
    const bool opened = game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸");
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(opened);

    EXPECT_EQ(CreationSpy::created, 1);
    EXPECT_EQ(CreationSpy::title, L"Zentori网页游戏游戏画面");
    EXPECT_EQ(CreationSpy::x, 50);
    EXPECT_EQ(CreationSpy::y, 50);
    EXPECT_EQ(CreationSpy::width, 717);
    EXPECT_EQ(CreationSpy::height, 468);

    HWND window = game.Handle();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(WindowTitle(window), L"植物大战僵尸游戏中");
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    // Asked for at 50, 50 (above); where it stands is the window manager's to decide, within
    // the screen.
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, inside{};
    EXPECT_TRUE(IntersectRect(&inside, &placement.rcNormalPosition, &screen));
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 717);
    EXPECT_EQ(placement.rcNormalPosition.bottom - placement.rcNormalPosition.top, 468);
    EXPECT_EQ(game.Browser().LocationUrl(), "http://127.0.0.1:9/1");
}

TEST_F(GameWindowTest, ASecondGameReusesTheWindowAndRetitlesIt) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    HWND first = game.Handle();
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/2", "黄金矿工"));

    EXPECT_EQ(game.Handle(), first);
    EXPECT_EQ(GameWindowsOfThisThread().size(), 1u);
    EXPECT_EQ(WindowTitle(first), L"黄金矿工游戏中");
    // The control takes up a new address while the previous one is still loading only once it
    // has processed the request.
    EXPECT_TRUE(test::PumpUntil([&] {
        return game.Browser().LocationUrl() == "http://127.0.0.1:9/2";
    })) << game.Browser().LocationUrl();
}

TEST_F(GameWindowTest, ClosingDestroysItAndTheNextGameCreatesItAgainMaximised) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    HWND first = game.Handle();
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(game.IsOpen());
    EXPECT_FALSE(game.Browser().Created()) << "the browser goes with its window";
    EXPECT_TRUE(GameWindowsOfThisThread().empty());

    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/2", "黄金矿工"));
    ASSERT_TRUE(game.IsOpen());
    EXPECT_TRUE(IsZoomed(game.Handle()));
    EXPECT_TRUE(game.Browser().Created());
    EXPECT_EQ(WindowTitle(game.Handle()), L"黄金矿工游戏中");
    EXPECT_EQ(GameWindowsOfThisThread().size(), 1u);
}

TEST_F(GameWindowTest, TheNextWindowOpensAsTheLastOneClosed) {
    std::vector<GameWindow::Placement> closed;
    game.SetClosedHandler([&closed](const GameWindow::Placement& p) { closed.push_back(p); });
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    SetClientWidth(game.Handle(), 500);  // restored, then sized
    RECT frame{};
    GetWindowRect(game.Handle(), &frame);
    SendMessageW(game.Handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].width, frame.right - frame.left);
    EXPECT_EQ(closed[0].height, frame.bottom - frame.top);
    EXPECT_FALSE(closed[0].maximised);

    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/2", "黄金矿工"));
    EXPECT_FALSE(IsZoomed(game.Handle()));
    EXPECT_EQ(ClientWidth(game.Handle()), 500);
    ShowWindow(game.Handle(), SW_MAXIMIZE);
    SendMessageW(game.Handle(), WM_CLOSE, 0, 0);
    ASSERT_EQ(closed.size(), 2u);
    EXPECT_TRUE(closed[1].maximised);
    EXPECT_EQ(closed[1].width, closed[0].width) << "the size it is restored to";

    // A remembered size too small to be the user's grows to the smallest a window opens at.
    game.SetPlacement({10, 10, false});
    EXPECT_EQ(game.GetPlacement().width, GameWindow::kMinWidth);
    EXPECT_EQ(game.GetPlacement().height, GameWindow::kMinHeight);
}

TEST_F(GameWindowTest, AMinimisedWindowIsShownAgainForTheNextGame) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    ShowWindow(game.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(game.Handle()));
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/2", "黄金矿工"));
    EXPECT_FALSE(IsIconic(game.Handle()));
    EXPECT_TRUE(IsZoomed(game.Handle()));
}

// The next game, chosen while another window of the program is active: the game window is the
// foreground window and its page has the keys.
TEST_F(GameWindowTest, TheNextGameGivesTheKeyboardToThePage) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    test::TestWindow other(test::TestWindow::Options{});  // the main window, clicked into
    SetForegroundWindow(other.Handle());
    SetFocus(other.Handle());
    ASSERT_EQ(GetFocus(), other.Handle());
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/2", "黄金矿工"));
    EXPECT_EQ(GetForegroundWindow(), game.Handle());
    const HWND control = game.Browser().ControlWindow();
    ASSERT_NE(control, nullptr);
    const HWND focus = GetFocus();
    EXPECT_TRUE(focus == control || IsChild(control, focus)) << focus;
}

TEST_F(GameWindowTest, StatusBarKeepsTheLast160PixelsForTheCommunityGroup) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    HWND bar = game.StatusBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(test::StatusPartText(bar, 0), L"");
    EXPECT_EQ(test::StatusPartText(bar, 1), L"玩家交流 QQ群：" + GbkToWide(kCommunityGroupNumber));

    // Maximised, and then at the sizes the user drags it to.
    std::vector<int> edges = PartEdges(bar);
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0], ClientWidth(game.Handle()) - 160);
    EXPECT_EQ(edges[1], -1);
    for (int width : {1000, 640, 161}) {
        SetClientWidth(game.Handle(), width);
        ASSERT_EQ(ClientWidth(game.Handle()), width);
        edges = PartEdges(bar);
        ASSERT_EQ(edges.size(), 2u);
        EXPECT_EQ(edges[0], width - 160) << "client width " << width;
        EXPECT_EQ(edges[1], -1);
    }
}

// Part 1 must not reach -1 ("to the right edge"), which would hide the community part.
TEST_F(GameWindowTest, ANarrowWindowGivesPartOneNoWidthRatherThanAllOfIt) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    SetClientWidth(game.Handle(), 100);
    const int width = ClientWidth(game.Handle());
    ASSERT_LT(width, 160) << "the window cannot be made narrow enough here";
    const std::vector<int> edges = PartEdges(game.StatusBar());
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_EQ(edges[0], 0);
    EXPECT_EQ(edges[1], -1);
}

TEST_F(GameWindowTest, BrowserFillsTheClientAreaBetweenTheToolbarAndTheStatusBar) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    for (int width : {0, 1000}) {  // 0: as maximised
        if (width) SetClientWidth(game.Handle(), width);
        RECT client{};
        GetClientRect(game.Handle(), &client);
        const RECT bar = test::ChildRect(game.Handle(), game.StatusBar());
        const RECT tools = test::ChildRect(game.Handle(), game.Toolbar());
        ASSERT_NE(game.Browser().ControlWindow(), nullptr);
        const RECT control = PagePlace(game);
        EXPECT_EQ(bar.bottom, client.bottom) << "the status bar is docked at the bottom";
        EXPECT_EQ(bar.right - bar.left, client.right);
        EXPECT_EQ(tools.top, 0) << "the toolbar is docked at the top";
        EXPECT_EQ(tools.right - tools.left, client.right);
        EXPECT_GT(tools.bottom, 15) << "tall enough for its texts";
        EXPECT_LT(tools.bottom, 40) << "and slim";
        EXPECT_EQ(control.left, 0);
        EXPECT_EQ(control.top, tools.bottom);
        EXPECT_EQ(control.right, client.right);
        EXPECT_EQ(control.bottom, bar.top);
    }
}

TEST_F(GameWindowTest, BrowserStatusTextShowsInPartOne) {
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    IDispatch* sink = game.Browser().EventSink();
    ASSERT_NE(sink, nullptr);

    for (const wchar_t* status : {L"正在下载 http://127.0.0.1:9/1 ...", L"完成", L""}) {
        BSTR text = SysAllocString(status);
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = VT_BSTR;
        argument.bstrVal = text;
        DISPPARAMS params{&argument, nullptr, 1, 0};
        EXPECT_EQ(sink->Invoke(DISPID_STATUSTEXTCHANGE, IID_NULL, LOCALE_USER_DEFAULT,
                               DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
                  S_OK);
        SysFreeString(text);
        EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), status);
        EXPECT_EQ(test::StatusPartText(game.StatusBar(), 1),
                  L"玩家交流 QQ群：" + GbkToWide(kCommunityGroupNumber));
    }
}

TEST_F(GameWindowTest, F11FillsTheMonitorWithTheBrowserAndEscOrF11BringsTheWindowBack) {
    std::vector<GameWindow::Placement> closed;
    game.SetClosedHandler([&closed](const GameWindow::Placement& p) { closed.push_back(p); });
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    HWND window = game.Handle();
    EXPECT_FALSE(game.TranslateKey(test::KeyDownMessage(window, VK_ESCAPE))) << "Esc is the game's";
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor));

    // Maximised, then a normal window; each comes back as it was.
    for (const UINT leave : {VK_ESCAPE, VK_F11}) {
        if (leave == VK_F11) SetClientWidth(window, 500);
        const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
        const bool zoomed = IsZoomed(window);
        RECT before{};
        GetWindowRect(window, &before);

        ASSERT_TRUE(game.TranslateKey(test::KeyDownMessage(window, VK_F11)));
        test::PumpMessages(300);  // the window manager's answer
        EXPECT_TRUE(game.FullScreen());
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
        RECT now{}, client{};
        GetWindowRect(window, &now);
        EXPECT_TRUE(EqualRect(&now, &monitor.rcMonitor));
        GetClientRect(window, &client);
        EXPECT_FALSE(IsWindowVisible(game.Toolbar()));
        EXPECT_FALSE(IsWindowVisible(game.StatusBar()));
        const RECT control = PagePlace(game);
        EXPECT_TRUE(EqualRect(&control, &client)) << "the browser takes all of it";

        ASSERT_TRUE(game.TranslateKey(test::KeyDownMessage(window, leave)));
        test::PumpMessages(300);
        EXPECT_FALSE(game.FullScreen());
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE), style);
        EXPECT_EQ(IsZoomed(window) != 0, zoomed);
        // As large as before; the window manager may have put it elsewhere.
        GetWindowRect(window, &now);
        EXPECT_EQ(now.right - now.left, before.right - before.left);
        EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
        EXPECT_TRUE(IsWindowVisible(game.Toolbar()));
        EXPECT_TRUE(IsWindowVisible(game.StatusBar()));
        EXPECT_EQ(PagePlace(game).top, test::ChildRect(window, game.Toolbar()).bottom);
    }

    // Closed in full screen, the window is remembered as the player had it.
    RECT windowed{};
    GetWindowRect(window, &windowed);
    game.SetFullScreen(true);
    game.Close();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].width, windowed.right - windowed.left);
    EXPECT_FALSE(closed[0].maximised);
}

TEST_F(GameWindowTest, MuteSwitchesTheProgramsSoundAndSaysWhenThereIsNone) {
    test::RecordingAudio audio(false);
    game.SetAudio(&audio);
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    HWND toolbar = game.Toolbar();
    for (const bool muted : {true, false}) {
        test::ClickToolbarButton(toolbar, GameWindow::kMuteButton);
        EXPECT_EQ(audio.State(), muted);
        EXPECT_EQ(SendMessageW(toolbar, TB_ISBUTTONCHECKED, GameWindow::kMuteButton, 0) != 0,
                  muted);
    }

    test::RecordingAudio none(std::nullopt);
    game.SetAudio(&none);
    test::ClickToolbarButton(toolbar, GameWindow::kMuteButton);
    EXPECT_EQ(SendMessageW(toolbar, TB_ISBUTTONCHECKED, GameWindow::kMuteButton, 0), 0);
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), L"没有可用的音频设备，无法静音");
}

// The file and its pixels are checked end to end; here what the status bar says.
TEST_F(GameWindowTest, ScreenshotsNeverReplaceEachOtherAndTheStatusBarSaysWhere) {
    test::EnsureGraphics();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"截图测试";
    std::filesystem::remove_all(folder);
    SetEnvironmentVariableW(kScreenshotFolderVariable, folder.c_str());
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    const std::filesystem::path first = game.SaveScreenshot(), second = game.SaveScreenshot();
    EXPECT_TRUE(std::filesystem::exists(first)) << "the folder is made when missing";
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_NE(first, second);
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), L"截图已保存到 " + second.wstring());

    const std::filesystem::path blocked = folder / L"文件";  // a file where the folder should be
    std::ofstream(blocked) << "x";
    SetEnvironmentVariableW(kScreenshotFolderVariable, blocked.c_str());
    EXPECT_TRUE(game.SaveScreenshot().empty());
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), L"截图未能保存到 " + blocked.wstring());
    SetEnvironmentVariableW(kScreenshotFolderVariable, nullptr);
    std::filesystem::remove_all(folder);
}

TEST(ScreenshotName, KeepsTheGamesNameAsFarAsAFileNameCan) {
    const SYSTEMTIME time{2024, 5, 3, 1, 9, 30, 5, 0};
    const struct {
        const wchar_t* game;
        const wchar_t* file;
    } rows[] = {
        {L"植物大战僵尸", L"植物大战僵尸 2024-05-01 09-30-05.png"},
        {L"a\\b/c:d*e?f\"g<h>i|j\tk", L"a_b_c_d_e_f_g_h_i_j_k 2024-05-01 09-30-05.png"},
        {L"  名字. . ", L"名字 2024-05-01 09-30-05.png"},
        {L"...", L"Zentori 2024-05-01 09-30-05.png"},
        {L"", L"Zentori 2024-05-01 09-30-05.png"},
        // Names Windows takes for a device before their first dot, trailing blanks left out.
        {L"CON", L"_CON 2024-05-01 09-30-05.png"},
        {L"nul.游戏", L"_nul.游戏 2024-05-01 09-30-05.png"},
        {L"Aux  .x", L"_Aux  .x 2024-05-01 09-30-05.png"},
        {L"prn", L"_prn 2024-05-01 09-30-05.png"},
        {L"com0", L"_com0 2024-05-01 09-30-05.png"},
        {L"LPT9.txt", L"_LPT9.txt 2024-05-01 09-30-05.png"},
        {L"COM10", L"COM10 2024-05-01 09-30-05.png"},
        {L"CONSOLE", L"CONSOLE 2024-05-01 09-30-05.png"},
        {L"LPT", L"LPT 2024-05-01 09-30-05.png"},
        {L"my con", L"my con 2024-05-01 09-30-05.png"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ScreenshotFileName(row.game, time), row.file) << row.game;
    }
    EXPECT_EQ(ScreenshotFileName(std::wstring(300, L'游'), time).size(), 80u + 24u);
}

TEST(GameWindowWithoutBrowser, OpensWithItsStatusBarAndSaysWhyThePageIsMissing) {
    OleSession ole;
    GameWindow game(CLSID_NULL);  // a control that cannot be created
    ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
    EXPECT_TRUE(IsZoomed(game.Handle()));
    EXPECT_FALSE(game.Browser().Created());
    EXPECT_EQ(WindowTitle(game.Handle()), L"植物大战僵尸游戏中");
    ASSERT_NE(game.StatusBar(), nullptr);
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0),
              GbkToWide(GameWindow::kBrowserMissingText));
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 1),
              L"玩家交流 QQ群：" + GbkToWide(kCommunityGroupNumber));
    SetClientWidth(game.Handle(), 1000);
    EXPECT_EQ(PartEdges(game.StatusBar())[0], 840);
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0),
              GbkToWide(GameWindow::kBrowserMissingText));
}

TEST(GameWindowLifetime, DestroyingTheObjectDestroysAnOpenWindow) {
    OleSession ole;
    HWND window = nullptr;
    {
        GameWindow game;
        ASSERT_TRUE(game.Open(Instance(), "http://127.0.0.1:9/1", "植物大战僵尸"));
        window = game.Handle();
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(GameWindowTest, OpenSelectedGameNeedsASelectedRowAndALink) {
    EXPECT_FALSE(OpenSelectedGame(game, Instance(), 0, "植物大战僵尸", "http://127.0.0.1:9/1"));
    EXPECT_FALSE(game.IsOpen());
    EXPECT_FALSE(OpenSelectedGame(game, Instance(), 2, "植物大战僵尸", ""));
    EXPECT_FALSE(game.IsOpen());
    EXPECT_TRUE(GameWindowsOfThisThread().empty());

    EXPECT_TRUE(OpenSelectedGame(game, Instance(), 2, "黄金矿工", "http://127.0.0.1:9/2"));
    ASSERT_TRUE(game.IsOpen());
    EXPECT_EQ(WindowTitle(game.Handle()), L"黄金矿工游戏中");
    EXPECT_EQ(game.Browser().LocationUrl(), "http://127.0.0.1:9/2");

    // With the window open, row 0 leaves it as it is.
    EXPECT_FALSE(OpenSelectedGame(game, Instance(), 0, "植物大战僵尸", "http://127.0.0.1:9/1"));
    EXPECT_EQ(WindowTitle(game.Handle()), L"黄金矿工游戏中");
}

}  // namespace
