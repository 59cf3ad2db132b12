// The resources built into zentori.exe (built beside this test): the multi-size program icon,
// the application manifest and the version information, read from the file as Windows and
// Explorer read them; and the drawn artwork at each of its scales.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/process/program_directory.h"
#include "tests/support/toolkit/images.h"
#include "widgets/caption_buttons.h"
#include "widgets/picture.h"

namespace {

// zentori.exe loaded for its resources only (no code runs).
class ProgramImage {
public:
    ProgramImage() {
        const std::wstring path = ProgramDirectoryWide() + L"\\zentori.exe";
        module_ = LoadLibraryExW(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    ~ProgramImage() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE Module() const { return module_; }

    std::string_view Resource(LPCWSTR type, LPCWSTR name) const {
        HRSRC found = FindResourceW(module_, name, type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) return {};
        return std::string_view(static_cast<const char*>(data), SizeofResource(module_, found));
    }

private:
    HMODULE module_ = nullptr;
};

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDirectory {
    WORD reserved, type, count;
    IconDirectoryEntry entries[1];
};
#pragma pack(pop)

TEST(ProgramResources, IconOneHoldsEverySizeFrom16To256) {
    ProgramImage image;
    ASSERT_NE(image.Module(), nullptr) << "zentori.exe is not beside the test";
    const std::string_view group = image.Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
    ASSERT_GE(group.size(), sizeof(WORD) * 3);
    const auto* directory = reinterpret_cast<const IconDirectory*>(group.data());
    ASSERT_EQ(group.size(), 6 + directory->count * sizeof(IconDirectoryEntry));
    std::set<int> sizes;
    for (int i = 0; i < directory->count; ++i) {
        const IconDirectoryEntry& entry = directory->entries[i];
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.bitCount, 32) << "alpha-blended icons";
        sizes.insert(entry.width == 0 ? 256 : entry.width);
        EXPECT_FALSE(image.Resource(RT_ICON, MAKEINTRESOURCEW(entry.id)).empty());
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 128, 256}));

    HICON small =
        static_cast<HICON>(LoadImageW(image.Module(), MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(small, nullptr);
    if (small) DestroyIcon(small);
}

TEST(ProgramResources, ManifestAsksForCommonControls6AndNamesEverySupportedWindows) {
    ProgramImage image;
    ASSERT_NE(image.Module(), nullptr);
    const std::string manifest(image.Resource(MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1)));
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST resource 1";
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    for (const char* id : {"e2011457-1546-43c5-a5fe-008deee3d3f0",     // Vista
                           "35138b9a-5d96-4fbd-8e2d-a2440225f93a",     // 7
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",     // 8
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78",     // 8.1
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {  // 10 and 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + id + "}\"/>"),
                  std::string::npos)
            << id;
    }
    // The program scales itself: per-monitor v2, then per-monitor, then system-aware.
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
}

std::wstring VersionString(const std::string& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

TEST(ProgramResources, VersionInformationNamesTheProductInChinese) {
    const std::wstring path = ProgramDirectoryWide() + L"\\zentori.exe";
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));  // 1.0
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));

    EXPECT_EQ(VersionString(block, L"ProductName"), L"Zentori网页游戏盒子");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Zentori网页游戏盒子");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1.0");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"zentori.exe");
}

// The 1x pictures (no "@" in the name) in `folder`.
std::vector<std::filesystem::path> OneTimesPictures(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::wstring name = entry.path().filename().wstring();
        if (entry.path().extension() == L".png" && name.find(L'@') == std::wstring::npos)
            paths.push_back(entry.path());
    }
    return paths;
}

// `one` at 1x, `larger` at 1.5x and 2x: each the 1x size times its scale, rounded half up.
void ExpectScaled(const std::string& name, Picture& one, Picture (&larger)[2]) {
    ASSERT_GT(one.GetWidth(), 0) << name;
    const int halves[] = {3, 4};
    const char* scales[] = {"1.5x", "2x"};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(larger[i].GetWidth(), (one.GetWidth() * halves[i] + 1) / 2)
            << name << " at " << scales[i];
        EXPECT_EQ(larger[i].GetHeight(), (one.GetHeight() * halves[i] + 1) / 2)
            << name << " at " << scales[i];
    }
}

TEST(ProgramResources, DrawnArtworkComesAtOneOneAndAHalfAndTwoTimesItsSize) {
    test::EnsureGraphics();
    Picture strip, strips[2];
    strip.LoadFromBytes(CaptionStripPng());
    strips[0].LoadFromBytes(CaptionStripPng150());
    strips[1].LoadFromBytes(CaptionStripPng200());
    ExpectScaled("caption strip", strip, strips);

    const std::filesystem::path skin = ProgramDirectoryWide() + L"\\skin";
    std::vector<std::filesystem::path> files = OneTimesPictures(skin);
    for (const std::filesystem::path& path : OneTimesPictures(skin / L"ico"))
        files.push_back(path);
    EXPECT_GE(files.size(), 8u) << "the logo and the seven section icons";
    for (const std::filesystem::path& path : files) {
        const std::wstring stem = path.wstring().substr(0, path.wstring().size() - 4);
        Picture one, larger[2];
        one.LoadFromFile(GbkPathFor(path.wstring()));
        larger[0].LoadFromFile(GbkPathFor(stem + L"@1.5x.png"));
        larger[1].LoadFromFile(GbkPathFor(stem + L"@2x.png"));
        ExpectScaled(GbkPathFor(path.wstring()), one, larger);
    }
}

}  // namespace
