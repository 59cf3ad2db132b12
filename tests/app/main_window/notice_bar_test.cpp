// The main window's notices: lasting ones are kept together, the newest on show, each clicked
// away in turn or closed when its cause is mended, one of a kind replacing the last; a notice's
// own command runs on a click; a passing notice shows over the lasting ones and gives them back
// by itself (clicked away, in the running program's test).
#include "app/main_window/notice_bar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/toolkit/test_form.h"

namespace {

class NoticeBarTest : public testing::Test {
protected:
    void SetUp() override { notices.Attach(parent.Handle(), RECT{10, 100, 540, 122}); }

    std::wstring Shown() const { return IsWindowVisible(notices.Handle()) ? notices.Text() : L""; }
    void ClickStrip() { test::Click(notices.Handle(), 20, 10); }

    test::CursorAway cursorAway;
    test::TestWindow parent{{.width = 600, .height = 200}};
    NoticeBar notices;
};

TEST_F(NoticeBarTest, LastingNoticesAreKeptTogetherAndGoOneByOne) {
    notices.ShowLasting(NoticeKind::kBossKey, "老板键 Ctrl+Alt+B 已被其他程序占用");
    notices.ShowLasting(NoticeKind::kAddress, "主页地址不是有效的网址");
    notices.ShowLasting(NoticeKind::kBossKey, "老板键设置无法识别");  // in place of its kind's
    EXPECT_EQ(notices.LastingTexts(),
              (std::vector<std::wstring>{L"主页地址不是有效的网址", L"老板键设置无法识别"}));
    EXPECT_EQ(Shown(), L"老板键设置无法识别");
    ClickStrip();
    EXPECT_EQ(Shown(), L"主页地址不是有效的网址");

    int retries = 0;
    notices.ShowLasting(NoticeKind::kFetch, "无法连接到游戏目录服务", [&retries] { ++retries; });
    ClickStrip();
    EXPECT_EQ(retries, 1);
    EXPECT_EQ(Shown(), L"无法连接到游戏目录服务") << "a notice with a command stays";
    notices.Close(NoticeKind::kFetch);  // mended: the next fetch succeeded
    EXPECT_EQ(Shown(), L"主页地址不是有效的网址");
    ClickStrip();
    EXPECT_EQ(Shown(), L"");
    EXPECT_TRUE(notices.LastingTexts().empty());
}

TEST_F(NoticeBarTest, APassingNoticeShowsOverTheLastingOnesAndGivesThemBack) {
    notices.ShowLasting(NoticeKind::kLibraryFile, "游戏库文件已损坏");
    notices.ShowPassing("已加入收藏：连连看");
    EXPECT_EQ(Shown(), L"已加入收藏：连连看");
    EXPECT_TRUE(test::PumpUntil([this] { return Shown() == L"游戏库文件已损坏"; },
                                NoticeBar::kPassingMilliseconds + 5000));
}

}  // namespace
