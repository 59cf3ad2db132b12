// The boss key: which windows it hides and how they come back (z-order, minimised, gone
// meanwhile, a menu open, the loading window of a fetch that ended meanwhile), the sound as it
// was, and a key another program holds. The key itself pressed on the keyboard is checked end
// to end.
#include "app/process/boss_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "app/browse/loading_window.h"
#include "tests/support/program/recording_audio.h"
#include "tests/support/program/running_program.h"
#include "tests/support/toolkit/test_form.h"

namespace {

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// This process's visible top-level windows among `ours`, top of the z-order first.
std::vector<HWND> ShownInZOrder(const std::vector<HWND>& ours) {
    std::vector<HWND> shown;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsWindowVisible(window) && std::count(ours.begin(), ours.end(), window)) {
            shown.push_back(window);
        }
    }
    return shown;
}

std::unique_ptr<test::TestWindow> OpenWindow(int x) {
    return std::make_unique<test::TestWindow>(
        test::TestWindow::Options{.x = x, .y = 60, .width = 200, .height = 150});
}

class BossKeyTest : public ::testing::Test {
protected:
    test::CursorAway cursorAway;
    test::RecordingAudio audio;
    BossKey boss{audio};
};

TEST_F(BossKeyTest, HidesTheShowingWindowsAndBringsThemBackInTheirOrder) {
    auto bottom = OpenWindow(40), middle = OpenWindow(120), top = OpenWindow(200);
    auto minimised = OpenWindow(280), gone = OpenWindow(360);
    auto never = std::make_unique<test::TestWindow>(test::TestWindow::Options{.show = false});
    ShowWindow(minimised->Handle(), SW_SHOWMINNOACTIVE);
    for (HWND window : {middle->Handle(), top->Handle(), gone->Handle()}) {
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const std::vector<HWND> ours = {bottom->Handle(),    middle->Handle(), top->Handle(),
                                    minimised->Handle(), gone->Handle(),   never->Handle()};
    std::vector<HWND> before = ShownInZOrder(ours);
    ASSERT_EQ(before.size(), 5u);
    ASSERT_EQ(before[0], gone->Handle());
    ASSERT_EQ(before[1], top->Handle());

    boss.Hide();
    EXPECT_TRUE(boss.Hidden());
    EXPECT_TRUE(ShownInZOrder(ours).empty());
    EXPECT_EQ(boss.HiddenWindows(), before);

    gone->Destroy();  // as a dialog that ends
    before.erase(before.begin());
    boss.Toggle();
    EXPECT_FALSE(boss.Hidden());
    EXPECT_EQ(ShownInZOrder(ours), before);
    EXPECT_TRUE(IsIconic(minimised->Handle()));
    EXPECT_FALSE(IsWindowVisible(never->Handle())) << "a window that was not showing stays so";
}

// The loading window is kept, hidden, between fetches: one whose fetch ends while everything is
// hidden hides itself, and stays hidden when the rest comes back.
TEST_F(BossKeyTest, ALoadingWindowWhoseFetchEndedMeanwhileStaysHidden) {
    auto main = OpenWindow(40);
    LoadingWindow loading;
    static BossKey* target = nullptr;
    static HANDLE hidden = nullptr;
    target = &boss;
    hidden = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The key arrives during the wait, as a posted message does; the fetch then ends.
    SetTimer(main->Handle(), 1, 200, [](HWND window, UINT, UINT_PTR id, DWORD) {
        KillTimer(window, id);
        target->Hide();
        SetEvent(hidden);
    });
    loading.Run(Instance(), main->Handle(), std::make_shared<FetchJob>(nullptr), [](FetchJob&) {
        WaitForSingleObject(hidden, 10000);
        return FetchResult{};
    });
    CloseHandle(hidden);
    ASSERT_TRUE(boss.Hidden());
    ASSERT_EQ(boss.HiddenWindows().size(), 2u) << "the loading window over the main window";

    boss.Restore();
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    EXPECT_EQ(test::FindLoadingWindow(), nullptr);
}

// A wait whose moment to show the loading window passes while everything is hidden does not
// bring that window up alone; it shows once the rest is back.
TEST_F(BossKeyTest, ALoadingWindowDueWhileEverythingIsHiddenShowsWhenTheRestIsBack) {
    auto main = OpenWindow(40);
    LoadingWindow loading;
    static BossKey* target = nullptr;
    static ULONGLONG restoreAt = 0;
    static bool shownWhileHidden = false;
    static std::atomic<bool> shownAfter = false;
    target = &boss;
    restoreAt = GetTickCount64() + 3 * LoadingWindow::kShowAfterMs;
    shownWhileHidden = shownAfter = false;
    boss.Hide();
    FetchThread fetch(std::make_shared<FetchJob>(nullptr), [](FetchJob&) {
        while (!shownAfter)
            Sleep(10);  // until the window has shown, or the wait's deadline
        return FetchResult{};
    });
    SetTimer(main->Handle(), 1, 20, [](HWND, UINT, UINT_PTR, DWORD) {
        if (target->Hidden() && GetTickCount64() >= restoreAt) {
            shownWhileHidden = test::FindLoadingWindow() != nullptr;
            target->Restore();
        }
        if (!target->Hidden() && test::FindLoadingWindow()) shownAfter = true;
    });
    loading.Run(Instance(), main->Handle(), std::move(fetch));
    EXPECT_FALSE(shownWhileHidden);
    EXPECT_TRUE(shownAfter);
    EXPECT_EQ(test::FindLoadingWindow(), nullptr);
}

TEST_F(BossKeyTest, AMenuOpenWhenTheKeyIsPressedIsClosedAndNotBroughtBack) {
    auto owner = OpenWindow(40);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"开始游戏");
    static BossKey* target = nullptr;
    target = &boss;
    // The key arrives while the menu's own loop runs, as a posted message does.
    const test::MenuWatcher watcher([](HWND) { target->Hide(); });
    SetForegroundWindow(owner->Handle());
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, owner->Handle(), nullptr);
    DestroyMenu(menu);
    EXPECT_EQ(chosen, 0) << "the menu closed without a choice";
    ASSERT_TRUE(boss.Hidden());
    EXPECT_EQ(boss.HiddenWindows(), std::vector<HWND>{owner->Handle()});

    boss.Restore();
    EXPECT_TRUE(IsWindowVisible(owner->Handle()));
    const HWND menuWindow = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menuWindow && IsWindowVisible(menuWindow));
}

