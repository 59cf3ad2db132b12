// The game window as a host answers its page as the control asks it, driven here as the control
// would drive it (under Wine the control has no engine to run a page): script errors through the
// client site's command target, the DWebBrowserEvents2 sink's NewWindow3/NewWindow2,
// WindowClosing and NavigateError with the arguments laid out as the control lays them out,
// and the document host's flags and keys.
#include <windows.h>

#include <docobj.h>
#include <exdispid.h>
#include <gtest/gtest.h>
#include <mshtmhst.h>
#include <shobjidl.h>
#include <urlmon.h>
#include <wininet.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "app/play/game_window.h"
#include "tests/support/program/ole_window_test.h"
#include "win/wide_text.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr GUID kDocHostCommandGroup = {
    0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

// Event arguments: a number, a text (not freed here), an answer field by reference.
VARIANT Arg(long number) {
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = number;
    return value;
}
VARIANT Arg(const wchar_t* text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    return value;
}
VARIANT Ref(VARTYPE type, void* field) {
    VARIANT value{};
    value.vt = type | VT_BYREF;
    value.byref = field;
    return value;
}

// An event as the control fires it: the arguments given first to last, laid out last to first.
HRESULT Fire(GameWindow& game, DISPID member, std::vector<VARIANT> arguments) {
    std::vector<VARIANT> lastFirst(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    const HRESULT result = game.Browser().EventSink()->Invoke(
        member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (VARIANT& argument : lastFirst) {
        if (argument.vt == VT_BSTR) VariantClear(&argument);
    }
    return result;
}

// NewWindow3 (or NewWindow2): the browser handed back and the Cancel answer.
std::pair<ComPtr<IDispatch>, VARIANT_BOOL> FireNewWindow(GameWindow& game, long flags,
                                                         DISPID event = DISPID_NEWWINDOW3) {
    ComPtr<IDispatch> browser;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    std::vector<VARIANT> arguments{Ref(VT_DISPATCH, browser.GetAddressOf()), Ref(VT_BOOL, &cancel)};
    if (event == DISPID_NEWWINDOW3) {
        arguments.insert(arguments.end(), {Arg(flags), Arg(L"http://127.0.0.1:9/1"),
                                           Arg(L"http://127.0.0.1:9/登录")});
    }
    EXPECT_EQ(Fire(game, event, arguments), S_OK);
    return {browser, cancel};
}

VARIANT_BOOL FireWindowClosing(GameWindow& game) {
    VARIANT_BOOL cancel = VARIANT_FALSE, child = VARIANT_TRUE;
    EXPECT_EQ(Fire(game, DISPID_WINDOWCLOSING, {Ref(VT_BOOL, &child), Ref(VT_BOOL, &cancel)}),
              S_OK);
    return cancel;
}

// NavigateError(pDisp, &URL, &TargetFrameName, &StatusCode, &Cancel).
VARIANT_BOOL FireNavigateError(GameWindow& game, IDispatch* browser, const wchar_t* url,
                               long status) {
    VARIANT address = Arg(url), frame = Arg(L""), code = Arg(status), who{};
    who.vt = VT_DISPATCH;
    who.pdispVal = browser;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    EXPECT_EQ(Fire(game, DISPID_NAVIGATEERROR,
                   {who, Ref(VT_VARIANT, &address), Ref(VT_VARIANT, &frame), Ref(VT_VARIANT, &code),
                    Ref(VT_BOOL, &cancel)}),
              S_OK);
    VariantClear(&address);
    VariantClear(&frame);
    return cancel;
}

// The site the control was given, as the control asks it for its other faces.
template <typename Interface>
ComPtr<Interface> SiteAs(BrowserHost& host) {
    ComPtr<IOleObject> control;
    ComPtr<IOleClientSite> site;
    ComPtr<Interface> face;
    if (ComPtr<IDispatch> application = host.Application()) application.As(&control);
    if (control) control->GetClientSite(&site);
    if (site) site.As(&face);
    return face;
}

std::wstring PartOne(GameWindow& game) {
    wchar_t text[256] = {};
    SendMessageW(game.StatusBar(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

int TopWindowsOfThisThread() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

MSG KeyDown(HWND window, UINT key) {
    return MSG{window, WM_KEYDOWN, key, 1, 0, {}};
}

class BrowserEventsTest : public test::OpenGameTest {};

TEST_F(BrowserEventsTest, ScriptErrorsLetScriptsRunAndShowNothing) {
    const ComPtr<IOleCommandTarget> target = SiteAs<IOleCommandTarget>(game.Browser());
    ASSERT_NE(target, nullptr) << "the control finds no command target on the site";
    const struct {
        const GUID* group;
        DWORD command;
        HRESULT result;
        bool continues;
    } rows[] = {
        {&kDocHostCommandGroup, OLECMDID_SHOWSCRIPTERROR, S_OK, true},
        {&kDocHostCommandGroup, OLECMDID_PRINT, OLECMDERR_E_NOTSUPPORTED, false},
        {nullptr, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_NOTSUPPORTED, false},
        {&GUID_NULL, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP, false},
    };
    const int windows = TopWindowsOfThisThread();
    for (const auto& row : rows) {
        VARIANT out;
        VariantInit(&out);
        EXPECT_EQ(target->Exec(row.group, row.command, OLECMDEXECOPT_DODEFAULT, nullptr, &out),
                  row.result)
            << row.command;
        EXPECT_EQ(out.vt == VT_BOOL && out.boolVal == VARIANT_TRUE, row.continues) << row.command;
    }
    EXPECT_EQ(TopWindowsOfThisThread(), windows) << "no box, no window";
}

TEST_F(BrowserEventsTest, NewWindowsOpenAsOursOnlyWhenThePlayerCausedThemAndAtMostFour) {
    const struct {
        const char* name;
        DISPID event;
        long flags;
        size_t alreadyOpen;
        VARIANT_BOOL cancel;
        bool opens;
        const wchar_t* status;  // part 1 afterwards
    } rows[] = {
        // A control that sends only the older event, which does not say who caused it.
        {"the older event's window", DISPID_NEWWINDOW2, 0, 0, VARIANT_FALSE, true, L""},
        {"a click's window", DISPID_NEWWINDOW3, NWMF_USERINITED | NWMF_FIRST, 0, VARIANT_FALSE,
         true, L""},
        {"a script's own window", DISPID_NEWWINDOW3, NWMF_FIRST, 0, VARIANT_TRUE, false,
         L"已阻止弹出窗口"},
        {"a fifth window", DISPID_NEWWINDOW3, NWMF_USERINITED, 4, VARIANT_TRUE, false,
         L"已阻止弹出窗口：最多同时打开 4 个弹出窗口"},
        {"the older event from a control that sends the newer", DISPID_NEWWINDOW2, 0, 0,
         VARIANT_FALSE, false, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        game.Popups().CloseAll();
        SendMessageW(game.StatusBar(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
        for (size_t i = 0; i < row.alreadyOpen; ++i) {
            ASSERT_NE(FireNewWindow(game, NWMF_USERINITED).first, nullptr);
        }
        const auto [browser, cancel] = FireNewWindow(game, row.flags, row.event);
        EXPECT_EQ(cancel, row.cancel);
        EXPECT_EQ(PartOne(game), row.status);
        const std::vector<GameWindow*> popups = game.Popups().Windows();
        ASSERT_EQ(popups.size(), row.alreadyOpen + (row.opens ? 1 : 0));
        if (!row.opens) {
            EXPECT_EQ(browser, nullptr);
            continue;
        }
        // The control loads the page into the browser handed back: the new window's.
        GameWindow& popup = *popups.back();
        EXPECT_EQ(browser, popup.Browser().Application());
        EXPECT_NE(popup.Toolbar(), nullptr);
        EXPECT_NE(popup.StatusBar(), nullptr);
        EXPECT_FALSE(IsZoomed(popup.Handle()));
        wchar_t title[64] = {};
        GetWindowTextW(popup.Handle(), title, 64);
        EXPECT_EQ(std::wstring(title), L"植物大战僵尸游戏中");
    }
    // Another game chosen: the pop-ups of the one before go with its page.
    ASSERT_NE(FireNewWindow(game, NWMF_USERINITED).first, nullptr);
    ASSERT_TRUE(game.Open(GetModuleHandleW(nullptr), "http://127.0.0.1:9/other.htm", "other"));
    EXPECT_EQ(game.Popups().OpenCount(), 0u);
}

TEST_F(BrowserEventsTest, APageClosingItsWindowClosesOursWithoutAQuestion) {
    ASSERT_NE(FireNewWindow(game, NWMF_USERINITED).first, nullptr);
    ASSERT_NE(FireNewWindow(game, NWMF_USERINITED).first, nullptr);
    GameWindow& popup = *game.Popups().Windows().front();
    const HWND popupWindow = popup.Handle();

    EXPECT_EQ(FireWindowClosing(popup), VARIANT_TRUE) << "the control's question is not asked";
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(popupWindow); }));
    EXPECT_EQ(game.Popups().OpenCount(), 1u);
    EXPECT_TRUE(game.IsOpen());

    const HWND other = game.Popups().Windows().front()->Handle();
    EXPECT_EQ(FireWindowClosing(game), VARIANT_TRUE);
    EXPECT_TRUE(test::PumpUntil([&] { return !game.IsOpen(); }));
    EXPECT_FALSE(IsWindow(other)) << "pop-ups close with the game";
}

TEST_F(BrowserEventsTest, TheGamesOwnPageErrorShowsTheNoticeAndF5OrAClickRetries) {
    test::TestWindow frameParent(test::TestWindow::Options{});
    BrowserHost frame;
    ASSERT_TRUE(frame.Create(frameParent.Handle(), 0, 0, 100, 100));
    const ComPtr<IDispatch> top = game.Browser().Application(), other = frame.Application();
    const wchar_t kHint[] = L"，按 F5 或点击这里重试";
    const struct {
        IDispatch* browser;
        long status;
        const wchar_t* cause;          // nullptr: no notice
        const wchar_t* partOne = L"";  // the status bar afterwards
    } rows[] = {
        {top.Get(), 404, L"找不到该页面"},
        {top.Get(), 503, L"服务器出错（503）"},
        {top.Get(), INET_E_RESOURCE_NOT_FOUND, L"无法连接到服务器"},
        {top.Get(), INET_E_CANNOT_CONNECT, L"无法连接到服务器"},
        {top.Get(), INET_E_OBJECT_NOT_FOUND, L"找不到该页面"},
        {top.Get(), INET_E_INVALID_CERTIFICATE, L"无法建立安全连接"},
        {top.Get(), ERROR_INTERNET_SEC_CERT_CN_INVALID, L"无法建立安全连接"},
        {other.Get(), 404, nullptr},  // a frame's page: the page's own business
        // The page came, but there is no engine to show it (under Wine).
        {top.Get(), REGDB_E_CLASSNOTREG, nullptr, L"缺少显示网页的组件，游戏画面不能显示"},
    };
    // No messages are pumped in between: under Wine the control's own failure would come too.
    for (const auto& row : rows) {
        game.Popups().CloseAll();
        ASSERT_TRUE(game.TranslateKey(KeyDown(game.Handle(), VK_F5)));  // clears any notice
        ASSERT_FALSE(game.PageError().Shown());
        SendMessageW(game.StatusBar(), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
        const VARIANT_BOOL cancel =
            FireNavigateError(game, row.browser, L"http://127.0.0.1:9/2", row.status);
        EXPECT_EQ(cancel, row.browser == top.Get() ? VARIANT_TRUE : VARIANT_FALSE) << row.status;
        EXPECT_EQ(game.PageError().Shown(), row.cause != nullptr) << row.status;
        EXPECT_EQ(PartOne(game), row.partOne) << row.status;
        if (!row.cause) continue;
        EXPECT_EQ(game.PageError().Text(), std::wstring(row.cause) + kHint);
        // Over the page: the browser moves down below it.
        const HWND notice = game.PageError().Handle();
        ASSERT_TRUE(IsWindowVisible(notice));
        EXPECT_EQ(test::ChildRect(game.Handle(), notice).top,
                  test::ChildRect(game.Handle(), game.Toolbar()).bottom);
        EXPECT_EQ(test::ChildRect(game.Handle(), game.Browser().ControlWindow()).top,
                  test::ChildRect(game.Handle(), notice).bottom);
    }

    // F5 loads the page that failed again; so does a click on the notice.
    for (const bool click : {false, true}) {
        FireNavigateError(game, top.Get(), L"http://127.0.0.1:9/失败", 500);
        ASSERT_TRUE(game.PageError().Shown());
        if (click) {
            test::Click(game.PageError().Handle(), 5, 5);
        } else {
            ASSERT_TRUE(game.TranslateKey(KeyDown(game.Handle(), VK_F5)));
        }
        EXPECT_FALSE(game.PageError().Shown()) << click;
        EXPECT_EQ(test::ChildRect(game.Handle(), game.Browser().ControlWindow()).top,
                  test::ChildRect(game.Handle(), game.Toolbar()).bottom);
        // (Under Wine that page fails again once the messages flow.)
        EXPECT_TRUE(test::PumpUntil([&] {
            return game.Browser().LocationUrl() == "http://127.0.0.1:9/失败";
        })) << click;
    }
}

TEST_F(BrowserEventsTest, TheHostDrawsFlatThemedAndScaledAndKeepsTheKeysOfOtherWindows) {
    const ComPtr<IDocHostUIHandler> ui = SiteAs<IDocHostUIHandler>(game.Browser());
    ASSERT_NE(ui, nullptr);
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags,
              DWORD{DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_DPI_AWARE});

    const struct {
        UINT key;
        bool control, alt;
        HRESULT answer;  // S_OK: taken, nothing happens
    } rows[] = {
        {'N', true, false, S_OK},       {'O', true, false, S_OK},    {'L', true, false, S_OK},
        {'N', false, false, S_FALSE},   {'C', true, false, S_FALSE}, {'L', true, true, S_FALSE},
        {VK_F5, false, false, S_FALSE},
    };
    BYTE keys[256] = {};
    for (const auto& row : rows) {
        keys[VK_CONTROL] = row.control ? 0x80 : 0;
        keys[VK_MENU] = row.alt ? 0x80 : 0;
        ASSERT_TRUE(SetKeyboardState(keys));
        MSG message = KeyDown(game.Browser().ControlWindow(), row.key);
        EXPECT_EQ(ui->TranslateAccelerator(&message, nullptr, 0), row.answer) << row.key;
    }
    keys[VK_CONTROL] = keys[VK_MENU] = 0;
    SetKeyboardState(keys);
}

}  // namespace
