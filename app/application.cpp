#include "app/application.h"

#include <float.h>

#include "app/browse/fetch_notice.h"
#include "app/diagnostics/event_log.h"
#include "app/main_window/main_window_access.h"
#include "app/main_window/main_window_layout.h"
#include "app/play/browser_emulation.h"
#include "app/process/program_directory.h"
#include "library/library_disk.h"
#include "widgets/display_scale.h"
#include "widgets/drawing.h"

namespace {

// How long a second copy looks for the first one's main window while that is still starting.
constexpr DWORD kFirstCopyWaitMilliseconds = 5000;

}  // namespace

Application::Application(HINSTANCE instance, std::unique_ptr<ProcessAudio> audio)
    : instance_(instance), audio_(std::move(audio)) {
    gameWindow_.SetAudio(audio_.get());
}

Application::~Application() = default;

int Application::Run(int showCommand) {
    diagnostics_.CatchCrashes();
    // One copy per library, so two never write the same file: a second start brings the first
    // copy forward and ends. A copy with none to bring forward (the owner of the library runs
    // in another session) runs, reading the library only (Start).
    singleInstance_ = std::make_unique<SingleInstance>(LibraryFolder());
    if (!singleInstance_->First() &&
        singleInstance_->BringFirstForward(kFirstCopyWaitMilliseconds)) {
        return 0;
    }
    if (!Start(showCommand)) {
        Shutdown();
        return 1;
    }
    const int exitCode = RunMessageLoop();
    Shutdown();
    return exitCode;
}

bool Application::Start(int showCommand) {
    // The runtime may be entered with a foreign floating-point control word (some injected
    // DLLs change it); start from the default state.
    _fpreset();
    objects_ = std::make_unique<GlobalObjects>();
    skinMenu_ = std::make_unique<SkinMenu>(objects_->MainSkin(), ProgramDirectory());
    const bool owner = !singleInstance_ || singleInstance_->OwnsLibrary();
    library_ = std::make_unique<LibraryCommands>(
        *objects_, gameWindow_, notices_, instance_, LibraryFolder(),
        owner ? LibraryStore::Access::kOwner : LibraryStore::Access::kReadOnly);
    library_->Load();
    // The first screen's request goes out now, while the window is being built: by the time
    // the window shows, its rows are usually there and no loading window is needed.
    if (const std::optional<FetchCommand> first = navigation_.ListSectionCommand(kHotGames)) {
        earlyState_ = first->state;
        earlyFetch_ = StartFetch(first->state);
    }
    // The main window's pictures are decoded meanwhile on a thread of their own. That needs
    // GDI+ but not the display, whose first use (the default font, OLE's window) is a good part
    // of the start: the decoding goes on during it.
    StartGraphicsEngine();
    startPictures_ = std::make_unique<PicturePreload>(
        MainWindowPictures(ProgramDirectory(), library_->StartSkinPath(ProgramDirectory())),
        DisplayScale::ForSystem());
    StartGraphics();
    ole_.emplace();
    bossKey_ = std::make_unique<BossKey>(*audio_);
    skinMenu_->SetAppliedHandler([this](const SkinChoice& skin) { library_->OnSkinApplied(skin); });
    skinMenu_->SetNoticeHandler([this](const std::string& text) { notices_.ShowPassing(text); });
    // Browser games need the browser control's newest standards mode, set before the first
    // browser is created.
    WriteBrowserEmulation();

    MainWindow::Handlers handlers;
    handlers.created = [this](HWND window) { OnMainWindowCreated(window); };
    handlers.doubleClicked = [this] { OnMainWindowDoubleClicked(); };
    handlers.searchKeyDown = [this](UINT key) { OnSearchKeyDown(key); };
    handlers.contextMenu = [this](POINT point) { library_->OpenGameMenu(point); };
    handlers.closing = [this] { return OnMainWindowClosing(); };
    handlers.showRequested = [this] { OnShowRequested(); };
    // The hidden browser goes while its parent window still exists.
    handlers.destroying = [this] { hiddenBrowser_.Destroy(); };
    handlers.scaleChanged = [this] { notices_.Rescale(NoticePlace(objects_->GameList())); };
    const bool created = mainWindow_.Create(instance_, std::move(handlers));
    const DWORD error = GetLastError();
    startPictures_.reset();
    if (!created) {
        LogMainWindowFailed(error);
        return false;
    }
    diagnostics_.OnMainWindowCreated(notices_, library_->CatalogueBase(), library_->HomepageBase());

    // The first screen is page 1 of the hot list. When its rows are here already, they are in
    // the list before the window shows: it appears with them, in one paint. Otherwise they are
    // shown once the window is on screen, and while the fetch is still under way the loading
    // window keeps the user from clicking anything until they are there.
    const bool firstPageHere = earlyFetch_.Ended();
    if (firstPageHere) navigation_.ShowListSection(kHotGames);
    mainWindow_.Show(showCommand);
    // The search box comes once the window is on the screen (MainWindow::CreateSearchBox).
    mainWindow_.RunWhenIdle([this] {
        mainWindow_.CreateSearchBox();
        DescribeSearchBox(mainWindow_.SearchBox());
    });
    if (!firstPageHere) navigation_.ShowListSection(kHotGames);
    library_->ShowLoadNotice();
    // The hidden browser starts loading its page only once the first page is on the screen:
    // the first page needs nothing of it, and creating the control would hold the first request
    // and the window's appearance back. (The user may have closed the window during that first
    // fetch: its close is posted, so the window is still there, but nothing new starts.)
    mainWindow_.RunWhenIdle([this] {
        if (!closing_) hiddenBrowser_.Create(mainWindow_.Handle(), library_->HomepageBase());
    });
    return true;
}

