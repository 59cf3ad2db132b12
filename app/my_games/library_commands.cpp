#include "app/my_games/library_commands.h"

#include <ctime>

#include "app/browse/catalogue_fetch.h"
#include "app/diagnostics/event_log.h"
#include "app/main_window/main_window_layout.h"
#include "app/main_window/skin_menu.h"
#include "app/my_games/game_context_menu.h"
#include "app/play/hidden_browser.h"
#include "text/text_utils.h"
#include "win/wide_text.h"

const char LibraryCommands::kKeptAsideNotice[] = "游戏库文件已损坏，已另存为 ";
const char LibraryCommands::kKeptAsideNoticeEnd[] = "，已从空的游戏库开始";
const char LibraryCommands::kUnreadableNotice[] =
    "无法读取游戏库文件 library.json，本次运行中的收藏和记录不会保存";
const char LibraryCommands::kNewerNotice[] = "收藏和记录由较新版本的程序保存，本次运行不会修改它";
const char LibraryCommands::kInUseNotice[] =
    "游戏库正由另一个运行中的本程序使用，本次运行中的收藏和记录不会保存";
const char LibraryCommands::kSaveFailedNotice[] = "游戏库文件无法保存，更改只在本次运行中有效";
const char LibraryCommands::kAddedNotice[] = "已加入收藏：";
const char LibraryCommands::kRemovedNotice[] = "已取消收藏：";
const char LibraryCommands::kLinkCopiedNotice[] = "已复制游戏链接";
const char LibraryCommands::kNoBrowserNotice[] = "无法打开浏览器，请手动访问 ";
const char LibraryCommands::kNoBrowserNoticeEnd[] = "（点击这里复制网址）";
const char LibraryCommands::kAddressCopiedNotice[] = "已复制网址";
const char LibraryCommands::kBadAddressNotice[] = "library.json 中的";
const char LibraryCommands::kBadAddressNoticeEnd[] = "不是有效的网址，已使用默认地址";

LibraryCommands::LibraryCommands(GlobalObjects& objects, GameWindow& gameWindow, NoticeBar& notices,
                                 HINSTANCE instance, std::filesystem::path folder,
                                 LibraryStore::Access access)
    : objects_(objects),
      gameWindow_(gameWindow),
      notices_(notices),
      instance_(instance),
      library_(std::move(folder), access),
      views_(objects, library_) {
    views_.SetFilledHandler(
        [this](LibraryViews::View view, size_t games) { OnViewFilled(view, games); });
}

LibraryCommands::~LibraryCommands() {
    gameWindow_.SetClosedHandler({});
    gameWindow_.SetFavouriteHandler({});
    gameWindow_.Zoom().SetChangeHandler({});
}

void LibraryCommands::Load() {
    loadOutcome_ = library_.Load(std::time(nullptr));
    LogLibraryLoad(loadOutcome_, library_.Get(), library_.Store().ReadOnly());
    catalogueSettingIgnored_ =
        CatalogueAddress(library_.Get().Settings().catalogueUrl).settingIgnored;
    homepageSettingIgnored_ = HomepageAddress(library_.Get().Settings().homepageUrl).settingIgnored;
    if (const std::optional<WindowSize>& size = library_.Get().Settings().gameWindow) {
        gameWindow_.SetPlacement({size->width, size->height, size->maximised});
    }
    gameWindow_.SetClosedHandler([this](const GameWindow::Placement& placement) {
        const WindowSize size{placement.width, placement.height, placement.maximised};
        if (library_.Get().Settings().gameWindow == size) return;
        library_.ChangeSettings([&size](LibrarySettings& settings) { settings.gameWindow = size; });
    });
    gameWindow_.SetFavouriteHandler([this] {
        LibraryGame game = playing_;
        game.time = static_cast<std::int64_t>(std::time(nullptr));
        ToggleFavourite(game);
    });
    gameWindow_.Zoom().SetChangeHandler(
        [this](int percent) { library_.SetGameZoom(playing_.link, percent); });
    library_.AddObserver([this] { OnLibraryChanged(); });
}

