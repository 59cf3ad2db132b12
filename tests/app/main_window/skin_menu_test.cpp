// The skin menu and its commands on a real skinned form: where the pop-up menu appears and what
// it holds, which picture each item fades in, and the custom picture chosen through the
// (injected) file dialog, including cancelling and files that are no pictures.
//
// The menu runs its own modal loop; a thread timer finds the menu window (class "#32768") while
// it is open, records it and then works it with keys or the mouse as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window/skin_menu.h"
#include "win/wide_text.h"
#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"

namespace {

// Solid skins, one colour per file (COLORREF), so the form's background tells which one is shown.
struct SkinFile {
    const wchar_t* name;
    COLORREF colour;
};
constexpr SkinFile kSkinFiles[] = {
    {L"1.jpg", RGB(100, 100, 100)}, {L"2.jpg", RGB(40, 80, 200)},   {L"3.jpg", RGB(200, 40, 40)},
    {L"4.jpg", RGB(230, 200, 40)},  {L"5.jpg", RGB(250, 250, 250)}, {L"6.jpg", RGB(240, 150, 200)},
};
constexpr COLORREF kCustomColour = RGB(30, 160, 90);

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
}

// A program directory of this test's own, holding skin\1.jpg ... skin\6.jpg and whatever custom
// files a test adds; removed at the end.
class ProgramFolder {
public:
    ProgramFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        root_ =
            std::wstring(temp) + L"zentori-" + std::to_wstring(GetCurrentProcessId()) + L"-程序";
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\skin").c_str(), nullptr);
        for (const SkinFile& skin : kSkinFiles) {
            Add(std::wstring(L"skin\\") + skin.name,
                test::EncodeSolidImage(400, 300, skin.colour, test::ImageFormat::kJpeg));
        }
    }
    ~ProgramFolder() {
        for (auto it = files_.rbegin(); it != files_.rend(); ++it)
            DeleteFileW(it->c_str());
        RemoveDirectoryW((root_ + L"\\skin").c_str());
        RemoveDirectoryW(root_.c_str());
    }

    // Writes a file below the folder; returns its full path.
    std::wstring Add(const std::wstring& relative, const std::string& bytes) {
        const std::wstring path = root_ + L"\\" + relative;
        EXPECT_TRUE(WriteBytes(path, bytes)) << WideToGbk(path);
        files_.push_back(path);
        return path;
    }
    std::string Gbk() const { return WideToGbk(root_); }

private:
    std::wstring root_;
    std::vector<std::wstring> files_;
};

// Reads and works the pop-up menu while SkinMenu::Show waits in the menu's loop.
class MenuDriver {
public:
    struct Seen {
        bool found = false;
        RECT rect{};
        std::vector<UINT> ids;
        std::vector<std::wstring> captions;
        UINT checked = 0;  // the item with a check mark; 0: none
    };
    // What to do once the menu is found: posts these keys to it ...
    std::vector<WPARAM> keys;
    // ... or right-clicks the item at this position (0-based), when set.
    std::optional<int> rightClickItem;

    Seen Run(const std::function<void()>& show) {
        seen_ = Seen{};
        const test::MenuWatcher watcher([this](HWND menuWindow) { OnOpen(menuWindow); });
        show();
        return seen_;
    }

private:
    void OnOpen(HWND menuWindow) {
        seen_.found = true;
        GetWindowRect(menuWindow, &seen_.rect);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t caption[64] = {};
            GetMenuStringW(menu, i, caption, 64, MF_BYPOSITION);
            seen_.ids.push_back(GetMenuItemID(menu, i));
            seen_.captions.push_back(caption);
            if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) {
                seen_.checked = GetMenuItemID(menu, i);
            }
        }
        if (rightClickItem) {
            RECT item{};
            // No window: the system finds the pop-up menu's own.
            GetMenuItemRect(nullptr, menu, *rightClickItem, &item);
            SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
            INPUT clicks[2] = {};
            clicks[0].type = clicks[1].type = INPUT_MOUSE;
            clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
            clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
            SendInput(2, clicks, sizeof(INPUT));
            return;
        }
        for (WPARAM key : keys)
            PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
    }

    Seen seen_;
};

// Keys that choose the item with this id from the freshly opened menu (nothing is selected at
// first; each Down moves one item on).
std::vector<WPARAM> KeysFor(UINT item) {
    std::vector<WPARAM> keys(item, VK_DOWN);
    keys.push_back(VK_RETURN);
    return keys;
}