int Application::RunMessageLoop() {
    MSG message{};
    int result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (TranslateKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}

bool Application::TranslateKey(MSG& message) {
    if (TranslateProgramKey(message)) return true;
    if (gameWindow_.IsOpen() && (gameWindow_.TranslateKey(message) ||
                                 gameWindow_.Browser().TranslateAccelerator(message))) {
        return true;
    }
    if (library_ && library_->TranslateKey(message)) return true;
    return mainWindowKeys_ && mainWindowKeys_->Translate(message);
}

// Closing MainWindow ends the program, also while the game window is open: each window is
// closed here by name, so each releases what it holds (its browser) before the process exits.
void Application::Shutdown() {
    mainWindowKeys_.reset();
    bossKey_.reset();     // the sound as it was, should the windows be hidden
    gameWindow_.Close();  // an open game window goes now, its placement remembered
    if (HWND window = mainWindow_.Handle()) DestroyWindow(window);
    hiddenBrowser_.Destroy();
    earlyFetch_.Abandon();  // never shown (the main window could not be made)
    library_.reset();
    objects_.reset();  // in construction order
}

// F5 repeats the last command wherever the keyboard focus is in the main window, the search
// box and the hidden browser included (the browser would otherwise reload its own page).
bool Application::TranslateProgramKey(const MSG& message) {
    constexpr LPARAM kRepeatedKey = 1 << 30;
    if (message.message != WM_KEYDOWN || message.wParam != VK_F5) return false;
    const HWND main = mainWindow_.Handle();
    if (!main || !IsWindowEnabled(main)) return false;
    if (message.hwnd != main && !IsChild(main, message.hwnd)) return false;
    if (message.lParam & kRepeatedKey) return true;
    // A failed command is tried again, as its notice says; otherwise a library view shown is the
    // page on screen: it is read again, not the catalogue.
    if (!FetchFailureShown() && library_ && library_->ViewShown()) {
        library_->Views().Refresh();
    } else {
        navigation_.Repeat();
    }
    return true;
}

// A close request from outside during a fetch (the taskbar, taskkill, the session ending)
// cancels the fetch; the window closes once the command that started the fetch has returned,
// since that command still runs on this thread's stack.
bool Application::OnMainWindowClosing() {
    if (!loadingWindow_.Waiting()) return true;
    loadingWindow_.Cancel();
    closing_ = true;
    return false;
}

// A later copy was started: the user wants this program. What the boss key hid comes back as it
// was, a minimised window is restored, and the window the user works in comes to the front (the
// loading window during a fetch).
void Application::OnShowRequested() {
    const HWND main = mainWindow_.Handle();
    if (!main) return;
    if (bossKey_) bossKey_->Restore();
    if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
    const HWND popup = GetLastActivePopup(main);
    const bool working = IsWindowVisible(popup) && IsWindowEnabled(popup);
    SetForegroundWindow(working ? popup : main);
}

// The start-up work, run when MainWindow reports that it has been created.
void Application::OnMainWindowCreated(HWND window) {
    if (singleInstance_) singleInstance_->Publish(window);

    MainWindowCommands commands;
    commands.showListSection = [this](int section) { navigation_.ShowListSection(section); };
    commands.openHomepage = [this] {
        const std::string base = library_->HomepageBase();
        if (!OpenHomepage(base)) library_->TellNoBrowser(HomepageUrl(base));
    };
    commands.showSkinMenu = [this] { skinMenu_->Show(mainWindow_.Handle()); };
    commands.page = [this](int button) { Page(button); };
    commands.submitSearch = [this] { navigation_.SubmitSearch(mainWindow_.SearchText()); };
    commands.showGenre = [this](int genre) { navigation_.ShowGenre(genre); };
    const std::string programDirectory = ProgramDirectory();
    BuildMainWindow(*objects_, window, programDirectory, library_->StartSkinPath(programDirectory),
                    commands, startPictures_.get());
    library_->Attach(window);
    DescribeMainWindow(*objects_, [this](int row) { library_->PlayRow(row); });
    ListControl& list = objects_->GameList();
    notices_.Attach(window, NoticePlace(list));
    mainWindowKeys_ = std::make_unique<MainWindowKeys>(
        mainWindow_, objects_->MainSkin(), list,
        MainWindowKeys::Commands{[this](int button) { Page(button); },
                                 [this] { OnMainWindowDoubleClicked(); }});
    // The list has the keys from the start: the arrows move through the games at once.
    objects_->MainSkin().SetKeyWidget(list.GetId());
    // The boss key works from the first moment; the user hears at once when it cannot.
    const std::string bossKeyNotice =
        bossKey_->RegisterSetting(instance_, library_->Library().Get().Settings().bossKey);
    if (!bossKeyNotice.empty()) notices_.ShowLasting(NoticeKind::kBossKey, bossKeyNotice);
}

void Application::Page(int pagingButton) {
    // A library view has no catalogue pages.
    if (library_->ViewShown()) return;
    switch (pagingButton) {
        case kFirstPageButton:
            navigation_.FirstPage();
            break;
        case kLastPageButton:
            navigation_.LastPage();
            break;
        case kPrevPageButton:
            navigation_.PreviousPage();
            break;
        case kNextPageButton:
            navigation_.NextPage();
            break;
        default:
            break;
    }
}

void Application::OnSearchKeyDown(UINT virtualKey) {
    if (virtualKey != VK_RETURN) return;
    navigation_.SubmitSearch(mainWindow_.SearchText());
}

// A double-click anywhere in the client area opens the selected row's game.
void Application::OnMainWindowDoubleClicked() {
    library_->PlayRow(objects_->GameList().SelectedRow());
}

std::string Application::PageCountText() {
    return objects_->PageCountLabel().Text();
}

FetchThread Application::StartFetch(const NavigationState& state) {
    auto job = std::make_shared<FetchJob>(objects_->RecordPattern());
    auto work = [state, baseUrl = library_->CatalogueBase()](FetchJob& job) {
        return RunPendingFetch(state, baseUrl, job);
    };
    return FetchThread(std::move(job), std::move(work));
}

bool Application::RunFetch(const FetchCommand& command) {
    if (closing_) return false;
    // The fetch started with the program serves the first command that asks for the same; any
    // other command lets it go.
    FetchThread fetch = std::move(earlyFetch_);
    if (!fetch.Started() || earlyState_ != command.state) fetch = StartFetch(command.state);
    const ULONGLONG started = fetch.Job() ? fetch.Job()->Started() : GetTickCount64();
    // A fetch already over needs no wait, and no loading window flashes up for nothing.
    const FetchResult result = fetch.Ended()
                                   ? fetch.TakeResult()
                                   : loadingWindow_.Run(instance_, mainWindow_.Handle(),
                                                        std::move(fetch), {gameWindow_.Handle()});
    LogFetch(command, library_->CatalogueBase(), result, GetTickCount64() - started);
    if (closing_) {
        PostMessageW(mainWindow_.Handle(), WM_CLOSE, 0, 0);
        return false;
    }
    // A cancelled command changes nothing at all; a failed one only says why.
    if (result.outcome.status == FetchStatus::kCancelled) return false;
    if (!result.outcome.Succeeded()) {
        ShowFetchNotice(FetchFailureNotice(result.outcome));
        fetchFailed_ = true;
        return false;
    }
    ShowFetchResult(command, result);
    return true;
}

bool Application::FetchFailureShown() const {
    return fetchFailed_ && notices_.Holds(NoticeKind::kFetch);
}

// Lasting: it stays until the next successful fetch, whatever passing notice comes meanwhile. A
// click on it tries the command again, as F5 does.
void Application::ShowFetchNotice(std::string_view text) {
    notices_.ShowLasting(NoticeKind::kFetch, text, [this] { navigation_.Repeat(); });
}

// The rows replace the list's content. The whole page was parsed on the worker and arrives at
// once, so the list is redrawn once when all rows are in: redrawing after every row would only
// flash the same rows in one after another within the same moment, at ten times the cost.
void Application::ShowFetchResult(const FetchCommand& command, const FetchResult& result) {
    library_->OnCataloguePage();
    fetchFailed_ = false;
    const bool search = command.state.PendingFetch == kSearchFetch;
    if (search && IsBlankSearchText(command.searchText)) {
        // The box is where the term goes: the caret waits there (once the box is made: the
        // search button works from the window's first moment).
        notices_.ShowLasting(NoticeKind::kFetch, kEmptySearchNotice);
        if (const HWND box = mainWindow_.SearchBox()) SetFocus(box);
    } else if (search && result.records.empty()) {
        ShowFetchNotice(NoSearchResultsNotice(command.searchText));
    } else {
        notices_.Close(NoticeKind::kFetch);
    }
    MarkListSection(*objects_, command.state.CurrentCategoryKey);
    objects_->PageLabel().Text(result.pageText);
    if (command.pageCountText) objects_->PageCountLabel().Text(*command.pageCountText);
    if (result.pageCountText) objects_->PageCountLabel().Text(*result.pageCountText);
    ListControl& list = objects_->GameList();
    list.Clear(false);  // redrawn once the rows are in
    int row = 1;
    for (const GameRecord& record : result.records) {
        list.AddRow(row, record.index);
        list.SetCell(row, 2, record.name);
        list.SetCell(row, 3, record.introduction);
        list.SetCell(row, 4, record.link);
        ++row;
    }
    list.Redraw();
}
