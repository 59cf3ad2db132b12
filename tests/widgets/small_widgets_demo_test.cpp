// The small widgets together on a skinned form as the main window places them: the section bar
// of seven icon buttons with the real icons, the logo and a row of text buttons, over the
// start-up skin. Hover, press and click come as real input (SendInput through the window
// system); what the window then shows is checked and saved as a screenshot in the temporary
// folder.
//
// The pictures come from the skin folder beside this executable (the zentori target copies it
// there) or from the folder in ZENTORI_SKIN_DIR; without either the test is skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/toolkit/real_input.h"
#include "tests/support/toolkit/test_form.h"
#include "tests/support/toolkit/window_manager.h"
#include "widgets/animated_picture.h"
#include "widgets/icon_button.h"
#include "widgets/text_button.h"

namespace {

using test::TestForm;

std::wstring SkinFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring beside(path, length);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + L"skin";
    if (GetFileAttributesW((beside + L"\\ico\\home.png").c_str()) != INVALID_FILE_ATTRIBUTES) {
        return beside;
    }
    wchar_t fromEnvironment[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"ZENTORI_SKIN_DIR", fromEnvironment, MAX_PATH)) {
        return fromEnvironment;
    }
    return {};
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(SmallWidgetsDemo, SectionBarLogoAndTextButtonsOnTheStartUpSkin) {
    const std::wstring skin = SkinFolder();
    if (skin.empty()) GTEST_SKIP() << "no skin folder beside the test or in ZENTORI_SKIN_DIR";
    test::EnsureGraphics();
    test::CursorAway cursorAway;

    TestForm::Options options;
    options.window.width = 720;
    options.window.height = 540;
    options.window.title = L"Zentori网页游戏盒子";
    options.skinPath = FromWide(skin + L"\\1.jpg");
    options.form.captionMode = 2;
    TestForm form(options);
    const HWND window = form.Handle();
    test::RealInput user(window);
    ASSERT_TRUE(test::BringToFront(window));

    // The section bar.
    struct Section {
        const char* caption;
        const wchar_t* icon;
    };
    const Section sections[] = {
        {"热门游戏", L"home.png"},    {"小游戏", L"calendar.png"}, {"网页游戏", L"folder.png"},
        {"最近更新", L"tag.png"},     {"官方主页", L"user.png"},   {"游戏工具", L"comment.png"},
        {"皮肤更换", L"package.png"},
    };
    std::vector<std::unique_ptr<IconButton>> sectionButtons;
    std::vector<int> sectionClicks(std::size(sections));
    for (size_t i = 0; i < std::size(sections); ++i) {
        const std::string icon = ReadFile(skin + L"\\ico\\" + sections[i].icon);
        ASSERT_FALSE(icon.empty()) << "section icon " << i;
        IconButtonOptions buttonOptions;
        buttonOptions.iconBytes = icon;
        buttonOptions.iconAbove = true;
        buttonOptions.selected = i == 0;
        auto button = std::make_unique<IconButton>();
        ASSERT_GT(button->Create(window, sections[i].caption, 5 + 70 * static_cast<int>(i), 30, 60,
                                 60, buttonOptions),
                  0);
        EXPECT_EQ(button->IconWidth(), 32);
        button->SetClickHandler([&sectionClicks, i] { ++sectionClicks[i]; });
        sectionButtons.push_back(std::move(button));
    }

    // The logo, playing (a still picture: the same frame ten times a second).
    AnimatedPicture logo;
    ASSERT_GT(logo.Create(window, 500, 20, 206, 63, ReadFile(skin + L"\\logo.png")), 0);
    EXPECT_TRUE(logo.Playing(true));

    // Paging and search buttons, and the first genre buttons.
    struct Row {
        const char* text;
        int x, y, width, height;
    };
    const Row rows[] = {
        {"首页", 450, 500, 40, 18}, {"末页", 500, 500, 40, 18}, {"上页", 550, 500, 40, 18},
        {"下页", 600, 500, 40, 18}, {"搜索", 330, 500, 50, 20}, {"策略", 10, 95, 60, 20},
        {"逃脱", 80, 95, 60, 20},   {"找茬", 10, 120, 60, 20},
    };
    std::vector<std::unique_ptr<TextButton>> textButtons;
    std::vector<int> textClicks(std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        auto button = std::make_unique<TextButton>();
        ASSERT_GT(button->Create(window, rows[i].text, rows[i].x, rows[i].y, rows[i].width,
                                 rows[i].height),
                  0);
        button->SetClickHandler([&textClicks, i] { ++textClicks[i]; });
        textButtons.push_back(std::move(button));
    }
    test::PumpMessages(300);

    // "网页游戏": hover rings it with a dark border, a press changes the look (the picture
    // sinks), the release clicks it.
    const RECT webGames{145, 30, 205, 90};
    const auto look = [&] {
        std::vector<COLORREF> pixels;
        for (int y = webGames.top; y < webGames.bottom; ++y) {
            for (int x = webGames.left; x < webGames.right; ++x)
                pixels.push_back(form.WindowPixel(x, y));
        }
        return pixels;
    };
    const auto edge = [&] { return test::Brightness(form.WindowPixel(145, 60)); };
    const int idleEdge = edge();
    user.MoveTo(175, 60);
    EXPECT_LT(edge(), idleEdge - 60) << "no hover look";
    const auto hovered = look();
    user.Button(true);
    const auto pressed = look();
    int changed = 0;
    for (size_t i = 0; i < pressed.size(); ++i)
        changed += pressed[i] != hovered[i];
    EXPECT_GT(changed, 200) << "no pressed look";
    EXPECT_EQ(sectionClicks, (std::vector<int>(std::size(sections), 0)));
    user.Button(false);
    EXPECT_EQ(sectionClicks, (std::vector<int>{0, 0, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(sectionButtons[0]->Selected()) << "clicking another section keeps the look";

    // "下页" is clicked; the pointer then passes over "搜索" and stays on "网页游戏", which the
    // screenshot shows hovered ("下页", the focus widget, keeps its selected look).
    user.MoveTo(620, 509);
    user.Button(true);
    user.Button(false);
    EXPECT_EQ(textClicks[3], 1);
    user.MoveTo(355, 510);
    user.MoveTo(175, 60);

    EXPECT_TRUE(logo.Playing());
    // What the screenshot shows: "网页游戏" hovered again, as before the press.
    EXPECT_EQ(look(), hovered);
    const std::wstring shot = test::SaveWindowScreenshot(window, L"zentori-small-widgets.png");
    if (!shot.empty()) std::printf("screenshot: %s\n", FromWide(shot).c_str());
    EXPECT_FALSE(logo.Playing(false));
}

}  // namespace
