// The browser host's own logic against the real system browser control: in-place creation in a
// parent window, resizing, navigation calls, the status-text event routing through the sink, and
// teardown. Pages stay blank under Wine (no Gecko); nothing here depends on rendering.
#include <windows.h>

#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/play/browser_host.h"
#include "tests/support/program/ole_window_test.h"

namespace {

using test::ChildRect;

// Invokes an event on the sink as the control does: arguments last to first in rgvarg.
HRESULT FireEvent(IDispatch* sink, DISPID member, std::vector<VARIANT> argumentsLastFirst,
                  REFIID iid = IID_NULL) {
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(argumentsLastFirst.size());
    params.rgvarg = argumentsLastFirst.empty() ? nullptr : argumentsLastFirst.data();
    return sink->Invoke(member, iid, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        nullptr, nullptr);
}

VARIANT BstrVariant(BSTR text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text;
    return value;
}

class BrowserHostTest : public test::OleWindowTest {
protected:
    test::TestWindow parent{test::TestWindow::Options{.width = 480, .height = 360}};
    BrowserHost host;
    std::vector<std::wstring> statusTexts;

    void SetUp() override {
        OleWindowTest::SetUp();
        host.SetStatusTextHandler(
            [this](std::wstring_view text) { statusTexts.emplace_back(text); });
    }
};

TEST_F(BrowserHostTest, CreatesTheControlInPlaceAtItsRectangleAndResizesIt) {
    ASSERT_TRUE(host.Create(parent.Handle(), 10, 20, 200, 100));
    EXPECT_TRUE(host.Created());
    EXPECT_TRUE(host.EventsConnected());
    HWND control = host.ControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsChild(parent.Handle(), control));
    RECT rect = ChildRect(parent.Handle(), control);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right, 210);
    EXPECT_EQ(rect.bottom, 120);

    host.Move(0, 0, 300, 150);
    rect = ChildRect(parent.Handle(), control);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 300);
    EXPECT_EQ(rect.bottom, 150);
}

// Wine reports the address from the moment navigation starts, so the GBK-to-UTF-16 conversion
// of the address can be read back.
TEST_F(BrowserHostTest, NavigatesToAGbkAddressAtOnce) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    ASSERT_TRUE(host.Navigate("http://127.0.0.1:9/游戏?id=1"));
    EXPECT_EQ(host.LocationUrl(), "http://127.0.0.1:9/游戏?id=1");
    EXPECT_FALSE(host.Navigate(""));
    EXPECT_EQ(host.LocationUrl(), "http://127.0.0.1:9/游戏?id=1");
}

TEST_F(BrowserHostTest, StatusTextEventsReachTheHandlerWithTheirText) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    IDispatch* sink = host.EventSink();
    ASSERT_NE(sink, nullptr);

    BSTR text = SysAllocString(L"正在打开网页 http://127.0.0.1/游戏...");
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {BstrVariant(text)}), S_OK);
    VARIANT byReference;
    VariantInit(&byReference);
    byReference.vt = VT_BSTR | VT_BYREF;
    byReference.pbstrVal = &text;
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {byReference}), S_OK);
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {BstrVariant(nullptr)}), S_OK);
    SysFreeString(text);

    ASSERT_EQ(statusTexts.size(), 3u);
    EXPECT_EQ(statusTexts[0], L"正在打开网页 http://127.0.0.1/游戏...");
    EXPECT_EQ(statusTexts[1], statusTexts[0]);
    EXPECT_EQ(statusTexts[2], L"");
}

TEST_F(BrowserHostTest, OtherEventsAndMalformedCallsAreNotStatusTexts) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    IDispatch* sink = host.EventSink();
    ASSERT_NE(sink, nullptr);
    BSTR text = SysAllocString(L"文字");
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_I4;
    number.lVal = 7;

    EXPECT_EQ(FireEvent(sink, DISPID_TITLECHANGE, {BstrVariant(text)}), S_OK);
    EXPECT_EQ(FireEvent(sink, DISPID_DOCUMENTCOMPLETE, {BstrVariant(text)}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {number}), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {}), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {BstrVariant(text), BstrVariant(text)}),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {BstrVariant(text)}, IID_IDispatch),
              DISP_E_UNKNOWNINTERFACE);
    EXPECT_EQ(sink->Invoke(DISPID_STATUSTEXTCHANGE, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                           nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    SysFreeString(text);
    EXPECT_TRUE(statusTexts.empty());
}

TEST_F(BrowserHostTest, OffersTheControlOnlyKeyboardMessagesOfItsOwnWindows) {
    MSG key{parent.Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_FALSE(host.TranslateAccelerator(key)) << "no control yet";
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    // Enter in another window of the program (the search box) must reach that window.
    EXPECT_FALSE(host.TranslateAccelerator(key));
    HWND control = host.ControlWindow();
    ASSERT_NE(control, nullptr);
    MSG mouse{control, WM_MOUSEMOVE, 0, 0, 0, {}};
    EXPECT_FALSE(host.TranslateAccelerator(mouse));
}

TEST_F(BrowserHostTest, SinkAnswersAsTheBrowserEventInterface) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    IUnknown* events = nullptr;
    ASSERT_EQ(host.EventSink()->QueryInterface(DIID_DWebBrowserEvents2,
                                               reinterpret_cast<void**>(&events)),
              S_OK);
    events->Release();
    IUnknown* other = nullptr;
    EXPECT_EQ(
        host.EventSink()->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&other)),
        E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
}

TEST_F(BrowserHostTest, DestroyClosesTheControlAndDetachesTheSink) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    HWND control = host.ControlWindow();
    IDispatch* sink = host.EventSink();
    sink->AddRef();  // as a control that still holds its sink would

    host.Destroy();
    EXPECT_FALSE(host.Created());
    EXPECT_FALSE(host.EventsConnected());
    EXPECT_EQ(host.ControlWindow(), nullptr);
    EXPECT_EQ(host.EventSink(), nullptr);
    EXPECT_FALSE(IsWindow(control));
    EXPECT_FALSE(host.Navigate("about:blank"));

    BSTR text = SysAllocString(L"迟到的事件");
    EXPECT_EQ(FireEvent(sink, DISPID_STATUSTEXTCHANGE, {BstrVariant(text)}), S_OK);
    SysFreeString(text);
    sink->Release();
    EXPECT_TRUE(statusTexts.empty());

    host.Destroy();  // twice is harmless
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 100, 50)) << "a destroyed host can start again";
}

// At exit the main window goes first and takes the control's window with it; the host is
// released afterwards.
TEST_F(BrowserHostTest, TeardownAfterTheParentWindowIsGoneIsSafe) {
    ASSERT_TRUE(host.Create(parent.Handle(), 0, 0, 200, 100));
    HWND control = host.ControlWindow();
    parent.Destroy();
    EXPECT_FALSE(IsWindow(control));
    host.Destroy();
    EXPECT_FALSE(host.Created());
}

TEST_F(BrowserHostTest, AControlThatCannotBeCreatedLeavesAnEmptyHost) {
    BrowserHost missing(CLSID_NULL);
    EXPECT_FALSE(missing.Create(parent.Handle(), 0, 0, 200, 100));
    EXPECT_FALSE(missing.Created());
    EXPECT_EQ(missing.EventSink(), nullptr);
    EXPECT_EQ(missing.ControlWindow(), nullptr);
    EXPECT_FALSE(missing.Navigate("about:blank"));
    EXPECT_EQ(missing.StatusText(), "");
    EXPECT_EQ(missing.LocationUrl(), "");
}

}  // namespace
