// The homepage addresses (and their override for test servers) and HiddenBrowser, which loads
// the "/?game" page outside the main window's visible client area.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/homepage.h"
#include "tests/support/test_form.h"

namespace {

// Sets ZENTORI_HOMEPAGE_URL (nullptr: removes it) for one test and removes it afterwards.
class HomepageVariable {
public:
    explicit HomepageVariable(const wchar_t* value) {
        SetEnvironmentVariableW(kHomepageVariable, value);
    }
    ~HomepageVariable() { SetEnvironmentVariableW(kHomepageVariable, nullptr); }
};

TEST(Homepage, AddressesFollowTheBaseOrItsOverride) {
    struct Case {
        const wchar_t* variable;
        const char* homepage;
        const char* hiddenPage;
    };
    for (const Case& c : {
             Case{nullptr, "http://www.zentori.com/game.htm", "http://www.zentori.com/?game"},
             Case{L"", "http://www.zentori.com/game.htm", "http://www.zentori.com/?game"},
             Case{L"http://127.0.0.1:8080", "http://127.0.0.1:8080/game.htm",
                  "http://127.0.0.1:8080/?game"},
             Case{L"http://127.0.0.1:8080/", "http://127.0.0.1:8080/game.htm",
                  "http://127.0.0.1:8080/?game"},
             Case{L"http://主页.example", "http://主页.example/game.htm",
                  "http://主页.example/?game"},
         }) {
        HomepageVariable variable(c.variable);
        EXPECT_EQ(HomepageUrl(), c.homepage);
        EXPECT_EQ(HiddenPageUrl(), c.hiddenPage);
    }
}

TEST(HiddenBrowser, LoadsTheGamePageOutsideTheVisibleClientArea) {
    OleSession ole;
    HomepageVariable variable(L"http://127.0.0.1:9");  // nothing listens: no outside traffic
    test::TestWindow mainWindow(test::TestWindow::Options{.width = 715, .height = 552});
    HiddenBrowser hidden;
    ASSERT_TRUE(hidden.Create(mainWindow.Handle()));

    HWND control = hidden.Host().ControlWindow();
    ASSERT_NE(control, nullptr);
    EXPECT_TRUE(IsChild(mainWindow.Handle(), control));
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, mainWindow.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, -88);
    EXPECT_EQ(rect.top, 216);
    EXPECT_EQ(rect.right - rect.left, 56);
    EXPECT_EQ(rect.bottom - rect.top, 40);
    EXPECT_LE(rect.right, 0) << "some of it would be visible";
    EXPECT_EQ(hidden.Host().LocationUrl(), "http://127.0.0.1:9/?game");

    hidden.Destroy();
    EXPECT_FALSE(IsWindow(control));
}

}  // namespace
