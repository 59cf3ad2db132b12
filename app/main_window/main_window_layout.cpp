#include "app/main_window/main_window_layout.h"

#include <functional>

#include "app/community.h"
#include "app/browse/navigation.h"
#include "text/text_utils.h"
#include "widgets/artwork.h"
#include "widgets/drawing.h"

namespace {

struct SectionButtonEntry {
    const char* caption;
    const char* icon;  // below the program directory
};

// The section bar: 60 x 60 buttons 70 pixels apart from (5, 30), icon above the caption.
constexpr SectionButtonEntry kSectionButtonEntries[kSectionButtonCount] = {
    {"热门游戏", "\\skin\\ico\\home.png"},    {"小游戏", "\\skin\\ico\\calendar.png"},
    {"网页游戏", "\\skin\\ico\\folder.png"},  {"最近更新", "\\skin\\ico\\tag.png"},
    {"官方主页", "\\skin\\ico\\user.png"},    {"游戏工具", "\\skin\\ico\\comment.png"},
    {"皮肤更换", "\\skin\\ico\\package.png"},
};

constexpr char kLogoFile[] = "\\skin\\logo.png";  // top right, 206 x 63

// Which list section each section button shows; -1 for the two other commands.
constexpr int kSectionOfButton[kSectionButtonCount] = {kHotGames, kSmallGames, kWebGames, kRecent,
                                                       -1,        kTools,      -1};

struct TextButtonPlace {
    const char* caption;
    int x, y, width, height;
};

constexpr TextButtonPlace kPagingButtonPlaces[kPagingButtonCount] = {
    {"首页", 450, 500, 40, 18},
    {"末页", 500, 500, 40, 18},
    {"上页", 550, 500, 40, 18},
    {"下页", 600, 500, 40, 18},
};

// A picture below the program directory; empty without a directory, so nothing is read from
// the root of the current drive.
std::string SkinFile(const std::string& programDirectory, const char* relativePath) {
    return programDirectory.empty() ? std::string() : programDirectory + relativePath;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
    const std::u16string widePath = AnsiToWide(path);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()), GENERIC_READ,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    LARGE_INTEGER size{};
    // Pictures of the skin folder are small; anything above 64 MB is not one of them.
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (64 << 20)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            read = 0;
        }
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

void MarkListSection(GlobalObjects& objects, std::string_view categoryKey) {
    int marked = -1;
    for (int i = 0; i < kSectionButtonCount; ++i) {
        const int section = kSectionOfButton[i];
        if (section >= 0 && kListSections[section].categoryKey == categoryKey) marked = i;
    }
    if (marked < 0) return;
    for (int i = 0; i < kSectionButtonCount; ++i)
        objects.SectionButtons(i).Selected(i == marked);
}

std::vector<std::string> MainWindowPictures(const std::string& programDirectory,
                                            const std::string& skinPath) {
    std::vector<std::string> paths{skinPath};
    // The icons at the size the main window will draw (it opens at the system's DPI).
    const DisplayScale scale = DisplayScale::ForSystem();
    for (const SectionButtonEntry& button : kSectionButtonEntries) {
        std::string path = SkinFile(programDirectory, button.icon);
        if (!path.empty()) paths.push_back(FindArtwork(path, scale).path);
    }
    const std::string logo = SkinFile(programDirectory, kLogoFile);
    if (!logo.empty()) paths.push_back(FindArtwork(logo, scale).path);
    return paths;
}

