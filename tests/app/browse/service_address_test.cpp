// The catalogue and homepage addresses a user writes in the library's settings, in the running
// program: a usable address is where the first page comes from (or the homepage is), and an
// address that is none is ignored (the built-in one is used) and reported in the library's
// notice.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/browse/catalogue_fetch.h"
#include "app/play/hidden_browser.h"
#include "app/my_games/library_commands.h"
#include "text/text_utils.h"
#include "win/wide_text.h"
#include "tests/support/program/running_program.h"

namespace {

TEST(ServiceAddress, TheSettingsAddressesAreUsedAndAnAddressThatIsNoneIsReported) {
    const std::string catalogue = CatalogueBaseUrl();
    ASSERT_NE(catalogue, kDefaultCatalogueUrl) << "run with scripts/with-server";
    const std::string withoutScheme = catalogue.substr(catalogue.find("//") + 2);
    const struct {
        std::string catalogueSetting, homepageSetting;
        std::string catalogueBase, homepageBase;  // what the program takes
        std::string notice;
    } rows[] = {
        {catalogue + "/", "www.example.com", catalogue, kDefaultHomepageBase,
         "library.json 中的主页地址不是有效的网址，已使用默认地址"},
        {withoutScheme, "https://www.example.com/", kDefaultCatalogueUrl, "https://www.example.com",
         "library.json 中的游戏目录地址不是有效的网址，已使用默认地址"},
    };
    // Only the settings name the services now.
    SetEnvironmentVariableW(kCatalogueVariable, nullptr);
    SetEnvironmentVariableW(kHomepageVariable, nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.catalogueSetting);
        {
            std::ofstream file(test::LibraryFile(), std::ios::binary | std::ios::trunc);
            file << R"({"version": 1, "settings": {"catalogueUrl": ")" << row.catalogueSetting
                 << R"(", "homepageUrl": ")" << row.homepageSetting << R"("}})";
            ASSERT_TRUE(file);
        }
        test::CatalogueLog log;
        log.Take();

        test::RunningProgram program;
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.App().Library().CatalogueBase(), row.catalogueBase);
        EXPECT_EQ(program.App().Library().HomepageBase(), row.homepageBase);
        std::vector<std::string> lasting;
        for (const std::wstring& text : program.App().Notices().LastingTexts())
            lasting.push_back(WideToGbk(text));
        EXPECT_EQ(std::count(lasting.begin(), lasting.end(), row.notice), 1);

        const ListControl& list = program.Objects().GameList();
        if (row.catalogueBase == catalogue) {
            EXPECT_EQ(log.Take(), std::vector<std::string>{test::HotListTarget("0", "1", 1)});
            ASSERT_EQ(list.RowCount(), 10);
            EXPECT_EQ(list.GetCellText(1, 4).rfind(catalogue + "/", 0), 0u)
                << list.GetCellText(1, 4);
        } else {
            EXPECT_EQ(log.Take(), std::vector<std::string>{}) << "the setting was not ignored";
        }
    }
}

}  // namespace
