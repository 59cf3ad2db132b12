// The catalogue and homepage addresses a user writes in the library's settings, in the running
// program: a usable catalogue address is where the first page comes from, and an address that
// is none is ignored (the built-in one is used) and reported once in the library's notice.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/browse/catalogue_fetch.h"
#include "app/play/hidden_browser.h"
#include "app/my_games/library_commands.h"
#include "text/text_utils.h"
#include "tests/support/program/running_program.h"

namespace {

TEST(ServiceAddress, TheSettingsCatalogueIsUsedAndAnAddressThatIsNoneIsReported) {
    const std::string catalogue = CatalogueBaseUrl();
    ASSERT_NE(catalogue, kDefaultCatalogueUrl) << "run with scripts/with-server";
    {
        std::ofstream file(test::LibraryFile(), std::ios::binary | std::ios::trunc);
        file << R"({"version": 1, "settings": {"catalogueUrl": ")" << catalogue
             << R"(/", "homepageUrl": "www.example.com"}})";
        ASSERT_TRUE(file);
    }
    // Only the setting names the catalogue now.
    SetEnvironmentVariableW(kCatalogueVariable, nullptr);
    SetEnvironmentVariableW(kHomepageVariable, nullptr);
    test::CatalogueLog log;
    log.Take();

    test::RunningProgram program;
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(log.Take(),
              std::vector<std::string>{"/appweb/getcathotlist?cid=1&leaf_cid=0&sort=1&pn=1"});
    const ListControl& list = program.Objects().GameList();
    ASSERT_EQ(list.RowCount(), 10);
    EXPECT_EQ(list.GetCellText(1, 4).rfind(catalogue + "/", 0), 0u) << list.GetCellText(1, 4);

    EXPECT_EQ(test::ShownNotice(program.App().Notices()),
              "library.json 中的主页地址不是有效的网址，已使用默认地址");
    EXPECT_EQ(program.App().Library().HomepageBase(), kDefaultHomepageBase);
    EXPECT_EQ(program.App().Library().CatalogueBase(), catalogue);
}

}  // namespace
