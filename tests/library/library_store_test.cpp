// The library's file on disk: written in one step, read back, a damaged file kept aside, a later
// version's file and another copy's library left as they are, and a failed write leaving the
// previous file as it was. Runs natively and under Wine (the Windows file replace).
#include "library/library_store.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "library/player_library.h"

namespace {

namespace fs = std::filesystem;

class LibraryStoreTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() / (std::string("zentori-") + test->name());
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path File() const { return folder_ / LibraryStore::kFileName; }

    static std::string Read(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    }
    void Write(std::string_view bytes) {
        fs::create_directories(folder_);
        std::ofstream(File(), std::ios::binary) << bytes;
    }
    static std::vector<std::string> Names(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

TEST_F(LibraryStoreTest, SavesIntoANewFolderAndLoadsBack) {
    LibraryStore store(folder_ / "deeper");
    Library library;
    library.AddFavourite({"连连看", "经典", "http://g/501", 7, {}});
    library.SetGameZoom("http://g/501", 175);
    ASSERT_TRUE(store.Save(library));

    LibraryLoadOutcome outcome;
    const Library loaded = LibraryStore(folder_ / "deeper").Load(0, outcome);
    EXPECT_EQ(outcome.status, LibraryLoad::kLoaded);
    ASSERT_EQ(loaded.Favourites().size(), 1u);
    EXPECT_EQ(loaded.Favourites()[0].name, "连连看");
    EXPECT_EQ(loaded.GameZoom("http://g/501"), 175);
    EXPECT_EQ(Names(folder_ / "deeper"), std::vector<std::string>{"library.json"});  // no .tmp

    EXPECT_EQ(LibraryStore(folder_).Load(0, outcome).Favourites().size(), 0u);
    EXPECT_EQ(outcome.status, LibraryLoad::kNoFile);
}

TEST_F(LibraryStoreTest, KeepsADamagedFileAsideAndStartsEmpty) {
    const std::string damaged[] = {
        "{\"version\": 1, \"favourites\": [{\"link\": 5}]}",  // corrupt
        "{\"version\": 1, \"favourites\": [{\"link\": \"h",   // truncated
        "",                                                   // empty
        "\x89PNG\r\n\x1A\n",                                  // no JSON at all
        // A later version's number does not make a damaged file whole.
        "{\"version\": 2, \"x\": " + std::string(40, '[') + std::string(40, ']') + "}",
    };
    const std::time_t now = 1714550400;
    for (const std::string& bytes : damaged) {
        SCOPED_TRACE(bytes);
        fs::remove_all(folder_);
        Write(bytes);
        LibraryStore store(folder_);
        LibraryLoadOutcome outcome;
        EXPECT_EQ(store.Load(now, outcome).Favourites().size(), 0u);
        EXPECT_EQ(outcome.status, LibraryLoad::kKeptAside);
        EXPECT_EQ(Read(outcome.keptAside), bytes);
        const std::string name = outcome.keptAside.filename().string();
        EXPECT_TRUE(name.starts_with("library.json.broken-2024") && name.size() == 35) << name;

        // The next one in the same second gets a name of its own; the first stays.
        Write(bytes);
        LibraryLoadOutcome second;
        LibraryStore(folder_).Load(now, second);
        EXPECT_EQ(second.keptAside.filename().string(), name + "-2");
        EXPECT_EQ(Read(outcome.keptAside), bytes);

        EXPECT_TRUE(store.Save(Library()));
        EXPECT_EQ(Names(folder_), (std::vector<std::string>{"library.json", name, name + "-2"}));
    }
}

// A later version's file, and any file a store that does not own the library reads, stay as
// they are, byte for byte, and are never written.
TEST_F(LibraryStoreTest, ALaterVersionsFileAndAnotherCopysLibraryAreOnlyRead) {
    const std::string good =
        R"({"version": 1, "favourites": [{"name": "a", "link": "http://g/1"}]})";
    const struct {
        std::string bytes;
        LibraryStore::Access access;
        LibraryLoad status;
        size_t favourites;
    } rows[] = {
        {R"({"version": 2})", LibraryStore::Access::kOwner, LibraryLoad::kNewer, 0},
        {R"({"version": 99, "favourites": "in a later shape"})", LibraryStore::Access::kOwner,
         LibraryLoad::kNewer, 0},
        {good, LibraryStore::Access::kReadOnly, LibraryLoad::kLoaded, 1},
        {R"({"version": 1, "favourites": 5})", LibraryStore::Access::kReadOnly,
         LibraryLoad::kUnreadable, 0},
        {R"({"version": 2})", LibraryStore::Access::kReadOnly, LibraryLoad::kNewer, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        fs::remove_all(folder_);
        Write(row.bytes);
        PlayerLibrary library(folder_, row.access);
        EXPECT_EQ(library.Load(0).status, row.status);
        EXPECT_EQ(library.Get().Favourites().size(), row.favourites);
        EXPECT_TRUE(library.SetFavourite({"b", "", "http://g/2", 2, {}}, true));
        EXPECT_TRUE(library.LastSaveFailed());
        EXPECT_EQ(Read(File()), row.bytes);
        EXPECT_EQ(Names(folder_), std::vector<std::string>{"library.json"});
    }
}

TEST_F(LibraryStoreTest, AFailedWriteLeavesThePreviousFileWhole) {
    PlayerLibrary library(folder_);
    library.Load(0);
    int changes = 0;
    library.AddObserver([&changes] { ++changes; });
    ASSERT_TRUE(library.SetFavourite({"a", "", "http://g/1", 1, {}}, true));
    EXPECT_FALSE(library.LastSaveFailed());
    const std::string saved = Read(File());

    // The temporary file cannot be made: a folder has its name.
    fs::path blocker = File();
    blocker += ".tmp";
    fs::create_directory(blocker);
    EXPECT_TRUE(library.SetFavourite({"b", "", "http://g/2", 2, {}}, true));
    EXPECT_TRUE(library.LastSaveFailed());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Read(File()), saved);

    fs::remove(blocker);
    library.RecordPlayed({"b", "", "http://g/2", 3, {}});
    EXPECT_FALSE(library.LastSaveFailed());
    LibraryLoadOutcome outcome;
    EXPECT_EQ(LibraryStore(folder_).Load(0, outcome).Favourites().size(), 2u);
}

TEST_F(LibraryStoreTest, AFileThatCannotBeReadIsNeverWritten) {
    fs::create_directories(File());  // a folder where the file should be
    LibraryStore store(folder_);
    LibraryLoadOutcome outcome;
    store.Load(0, outcome);
    EXPECT_EQ(outcome.status, LibraryLoad::kUnreadable);
    EXPECT_FALSE(store.Save(Library()));
    EXPECT_TRUE(fs::is_directory(File()));
}

}  // namespace
