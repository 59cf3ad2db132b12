// The navigation commands against a recording host: which state each command leaves and which
// fetches it starts, and that a failed fetch leaves the state as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/browse/navigation.h"

namespace {

class RecordingHost : public NavigationHost {
public:
    std::string pageCountText = "共0页";
    std::vector<NavigationState> fetches;
    bool succeed = true;

    std::string PageCountText() override { return pageCountText; }
    bool RunFetch(const FetchCommand& command) override {
        fetches.push_back(command.state);
        if (succeed && command.pageCountText) pageCountText = *command.pageCountText;
        return succeed;
    }
};

class NavigationTest : public ::testing::Test {
protected:
    RecordingHost host;
    Navigation navigation{host};
};

// Each list section asks for page 1 of its own hot list and shows its own page count.
TEST_F(NavigationTest, ListSectionsFetchPageOneOfTheirOwnHotList) {
    std::vector<std::string> keys;
    for (const int section : {kHotGames, kSmallGames, kWebGames, kRecent, kTools}) {
        host.fetches.clear();
        host.pageCountText = "共0页";
        navigation.ShowListSection(section);
        ASSERT_EQ(host.fetches.size(), 1u);
        EXPECT_EQ(host.fetches[0].CurrentPage, 1);
        EXPECT_EQ(host.fetches[0].PendingFetch, kHotListFetch);
        EXPECT_GT(navigation.ReadPageCount(), 0) << section;
        keys.push_back(host.fetches[0].CurrentCategoryKey);
    }
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(std::unique(keys.begin(), keys.end()), keys.end()) << "two sections, one list";
}

TEST_F(NavigationTest, GenreSearchesItsKeyAndKeepsTheCategory) {
    navigation.ShowListSection(kWebGames);
    navigation.ShowGenre(3);  // 角色扮演
    ASSERT_EQ(host.fetches.size(), 2u);
    const NavigationState& state = host.fetches.back();
    EXPECT_EQ(state.SearchKeyword, "%E8%A7%92%E8%89%B2%E6%89%AE%E6%BC%94");
    EXPECT_EQ(state.PendingFetch, kSearchFetch);
    EXPECT_EQ(state.CurrentPage, 1);
    EXPECT_EQ(state.CurrentCategoryKey, "8");
}

TEST_F(NavigationTest, TypedSearchIsPercentEncodedFromGbk) {
    navigation.SubmitSearch("搜索游戏");
    ASSERT_EQ(host.fetches.size(), 1u);
    EXPECT_EQ(host.fetches[0].SearchKeyword, "%CB%D1%CB%F7%D3%CE%CF%B7");
    EXPECT_EQ(host.fetches[0].PendingFetch, kSearchFetch);

    navigation.SubmitSearch("");  // an empty box still searches
    ASSERT_EQ(host.fetches.size(), 2u);
    EXPECT_EQ(host.fetches[1].SearchKeyword, "");
}

TEST_F(NavigationTest, PagingStopsAtBothEndsAndPagesTheHotList) {
    navigation.ShowListSection(kWebGames);  // 共2页
    navigation.PreviousPage();              // page 1: nothing
    EXPECT_EQ(host.fetches.size(), 1u);

    navigation.NextPage();
    ASSERT_EQ(host.fetches.size(), 2u);
    EXPECT_EQ(host.fetches[1].CurrentPage, 2);

    navigation.NextPage();  // already on the last page: nothing
    EXPECT_EQ(host.fetches.size(), 2u);

    navigation.LastPage();  // fetched again even when already there
    ASSERT_EQ(host.fetches.size(), 3u);
    EXPECT_EQ(host.fetches[2].CurrentPage, 2);

    navigation.FirstPage();
    ASSERT_EQ(host.fetches.size(), 4u);
    EXPECT_EQ(host.fetches[3].CurrentPage, 1);
    EXPECT_EQ(host.fetches[3].PendingFetch, kHotListFetch);
}

// Each paging command after a search pages the last category and shows its own count again.
TEST_F(NavigationTest, PagingAfterASearchRequestsTheLastCategoryAndShowsItsCount) {
    struct Case {
        void (Navigation::*command)();
        int page;
    };
    for (const Case& c : {Case{&Navigation::NextPage, 2}, Case{&Navigation::FirstPage, 1},
                          Case{&Navigation::LastPage, 3}}) {
        navigation.ShowListSection(kSmallGames);
        navigation.ShowGenre(0);
        host.pageCountText = "共3页";  // what the search showed
        (navigation.*c.command)();
        const NavigationState& state = host.fetches.back();
        EXPECT_EQ(state.PendingFetch, kHotListFetch);
        EXPECT_EQ(state.CurrentCategoryKey, "7");
        EXPECT_EQ(state.CurrentPage, c.page);
        EXPECT_EQ(host.pageCountText, "共619页") << c.page;
    }
}

TEST_F(NavigationTest, ReadPageCountTakesTheLeadingDigitsBetweenTheMarks) {
    struct Case {
        const char* text;
        int count;
    };
    for (const Case& c : {Case{"共644页", 644}, Case{"共0页", 0}, Case{"共页", 0}, Case{"", 0},
                          Case{"共12页34", 1234}, Case{"共7x页", 7}, Case{"abc", 0},
                          Case{"共99999999999页", 0x7FFFFFFF}}) {
        host.pageCountText = c.text;
        EXPECT_EQ(navigation.ReadPageCount(), c.count) << c.text;
    }
}

TEST_F(NavigationTest, ReadPageCountRemovesOnlyWholeCharacters) {
    // "共" is B9 B2 in GBK. In A1 B9 | B2 A1 those bytes straddle two characters: no 共 there.
    host.pageCountText =
        "\xA1\xB9\xB2\xA1"
        "5";
    EXPECT_EQ(navigation.ReadPageCount(), 0);  // nothing removed, so no leading digit
}

TEST_F(NavigationTest, PageCountWithoutDigitsMakesNextAlwaysAdvanceAndLastRequestPageZero) {
    navigation.ShowListSection(kHotGames);
    host.pageCountText = "共页";
    navigation.NextPage();
    EXPECT_EQ(host.fetches.back().CurrentPage, 2);
    host.pageCountText = "共页";  // the page shows its section's count again; not this time
    navigation.LastPage();
    EXPECT_EQ(host.fetches.back().CurrentPage, 0);
}

TEST_F(NavigationTest, AFailedCommandChangesNothingAndRepeatRetriesIt) {
    navigation.ShowListSection(kSmallGames);  // 共619页
    navigation.NextPage();                    // page 2 on screen
    const NavigationState shown = navigation.State();

    host.succeed = false;
    navigation.ShowListSection(kWebGames);  // 共2页 would replace the count
    navigation.ShowGenre(0);
    navigation.NextPage();
    EXPECT_EQ(host.pageCountText, "共619页");
    EXPECT_EQ(navigation.State().CurrentCategoryKey, shown.CurrentCategoryKey);
    EXPECT_EQ(navigation.State().CurrentPage, 2);
    EXPECT_EQ(navigation.State().SearchKeyword, "");
    EXPECT_EQ(host.fetches.back().CurrentPage, 3);  // paged from the page on screen

    // F5 asks for the failed page again, and once it loads the state moves there.
    host.succeed = true;
    navigation.Repeat();
    EXPECT_EQ(host.fetches.back().CurrentPage, 3);
    EXPECT_EQ(host.fetches.back().CurrentCategoryKey, "7");
    EXPECT_EQ(navigation.State().CurrentPage, 3);
    navigation.Repeat();  // after a success: the page shown, again
    EXPECT_EQ(host.fetches.back().CurrentPage, 3);
    EXPECT_EQ(host.fetches.size(), 7u);
}

TEST_F(NavigationTest, WithoutAPageShownPagingDoesNothingAndRepeatRetriesTheStart) {
    host.succeed = false;
    navigation.ShowListSection(kHotGames);  // the start-up command, failed
    for (auto page : {&Navigation::FirstPage, &Navigation::PreviousPage, &Navigation::NextPage,
                      &Navigation::LastPage}) {
        (navigation.*page)();
    }
    EXPECT_EQ(host.fetches.size(), 1u);
    host.succeed = true;
    navigation.Repeat();
    ASSERT_EQ(host.fetches.size(), 2u);
    EXPECT_EQ(host.fetches[1].CurrentCategoryKey, "0");
    EXPECT_EQ(host.pageCountText, "共644页");
}

}  // namespace