std::string LibraryCommands::CatalogueBase() const {
    return CatalogueAddress(library_.Get().Settings().catalogueUrl).base;
}

std::string LibraryCommands::HomepageBase() const {
    return HomepageAddress(library_.Get().Settings().homepageUrl).base;
}

std::string LibraryCommands::StartSkinPath(const std::string& programDirectory) const {
    // Without a program directory there is no skin folder: nothing is read from the drive root.
    const std::string standard = programDirectory.empty() ? "" : programDirectory + kStartSkin;
    const std::optional<SkinChoice>& skin = library_.Get().Settings().skin;
    if (!skin) return standard;
    if (!skin->custom) {
        const bool there = SkinMenu::FindEntry(skin->path) && !programDirectory.empty();
        return there ? programDirectory + skin->path : standard;
    }
    // A custom picture that has gone (deleted, on a drive no longer there): the default,
    // without a word. The choice stays remembered for when it comes back.
    const DWORD attributes = GetFileAttributesW(GbkToWide(skin->path).c_str());
    const bool there =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    return there ? skin->path : standard;
}

void LibraryCommands::Attach(HWND mainWindow) {
    mainWindow_ = mainWindow;
    views_.CreateButtons(mainWindow);
}

void LibraryCommands::ShowLoadNotice() {
    const bool owner = !library_.Store().ReadOnly();
    if (!owner) notices_.ShowLasting(NoticeKind::kLibraryInUse, kInUseNotice);
    switch (loadOutcome_.status) {
        case LibraryLoad::kKeptAside:
            notices_.ShowLasting(NoticeKind::kLibraryFile,
                                 kKeptAsideNotice + loadOutcome_.keptAside.filename().string() +
                                     kKeptAsideNoticeEnd);
            break;
        case LibraryLoad::kUnreadable:
            // Not read by a copy that does not own the library: the notice above says enough.
            if (owner) notices_.ShowLasting(NoticeKind::kLibraryFile, kUnreadableNotice);
            break;
        case LibraryLoad::kNewer:
            notices_.ShowLasting(NoticeKind::kLibraryFile, kNewerNotice);
            break;
        case LibraryLoad::kNoFile:
        case LibraryLoad::kLoaded:
            break;
    }
    ShowAddressNotice();
}

// Lasting, like the other notices of the file: the user who wrote the address should see that
// it was not taken, whatever the first page took to load.
void LibraryCommands::ShowAddressNotice() {
    std::string names;
    if (catalogueSettingIgnored_) names = "游戏目录地址";
    if (homepageSettingIgnored_) names += names.empty() ? "主页地址" : "和主页地址";
    if (names.empty()) return;
    notices_.ShowLasting(NoticeKind::kAddress, kBadAddressNotice + names + kBadAddressNoticeEnd);
}

LibraryGame LibraryCommands::GameAt(int row) const {
    const ListControl& list = objects_.GameList();
    return {list.GetCellText(row, 2),
            list.GetCellText(row, 3),
            list.GetCellText(row, 4),
            static_cast<std::int64_t>(std::time(nullptr)),
            {}};
}

bool LibraryCommands::PlayRow(int row) {
    if (row == 0) return false;
    const LibraryGame game = GameAt(row);
    if (!OpenSelectedGame(gameWindow_, instance_, row, game.name, game.link)) return false;
    playing_ = game;
    gameWindow_.ShowFavourite(library_.IsFavourite(game.link));
    gameWindow_.Zoom().SetPercent(library_.Get().GameZoom(game.link));
    library_.RecordPlayed(game);
    return true;
}

POINT LibraryCommands::MenuPointForSelection() const {
    const ListControl& list = objects_.GameList();
    RectF place(list.GetLeft(), list.GetTop(), 0, 0);
    for (const ListVisibleItem& item : list.VisibleItems()) {
        if (item.row == list.SelectedRow()) place = item.rect;
    }
    POINT point{static_cast<LONG>(place.X + place.Width / 4), static_cast<LONG>(place.GetBottom())};
    RECT window{};
    GetWindowRect(mainWindow_, &window);  // the form's coordinates start at the window's corner
    return POINT{window.left + point.x, window.top + point.y};
}

