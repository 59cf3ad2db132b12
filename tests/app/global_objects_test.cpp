// The program's global objects come and go in one fixed order: released at shutdown in the order
// they were constructed (not C++'s reverse member order), each exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "app/global_objects.h"

namespace {

using Names = std::vector<std::string>;

TEST(GlobalObjects, EachIsReleasedOnceInTheOrderOfConstruction) {
    Names constructed, released;
    {
        GlobalObjects objects([&](std::string_view name) { released.emplace_back(name); },
                              [&](std::string_view name) { constructed.emplace_back(name); });
        EXPECT_TRUE(released.empty());
    }
    Names distinct = constructed;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    EXPECT_EQ(distinct.size(), 12u) << "every object, each once";
    EXPECT_EQ(released, constructed) << "not C++'s reverse order";
}

}  // namespace