class SkinMenuTest : public ::testing::Test {
protected:
    test::CursorAway cursorAway;
    ProgramFolder folder;
    std::optional<std::wstring> chosenFile;
    std::vector<HWND> chooserOwners;
    std::vector<std::wstring> chooserFolders;
    std::vector<std::string> notices;
    MenuDriver::Seen lastMenu;
    std::unique_ptr<test::TestForm> form;
    std::unique_ptr<SkinMenu> menu;

    void SetUp() override {
        test::EnsureGraphics();
        test::TestForm::Options options;
        options.skinPath = folder.Gbk() + "\\skin\\1.jpg";
        form = std::make_unique<test::TestForm>(options);
        menu = std::make_unique<SkinMenu>(form->Form(), folder.Gbk(),
                                          [this](HWND owner, const std::wstring& folder) {
                                              chooserOwners.push_back(owner);
                                              chooserFolders.push_back(folder);
                                              return chosenFile;
                                          });
        menu->SetNoticeHandler([this](const std::string& text) { notices.push_back(text); });
        test::PumpMessages(50);
        ASSERT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), kSkinFiles[0].colour));
    }

    // Opens the menu at a pointer position and chooses `item` with the keyboard.
    UINT ChooseWithKeys(UINT item) {
        SetCursorPos(300, 200);
        MenuDriver driver;
        driver.keys = KeysFor(item);
        UINT chosen = 0;
        lastMenu = driver.Run([&] { chosen = menu->Show(form->Handle()); });
        EXPECT_TRUE(lastMenu.found) << "the menu never appeared";
        return chosen;
    }

    // A fade's first step comes 100 ms after the skin changed; a busy machine may delay it.
    bool FadeRuns(int timeoutMilliseconds = 20000) {
        return test::PumpUntil([&] { return form->Form().FadeAlpha() > 0; }, timeoutMilliseconds);
    }
    std::string InitialSkin() const { return folder.Gbk() + "\\skin\\1.jpg"; }
};

TEST_F(SkinMenuTest, PopsUpThreePixelsRightOfAndBelowThePointerWithTheSixItems) {
    for (POINT pointer : {POINT{200, 200}, POINT{431, 87}}) {
        SetCursorPos(pointer.x, pointer.y);
        MenuDriver driver;
        driver.keys = {VK_ESCAPE};
        UINT chosen = 99;
        const MenuDriver::Seen seen = driver.Run([&] { chosen = menu->Show(form->Handle()); });
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.rect.left, pointer.x + 3);
        EXPECT_EQ(seen.rect.top, pointer.y + 3);
        EXPECT_EQ(chosen, 0u) << "Escape chooses nothing";
        EXPECT_EQ(seen.checked, 0u) << "the start skin has no item";
        EXPECT_EQ(seen.ids, (std::vector<UINT>{1, 2, 3, 4, 5, 6}));
        EXPECT_EQ(seen.captions,
                  (std::vector<std::wstring>{L"蓝色背景", L"红色背景", L"黄色背景", L"白色背景",
                                             L"可爱背景", L"自定义背景"}));
    }
    EXPECT_EQ(form->Form().CurrentSkinPath(), InitialSkin());
    EXPECT_TRUE(chooserOwners.empty());
}

TEST_F(SkinMenuTest, EachPictureItemFadesInItsSkinFromTheProgramDirectory) {
    for (UINT item = SkinMenu::kBlueSkin; item <= SkinMenu::kCuteSkin; ++item) {
        const SkinFile& skin = kSkinFiles[item];  // item 1 shows 2.jpg
        ASSERT_EQ(ChooseWithKeys(item), item);
        EXPECT_EQ(lastMenu.checked, item - 1) << "the skin shown is checked";
        EXPECT_EQ(form->Form().CurrentSkinPath(), folder.Gbk() + "\\skin\\" + WideToGbk(skin.name));
        EXPECT_TRUE(FadeRuns()) << "item " << item << " shows its skin without a fade";
        EXPECT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), skin.colour))
            << "item " << item << ": " << test::ColourText(form->BackgroundPixel(100, 100));
        test::PumpUntil([&] { return form->Form().FadeAlpha() == 0; }, 2000);
    }
    EXPECT_TRUE(chooserOwners.empty());
}

