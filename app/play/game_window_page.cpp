// GameWindow's answers to its page: new windows, window.close(), a page that cannot be loaded,
// script errors, the title of a pop-up's page.
#include <exdispid.h>
#include <shobjidl.h>

#include <string>

#include "app/diagnostics/event_log.h"
#include "app/play/game_window.h"
#include "text/text_utils.h"
#include "win/wide_text.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kTestHooksVariable[] = L"ZENTORI_TEST_HOOKS";

}  // namespace

UINT GameWindow::TestNewWindowMessage() {
    static const UINT message = GetEnvironmentVariableW(kTestHooksVariable, nullptr, 0) != 0
                                    ? RegisterWindowMessageW(L"ZentoriTestNewWindow")
                                    : 0;
    return message;
}

// The page's request as the control would send it: NewWindow3's arguments last to first. No
// control takes the browser handed back, so it is let go at once; the window stays.
void GameWindow::FireTestNewWindow(bool userInitiated) {
    IDispatch* sink = browser_.EventSink();
    if (!sink) return;
    IDispatch* browser = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    const std::wstring url = GbkToWide(link_);
    BSTR text = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT arguments[5];
    for (VARIANT& argument : arguments)
        VariantInit(&argument);
    arguments[0].vt = VT_BSTR;
    arguments[0].bstrVal = text;
    arguments[1].vt = VT_BSTR;
    arguments[1].bstrVal = text;
    arguments[2].vt = VT_I4;
    arguments[2].lVal = userInitiated ? NWMF_USERINITED : 0;
    arguments[3].vt = VT_BOOL | VT_BYREF;
    arguments[3].pboolVal = &cancel;
    arguments[4].vt = VT_DISPATCH | VT_BYREF;
    arguments[4].ppdispVal = &browser;
    DISPPARAMS params{arguments, nullptr, 5, 0};
    sink->Invoke(DISPID_NEWWINDOW3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                 nullptr, nullptr, nullptr);
    SysFreeString(text);
    if (browser) browser->Release();
}

const char GameWindow::kEngineMissingText[] = "缺少显示网页的组件，游戏画面不能显示";
const char GameWindow::kPopupBlockedText[] = "已阻止弹出窗口";
const char GameWindow::kTooManyPopupsText[] = "已阻止弹出窗口：最多同时打开 4 个弹出窗口";
static_assert(PopupWindows<GameWindow>::kMaxOpen == 4, "kTooManyPopupsText says how many");

bool GameWindow::OpenPopup(HINSTANCE instance, std::string_view link, std::string_view name,
                           PopupWindows<GameWindow>& home) {
    popup_ = true;
    popupHome_ = &home;
    placement_ = Placement{kWidth, kHeight, false};
    return Open(instance, link, name);
}

BrowserEvents GameWindow::PageEvents() {
    BrowserEvents events;
    events.statusText = [this](std::wstring_view text) { SetPartText(0, text); };
    // The main window keeps the game's name; a pop-up takes its page's title (a login, a
    // payment), which tells it from the game.
    events.titleChange = [this](std::wstring_view title) {
        if (popup_ && window_ && !title.empty())
            SetWindowTextW(window_, std::wstring(title).c_str());
    };
    events.newWindow = [this](const NewWindowRequest& request) { return OnNewWindow(request); };
    // Posted: the control is still inside its event while the window would go.
    events.windowClosing = [this] {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    };
    events.pageError = [this](std::wstring_view url, long status) { OnPageError(url, status); };
    events.scriptError = [this](std::wstring_view description) { OnScriptError(description); };
    return events;
}

ComPtr<IDispatch> GameWindow::OnNewWindow(const NewWindowRequest& request) {
    const std::string url = WideToGbk(request.url);
    if (!request.userInitiated) {
        LogPopup(url, false, "not caused by the player");
        SetPartText(0, GbkToWide(kPopupBlockedText));
        return nullptr;
    }
    if (popupHome_->OpenCount() >= PopupWindows<GameWindow>::kMaxOpen) {
        LogPopup(url, false, "too many open");
        SetPartText(0, GbkToWide(kTooManyPopupsText));
        return nullptr;
    }
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    ComPtr<IDispatch> browser = popupHome_->Open(instance, url, name_);
    LogPopup(url, browser != nullptr, browser ? "" : "no window or browser");
    if (!browser) SetPartText(0, GbkToWide(kBrowserMissingText));
    return browser;
}

void GameWindow::OnPageError(std::wstring_view url, long status) {
    LogPageError(WideToGbk(url), status);
    // The page arrived but nothing can show it (no document engine, as under Wine): trying
    // again would not help, so the status bar says what is missing instead.
    if (status == REGDB_E_CLASSNOTREG) {
        SetPartText(0, GbkToWide(kEngineMissingText));
        return;
    }
    pageError_.Show(window_, status, url, [this] { Refresh(); });
    Layout();
}

void GameWindow::OnScriptError(std::wstring_view description) {
    LogScriptError(browser_.LocationUrl(), ++scriptErrors_, WideToGbk(description));
}