void LibraryCommands::OpenGameMenu(POINT screenPoint) {
    if (!mainWindow_) return;
    ListControl& list = objects_.GameList();
    int row;
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        row = list.SelectedRow();
        screenPoint = MenuPointForSelection();
    } else {
        RECT window{};
        GetWindowRect(mainWindow_, &window);
        row = list.RowAtPoint({screenPoint.x - window.left, screenPoint.y - window.top});
        if (row != 0 && row != list.SelectedRow()) {
            list.SelectedRow(row);
            list.Redraw();
        }
    }
    if (row == 0) return;
    const LibraryGame game = GameAt(row);
    // A record without an id has nothing to play, keep or copy.
    if (game.link.empty()) return;
    switch (ShowGameMenu(mainWindow_, screenPoint, library_.IsFavourite(game.link))) {
        case kPlayItem:
            PlayRow(row);
            break;
        case kFavouriteItem:
            ToggleFavourite(row);
            break;
        case kCopyLinkItem:
            if (CopyTextToClipboard(mainWindow_, game.link)) {
                notices_.ShowPassing(kLinkCopiedNotice);
            }
            break;
        default:
            break;
    }
}

bool LibraryCommands::TranslateKey(const MSG& message) {
    if (!IsFavouriteKey(message, mainWindow_)) return false;
    // Not while the main window waits for a fetch or a menu of its own.
    if (IsWindowEnabled(mainWindow_)) ToggleFavourite(objects_.GameList().SelectedRow());
    return true;
}

void LibraryCommands::ToggleFavourite(int row) {
    if (row != 0) ToggleFavourite(GameAt(row));
}

void LibraryCommands::ToggleFavourite(const LibraryGame& game) {
    if (game.link.empty()) return;
    const bool favourite = !library_.IsFavourite(game.link);
    if (!library_.SetFavourite(game, favourite) || library_.LastSaveFailed()) return;
    notices_.ShowPassing((favourite ? kAddedNotice : kRemovedNotice) + game.name);
}

void LibraryCommands::OnSkinApplied(const SkinChoice& skin) {
    if (library_.Get().Settings().skin == skin) return;
    library_.ChangeSettings([&skin](LibrarySettings& settings) { settings.skin = skin; });
}

void LibraryCommands::OnLibraryChanged() {
    LogLibrarySave(!library_.LastSaveFailed(), library_.Store().SavingOn());
    views_.Refresh();
    gameWindow_.ShowFavourite(library_.IsFavourite(playing_.link));
    // Each change that is not kept says so, briefly: the user may have missed the last time.
    if (library_.LastSaveFailed()) notices_.ShowPassing(kSaveFailedNotice);
}

void LibraryCommands::OnCataloguePage() {
    views_.Leave();
    notices_.Close(NoticeKind::kLibraryView);
}

// An empty view says how to fill it, for as long as it is shown empty.
void LibraryCommands::OnViewFilled(LibraryViews::View view, size_t games) {
    if (games == 0) {
        notices_.ShowLasting(
            NoticeKind::kLibraryView,
            LibraryViews::kButtons[view - LibraryViews::kFavouritesView].emptyHint);
    } else {
        notices_.Close(NoticeKind::kLibraryView);
    }
}

void LibraryCommands::TellNoBrowser(const std::string& url) {
    const auto copy = [this, url] {
        notices_.Close(NoticeKind::kNoBrowser);
        if (CopyTextToClipboard(mainWindow_, url)) notices_.ShowPassing(kAddressCopiedNotice);
    };
    notices_.ShowLasting(NoticeKind::kNoBrowser,
                         JoinBytes({kNoBrowserNotice, url, kNoBrowserNoticeEnd}), copy);
}