namespace {

using Decoded = std::function<std::optional<Picture>(const std::string& path)>;

// The top band: the section bar, then the logo.
void BuildSectionBar(GlobalObjects& objects, HWND window, const std::string& programDirectory,
                     const MainWindowCommands& commands, const Decoded& decoded) {
    const DisplayScale scale = objects.MainSkin().Scale();
    for (int i = 0; i < kSectionButtonCount; ++i) {
        const std::string iconPath = SkinFile(programDirectory, kSectionButtonEntries[i].icon);
        const ArtworkChoice artwork = FindArtwork(iconPath, scale);
        std::optional<Picture> iconPicture = decoded(artwork.path);
        const std::string icon = iconPicture ? std::string() : ReadFileBytes(artwork.path);
        IconButtonOptions options;
        options.selected = i == kHotGamesButton;
        options.iconBytes = icon;
        options.icon = iconPicture ? &*iconPicture : nullptr;
        options.iconFactor = artwork.factor;
        options.iconFile = iconPath;  // read again at another scale
        options.iconAbove = true;
        IconButton& button = objects.SectionButtons(i);
        button.Create(window, kSectionButtonEntries[i].caption, 5 + 70 * i, 30, 60, 60, options);
        if (kSectionOfButton[i] >= 0) {
            button.SetClickHandler([commands, section = kSectionOfButton[i]] {
                if (commands.showListSection) commands.showListSection(section);
            });
        } else if (i == kHomepageButton) {
            button.SetClickHandler([commands] {
                if (commands.openHomepage) commands.openHomepage();
            });
        } else {
            button.SetClickHandler([commands] {
                if (commands.showSkinMenu) commands.showSkinMenu();
            });
        }
    }

    const std::string logoPath = SkinFile(programDirectory, kLogoFile);
    objects.LogoPicture().CreateFromArtwork(window, 500, 20, 206, 63, logoPath, false, true,
                                            decoded(FindArtwork(logoPath, scale).path));
}

// The middle band: the game list.
void BuildGameList(GlobalObjects& objects, HWND window) {
    ListCreateOptions listOptions;
    listOptions.backgroundColour = 0xFFFFFF;
    listOptions.backgroundAlpha = 80;
    listOptions.borderStyle = kFrameFlat;
    ListControl& list = objects.GameList();
    list.Create(window, 150, 95, 560, 400, listOptions);
    ListViewOptions view;
    view.viewMode = kReportView;
    view.headerColour = 0xFFFFFF;
    view.headerAlphaTop = 120;
    view.headerAlphaBottom = 20;
    view.selectionEnabled = true;
    // The link column has width 0: it holds each row's link but is never drawn.
    list.SetColumns({{"索引", 4, 40}, {"游戏名称", 0, 180}, {"游戏介绍", 3, 320}, {"连接", 3, 0}},
                    view);
    list.Redraw();
}

// The bottom band: the title and community lines, the paging buttons, the page labels and the
// search button.
void BuildBottomBand(GlobalObjects& objects, HWND window, const MainWindowCommands& commands) {
    // The version shows whole with whatever font is installed: the label is as wide as its
    // text, up to the window's frame.
    constexpr int kTitleLeft = 580;
    constexpr int kFrameWidth = 1;
    Label& title = objects.TitleLabel();
    title.Create(window, "Zentori网页游戏盒子1.0", kTitleLeft, 528, 120, 20);
    RECT client{};
    GetClientRect(window, &client);
    title.FitWidthToText(
        static_cast<float>(title.Scale().Design(client.right) - kFrameWidth - kTitleLeft));
    objects.CommunityLabel().Create(window, std::string("玩家交流群：") + kCommunityGroupNumber, 5,
                                    528, 400, 20);

    for (int i = 0; i < kPagingButtonCount; ++i) {
        const TextButtonPlace& layout = kPagingButtonPlaces[i];
        TextButton& button = objects.PagingButtons(i);
        button.Create(window, layout.caption, layout.x, layout.y, layout.width, layout.height);
        button.SetClickHandler([commands, i] {
            if (commands.page) commands.page(i);
        });
    }

    objects.PageCountLabel().Create(window, "共0页", 650, 500, 60, 20);
    objects.PageLabel().Create(window, "第0页", 150, 500, 60, 20);

    objects.SearchButton().Create(window, "搜索", 330, 500, 50, 20);
    objects.SearchButton().SetClickHandler([commands] {
        if (commands.submitSearch) commands.submitSearch();
    });
}

// The left band: two columns of genre buttons, x 10 and 80, rows 25 pixels apart from y 95.
void BuildGenreColumns(GlobalObjects& objects, HWND window, const MainWindowCommands& commands) {
    for (int g = 0; g < kGenreButtonCount; ++g) {
        const int x = g % 2 == 0 ? 10 : 80;
        const int y = 95 + 25 * (g / 2);
        TextButton& button = objects.GenreButtons(g);
        button.Create(window, kGenres[g].caption, x, y, 60, 20);
        button.SetClickHandler([commands, g] {
            if (commands.showGenre) commands.showGenre(g);
        });
    }
}

}  // namespace

// The widgets are created in their fixed order (the order the tables and the keyboard keep),
// one screen band after another.
void BuildMainWindow(GlobalObjects& objects, HWND window, const std::string& programDirectory,
                     const std::string& skinPath, const MainWindowCommands& commands,
                     PicturePreload* pictures) {
    const Decoded decoded = [pictures](const std::string& path) {
        return pictures && !path.empty() ? pictures->Take(path) : std::nullopt;
    };
    SkinFormOptions skin;
    skin.captionMode = 2;
    skin.widgetFade = 0;  // looks change at once
    skin.fixedSize = 1;   // the layout is fixed: the edges do not resize the window
    objects.MainSkin().Attach(window, skinPath, skin, decoded(skinPath));

    BuildSectionBar(objects, window, programDirectory, commands, decoded);
    BuildGameList(objects, window);
    BuildBottomBand(objects, window, commands);
    BuildGenreColumns(objects, window, commands);
}
