#include "app/application.h"

#include <float.h>

#include <vector>

#include "app/browser_emulation.h"
#include "app/loading_window.h"
#include "app/main_window_layout.h"
#include "app/program_directory.h"
#include "library/library_disk.h"
#include "widgets/drawing.h"

namespace {

// How long a second copy looks for the first one's main window while that is still starting.
constexpr DWORD kFirstCopyWaitMilliseconds = 5000;

}  // namespace

Application::Application(HINSTANCE instance) : instance_(instance) {}

Application::~Application() = default;

int Application::Run(int showCommand) {
    // One copy per library, so two never write the same file: a second start brings the first
    // copy forward and ends.
    singleInstance_ = std::make_unique<SingleInstance>(LibraryFolder());
    if (!singleInstance_->First()) {
        singleInstance_->BringFirstForward(kFirstCopyWaitMilliseconds);
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
    library_ =
        std::make_unique<LibraryCommands>(*objects_, gameWindow_, instance_, LibraryFolder());
    library_->Load();
    skinMenu_->SetAppliedHandler([this](const SkinChoice& skin) { library_->OnSkinApplied(skin); });
    // Browser games need the browser control's newest standards mode, set before the first
    // browser is created.
    WriteBrowserEmulation();

    MainWindow::Handlers handlers;
    handlers.created = [this](HWND window) { OnMainWindowCreated(window); };
    handlers.doubleClicked = [this] { OnMainWindowDoubleClicked(); };
    handlers.searchKeyDown = [this](UINT key) { OnSearchKeyDown(key); };
    handlers.contextMenu = [this](POINT point) { library_->OpenGameMenu(point); };
    if (!mainWindow_.Create(instance_, std::move(handlers), showCommand)) return false;

    // The first screen is page 1 of the hot list. It runs once the window is on screen; the
    // loading window keeps the user from clicking anything until it is there.
    navigation_.ShowListSection(kHotGames);
    library_->ShowLoadNotice();
    return true;
}

int Application::RunMessageLoop() {
    MSG message{};
    int result;
    while ((result = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (gameWindow_.IsOpen() && gameWindow_.Browser().TranslateAccelerator(message)) continue;
        if (library_ && library_->TranslateKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}

void Application::Shutdown() {
    CloseRemainingWindows();  // an open game window goes now, its placement remembered
    hiddenBrowser_.Destroy();
    library_.reset();
    objects_.reset();  // in construction order
}

// The start-up work, run when MainWindow reports that it has been created.
void Application::OnMainWindowCreated(HWND window) {
    StartGraphics();
    if (singleInstance_) singleInstance_->Publish(window);

    MainWindowCommands commands;
    commands.showListSection = [this](int section) { navigation_.ShowListSection(section); };
    commands.openHomepage = [] { OpenHomepage(); };
    commands.showSkinMenu = [this] { skinMenu_->Show(mainWindow_.Handle()); };
    commands.page = [this](int button) {
        // A library view has no catalogue pages.
        if (library_->ViewShown()) return;
        switch (button) {
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
    };
    commands.submitSearch = [this] { navigation_.SubmitSearch(mainWindow_.SearchText()); };
    commands.showGenre = [this](int genre) { navigation_.ShowGenre(genre); };
    const std::string programDirectory = ProgramDirectory();
    BuildMainWindow(*objects_, window, programDirectory, library_->StartSkinPath(programDirectory),
                    commands);
    library_->Attach(window);
    hiddenBrowser_.Create(window);  // starts loading its page; nothing waits for it
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

void Application::SetPageCountText(const std::string& text) {
    objects_->PageCountLabel().Text(text);
}

void Application::RunFetch(const NavigationState& state) {
    std::shared_ptr<boost::regex> pattern = objects_->RecordPattern();
    auto work = [state, baseUrl = CatalogueBaseUrl(), pattern] {
        return RunPendingFetch(state, baseUrl, *pattern);
    };
    std::optional<FetchResult> result =
        LoadingWindow::Run(instance_, mainWindow_.Handle(), std::move(work));
    if (result) ShowFetchResult(*result);
}

// The rows replace the list's content. The whole page was parsed on the worker and arrives at
// once, so the list is redrawn once when all rows are in: redrawing after every row would only
// flash the same rows in one after another within the same moment, at ten times the cost.
void Application::ShowFetchResult(const FetchResult& result) {
    library_->OnCataloguePage();
    objects_->PageLabel().Text(result.pageText);
    ListControl& list = objects_->GameList();
    list.Clear();
    if (result.pageCountText) objects_->PageCountLabel().Text(*result.pageCountText);
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

// Closing MainWindow ends the program, also while other windows of it (a game window) are open:
// destroy them so they release what they hold before the process exits.
void Application::CloseRemainingWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (IsWindow(window)) DestroyWindow(window);
    }
}