TEST(BossKeySound, SilencesAPlayingProgramAndLeavesTheSoundAsItWas) {
    const struct {
        std::optional<bool> before;  // nothing: no playback device
        std::vector<bool> calls;
    } rows[] = {
        {false, {true, false}},  // muted while hidden, unmuted after
        {true, {}},              // muted by the player before: it stays so
        {std::nullopt, {}},      // no device: nothing to do, nothing fails
    };
    for (const auto& row : rows) {
        test::RecordingAudio audio(row.before);
        BossKey boss(audio);
        auto window = OpenWindow(40);
        boss.Hide();
        EXPECT_EQ(audio.State(), row.before ? std::optional<bool>(true) : std::nullopt);
        boss.Restore();
        EXPECT_EQ(audio.State(), row.before);
        EXPECT_EQ(audio.Calls(), row.calls);
    }
    // Ending while hidden (the program quits) still gives the sound back.
    test::RecordingAudio audio(false);
    {
        BossKey boss(audio);
        boss.Hide();
    }
    EXPECT_EQ(audio.State(), false);
}

// A key another program holds is reported end to end; here what the setting can say.
TEST_F(BossKeyTest, TheSettingNamesTheKeyOrTurnsItOff) {
    EXPECT_EQ(boss.RegisterSetting(Instance(), "Ctrl+Alt+老板"),
              "游戏库设置中的老板键“Ctrl+Alt+老板”无法识别，已改用 Ctrl+Alt+B");
    EXPECT_FALSE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'B')) << "ours now";
    EXPECT_EQ(boss.RegisterSetting(Instance(), "Shift+F12"), "");
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'B')) << "given back";
    EXPECT_FALSE(boss.Register(Instance(), kDefaultBossKey)) << "held elsewhere";
    UnregisterHotKey(nullptr, 7);
    EXPECT_EQ(boss.RegisterSetting(Instance(), ""), "");
    EXPECT_FALSE(boss.Registered()) << "an empty setting turns the key off";
}

}  // namespace
