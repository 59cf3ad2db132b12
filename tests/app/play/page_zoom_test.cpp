// The game page's zoom: its keys and Ctrl+wheel in the game window, the steps and their ends,
// what the status bar says, what the owner is told to remember, and the zoom given again to
// each page of the game that loads (not to a frame inside it). Under Wine the control has no
// engine and cannot zoom: the status bar then says so and the zoom is still kept.
#include <windows.h>

#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/play/game_window.h"
#include "tests/support/program/game_window_probe.h"
#include "tests/support/program/ole_window_test.h"
#include "tests/support/toolkit/test_form.h"
#include "win/wide_text.h"

namespace {

// What the status bar says of a zoom: the control's own answer decides which.
std::wstring ZoomSaid(IWebBrowser2* control, int percent) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = percent;
    const bool zooms = SUCCEEDED(
        control->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &value, nullptr));
    return zooms ? L"缩放 " + std::to_wstring(percent) + L"%" : L"此系统的浏览器不支持缩放";
}

HRESULT PageLoaded(IDispatch* sink, IDispatch* frame) {
    VARIANT arguments[2];  // last to first: URL, pDisp
    VariantInit(&arguments[0]);
    arguments[0].vt = VT_BSTR;
    arguments[0].bstrVal = SysAllocString(L"http://127.0.0.1:9/1");
    VariantInit(&arguments[1]);
    arguments[1].vt = VT_DISPATCH;
    arguments[1].pdispVal = frame;
    DISPPARAMS params{arguments, nullptr, 2, 0};
    const HRESULT result = sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    SysFreeString(arguments[0].bstrVal);
    return result;
}

class PageZoomTest : public test::OleWindowTest {
protected:
    GameWindow game;
    std::vector<int> remembered;

    void SetUp() override {
        OleWindowTest::SetUp();
        game.Zoom().SetChangeHandler([this](int percent) { remembered.push_back(percent); });
        ASSERT_TRUE(game.Open(GetModuleHandleW(nullptr), "http://127.0.0.1:9/1", "植物大战僵尸"));
        ASSERT_NE(game.Browser().Control(), nullptr);
    }
    HWND Page() { return game.Browser().ControlWindow(); }
};

TEST_F(PageZoomTest, KeysAndTheCtrlWheelStepTheZoomWithinItsEnds) {
    const HWND page = Page();
    const struct Row {
        const char* what;
        MSG message;
        std::initializer_list<UINT> held;
        bool translated;
        int percent;  // afterwards
    } rows[] = {
        {"Ctrl+=", test::KeyDownMessage(page, VK_OEM_PLUS), {VK_CONTROL}, true, 110},
        {"Ctrl++", test::KeyDownMessage(page, VK_OEM_PLUS), {VK_CONTROL, VK_SHIFT}, true, 125},
        {"Ctrl+numpad +", test::KeyDownMessage(page, VK_ADD), {VK_CONTROL}, true, 150},
        {"half a notch", test::WheelMessage(page, 60, MK_CONTROL), {VK_CONTROL}, true, 150},
        {"and the other half", test::WheelMessage(page, 60, MK_CONTROL), {VK_CONTROL}, true, 175},
        {"the wheel alone scrolls", test::WheelMessage(page, 120, 0), {}, false, 175},
        {"= alone is the page's", test::KeyDownMessage(page, VK_OEM_PLUS), {}, false, 175},
        {"Ctrl+Alt+= is not zoom",
         test::KeyDownMessage(page, VK_OEM_PLUS),
         {VK_CONTROL, VK_MENU},
         false,
         175},
        {"Ctrl+-", test::KeyDownMessage(page, VK_OEM_MINUS), {VK_CONTROL}, true, 150},
        {"Ctrl+numpad -", test::KeyDownMessage(page, VK_SUBTRACT), {VK_CONTROL}, true, 125},
        {"Ctrl+wheel back", test::WheelMessage(page, -120, MK_CONTROL), {VK_CONTROL}, true, 110},
        {"Ctrl+0", test::KeyDownMessage(page, '0'), {VK_CONTROL}, true, 100},
        {"Ctrl+numpad 0", test::KeyDownMessage(page, VK_NUMPAD0), {VK_CONTROL}, true, 100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const size_t told = remembered.size();
        const test::HeldKeys held(row.held);
        EXPECT_EQ(game.TranslateKey(row.message), row.translated);
        EXPECT_EQ(game.Zoom().Percent(), row.percent);
        if (row.translated && row.message.message == WM_KEYDOWN) {
            ASSERT_EQ(remembered.size(), told + 1) << "each step is for the owner to remember";
            EXPECT_EQ(remembered.back(), row.percent);
            EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0),
                      ZoomSaid(game.Browser().Control(), row.percent));
        }
    }

    // The ends hold; a step from between two steps goes to the next one.
    const test::HeldKeys ctrl({VK_CONTROL});
    for (const auto& [start, key, end] :
         {std::tuple{400, VK_OEM_PLUS, 400}, std::tuple{25, VK_OEM_MINUS, 25},
          std::tuple{130, VK_OEM_PLUS, 150}, std::tuple{130, VK_OEM_MINUS, 125}}) {
        game.Zoom().SetPercent(start);
        EXPECT_TRUE(game.TranslateKey(test::KeyDownMessage(page, key)));
        EXPECT_EQ(game.Zoom().Percent(), end) << start;
    }
}

// A page of the game that has loaded starts at 100 % in the control: the game's zoom is given
// to it again, and where the control cannot zoom the status bar says so; a frame inside the
// page is no page of the game.
TEST_F(PageZoomTest, APageThatLoadsTakesTheGamesZoomAndAFrameDoesNot) {
    IDispatch* sink = game.Zoom().EventSink();
    ASSERT_NE(sink, nullptr);
    EXPECT_TRUE(game.Zoom().EventsConnected()) << "beside the host's own sink";
    const std::wstring unsupported = L"此系统的浏览器不支持缩放";
    game.Zoom().SetPercent(150);
    Microsoft::WRL::ComPtr<IDispatch> frame;
    ASSERT_EQ(sink->QueryInterface(IID_PPV_ARGS(&frame)), S_OK);  // any other object
    EXPECT_EQ(PageLoaded(sink, frame.Get()), S_OK);
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), L"");

    EXPECT_EQ(PageLoaded(sink, game.Browser().Control()), S_OK);
    const bool zooms = ZoomSaid(game.Browser().Control(), 150) != unsupported;
    EXPECT_EQ(test::StatusPartText(game.StatusBar(), 0), zooms ? L"" : unsupported);
    EXPECT_TRUE(remembered.empty()) << "the game's own zoom is no change of the player's";
}

}  // namespace