TEST_F(SkinMenuTest, TheRightButtonChoosesAnItemToo) {
    SetCursorPos(300, 200);
    MenuDriver driver;
    driver.rightClickItem = 2;  // 黄色背景
    UINT chosen = 0;
    const MenuDriver::Seen seen = driver.Run([&] { chosen = menu->Show(form->Handle()); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(chosen, SkinMenu::kYellowSkin);
    EXPECT_EQ(form->Form().CurrentSkinPath(), folder.Gbk() + "\\skin\\4.jpg");
}

TEST_F(SkinMenuTest, CustomPictureChosenInTheDialogFadesIn) {
    chosenFile = folder.Add(
        L"自选背景.png", test::EncodeSolidImage(400, 300, kCustomColour, test::ImageFormat::kPng));
    ASSERT_EQ(ChooseWithKeys(SkinMenu::kCustomSkin), SkinMenu::kCustomSkin);
    EXPECT_EQ(chooserOwners, std::vector<HWND>{form->Handle()});
    EXPECT_EQ(form->Form().CurrentSkinPath(), WideToGbk(*chosenFile));
    EXPECT_TRUE(FadeRuns());
    EXPECT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), kCustomColour));
    // The next time the custom item is checked and the dialog opens where the picture was.
    ASSERT_EQ(ChooseWithKeys(SkinMenu::kCustomSkin), SkinMenu::kCustomSkin);
    EXPECT_EQ(lastMenu.checked, SkinMenu::kCustomSkin);
    ASSERT_EQ(chooserFolders.size(), 2u);
    EXPECT_NE(chooserFolders[0], L"") << "the Pictures folder";
    EXPECT_EQ(chooserFolders[1], GbkToWide(folder.Gbk()));
}

TEST_F(SkinMenuTest, CancellingTheDialogChangesNothing) {
    chosenFile.reset();
    ASSERT_EQ(ChooseWithKeys(SkinMenu::kCustomSkin), SkinMenu::kCustomSkin);
    EXPECT_EQ(chooserOwners.size(), 1u);
    EXPECT_EQ(form->Form().CurrentSkinPath(), InitialSkin());
    EXPECT_FALSE(FadeRuns(400));
    EXPECT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), kSkinFiles[0].colour));
}

// Picking a file that is no picture must not leave the window without its skin.
TEST_F(SkinMenuTest, FilesThatAreNoPicturesKeepTheCurrentSkin) {
    std::string truncatedJpeg =
        test::EncodeSolidImage(400, 300, kCustomColour, test::ImageFormat::kJpeg);
    truncatedJpeg.resize(20);
    const std::wstring files[] = {
        folder.Add(L"readme.txt", "这不是图片"),
        folder.Add(L"empty.jpg", ""),
        folder.Add(L"broken.jpg", truncatedJpeg),
        L"C:\\no\\such\\folder\\picture.jpg",
    };
    for (const std::wstring& file : files) {
        chosenFile = file;
        notices.clear();
        EXPECT_FALSE(menu->Run(SkinMenu::kCustomSkin, form->Handle())) << WideToGbk(file);
        EXPECT_EQ(notices, std::vector<std::string>{"这个文件不是可以用作皮肤的图片"});
        EXPECT_EQ(form->Form().CurrentSkinPath(), InitialSkin());
        EXPECT_FALSE(FadeRuns(400));
        EXPECT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), kSkinFiles[0].colour));
    }
}

// GBK has no Hangul: the toolkit's GBK path operations reach such a file by its short name.
TEST_F(SkinMenuTest, CustomPictureWhoseNameGbkCannotHoldIsOpenedByItsShortName) {
    chosenFile = folder.Add(
        L"배경.png", test::EncodeSolidImage(400, 300, kCustomColour, test::ImageFormat::kPng));
    wchar_t shortPath[MAX_PATH] = {};
    if (GetShortPathNameW(chosenFile->c_str(), shortPath, MAX_PATH) == 0 ||
        GbkToWide(WideToGbk(shortPath)) != shortPath) {
        GTEST_SKIP() << "this volume keeps no plain short names";
    }
    EXPECT_TRUE(menu->Run(SkinMenu::kCustomSkin, form->Handle()));
    EXPECT_EQ(form->Form().CurrentSkinPath(), WideToGbk(shortPath));
    EXPECT_TRUE(test::NearColour(form->BackgroundPixel(100, 100), kCustomColour));
}

TEST_F(SkinMenuTest, WithoutAProgramDirectoryNoSkinIsLookedForAtTheDriveRoot) {
    SkinMenu lost(form->Form(), "",
                  [](HWND, const std::wstring&) { return std::optional<std::wstring>(); });
    EXPECT_FALSE(lost.Run(SkinMenu::kBlueSkin, form->Handle()));
    EXPECT_EQ(form->Form().CurrentSkinPath(), InitialSkin());
    EXPECT_FALSE(lost.Run(0, form->Handle()));
    EXPECT_FALSE(lost.Run(7, form->Handle()));
}

}  // namespace
