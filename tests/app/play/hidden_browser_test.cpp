// The homepage addresses (and their override for test servers) and HiddenBrowser, which loads
// the "/?game" page outside the main window's visible client area.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/play/hidden_browser.h"
#include "tests/support/toolkit/test_form.h"

namespace {

// Sets ZENTORI_HOMEPAGE_URL (nullptr: removes it) for one test and removes it afterwards.
class HomepageVariable {
public:
    explicit HomepageVariable(const wchar_t* value) {
        SetEnvironmentVariableW(kHomepageVariable, value);
    }
    ~HomepageVariable() { SetEnvironmentVariableW(kHomepageVariable, nullptr); }
};

// The variable first, then the library's setting when it is an address, then the built-in one.
TEST(Homepage, AddressesFollowTheVariableTheSettingOrTheBuiltInBase) {
    struct Case {
        const wchar_t* variable;
        std::optional<std::string> setting;
        const char* homepage;
        const char* hiddenPage;
        bool settingIgnored;
    };
    for (const Case& c : {
             Case{nullptr,
                  {},
                  "http://www.zentori.com/game.htm",
                  "http://www.zentori.com/?game",
                  false},
             Case{
                 L"", {}, "http://www.zentori.com/game.htm", "http://www.zentori.com/?game", false},
             Case{L"http://127.0.0.1:8080/", "https://mine.example",
                  "http://127.0.0.1:8080/game.htm", "http://127.0.0.1:8080/?game", false},
             Case{L"http://主页.example",
                  {},
                  "http://主页.example/game.htm",
                  "http://主页.example/?game",
                  false},
             Case{nullptr, "https://Mine.example:8443/zentori/",
                  "https://Mine.example:8443/zentori/game.htm",
                  "https://Mine.example:8443/zentori/?game", false},
             Case{nullptr, "www.mine.example", "http://www.zentori.com/game.htm",
                  "http://www.zentori.com/?game", true},
             Case{nullptr, "", "http://www.zentori.com/game.htm", "http://www.zentori.com/?game",
                  true},
         }) {
        HomepageVariable variable(c.variable);
        const ServiceAddress address = HomepageAddress(c.setting);
        EXPECT_EQ(HomepageUrl(address.base), c.homepage);
        EXPECT_EQ(HiddenPageUrl(address.base), c.hiddenPage);
        EXPECT_EQ(address.settingIgnored, c.settingIgnored) << c.homepage;
    }
}

TEST(HiddenBrowser, LoadsTheGamePageOutsideTheVisibleClientArea) {
    OleSession ole;
    HomepageVariable variable(L"http://127.0.0.1:9");  // nothing listens: no outside traffic
    test::TestWindow mainWindow(test::TestWindow::Options{.width = 715, .height = 552});
    HiddenBrowser hidden;
    ASSERT_TRUE(hidden.Create(mainWindow.Handle(), HomepageAddress(std::nullopt).base));

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
