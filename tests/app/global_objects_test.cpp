// The program's global objects come and go in one fixed order: constructed in the order of the
// table of global objects, and released at shutdown in that same order (not C++'s reverse
// member order), each exactly once.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/global_objects.h"

namespace {

using Names = std::vector<std::string>;

TEST(GlobalObjects, ConstructedInTableOrderAndEachReleasedOnceInTheSameOrder) {
    const Names table = {"GameList",       "MainSkin",       "PageLabel",    "RecordPattern",
                         "PageCountLabel", "SectionButtons", "LogoPicture",  "TitleLabel",
                         "CommunityLabel", "PagingButtons",  "SearchButton", "GenreButtons"};
    Names constructed, released;
    {
        GlobalObjects objects([&](std::string_view name) { released.emplace_back(name); },
                              [&](std::string_view name) { constructed.emplace_back(name); });
        EXPECT_EQ(constructed, table);
        EXPECT_TRUE(released.empty());
    }
    EXPECT_EQ(released, table);
}

}  // namespace
