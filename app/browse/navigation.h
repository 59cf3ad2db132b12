// Navigation: turns a click on a list section, a genre, a paging button or the search controls
// into new navigation state and exactly one catalogue fetch.
//
// The commands run on the window thread. The fetch itself runs behind the modal loading window
// (NavigationHost::RunFetch), so while it runs no other command of the main window can start.
// A command's new state is kept only when its fetch succeeds: after a failed or cancelled fetch
// the state still describes the page on screen, so paging goes on from there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the next catalogue fetch asks for.
struct NavigationState {
    std::string CurrentCategoryKey;  // "0", "7", "8", "9" or "100"
    int CurrentPage = 0;
    std::string SearchKeyword;  // already percent-encoded
    int PendingFetch = 0;       // kHotListFetch or kSearchFetch
    bool operator==(const NavigationState&) const = default;
};

constexpr int kHotListFetch = 1;
constexpr int kSearchFetch = 2;

struct ListSection {
    const char* caption;
    const char* pageCountText;  // fixed; nothing recomputes it from a reply
    const char* categoryKey;
};
// The five list sections in section-bar order: 热门游戏, 小游戏, 网页游戏, 最近更新, 游戏工具.
extern const ListSection kListSections[5];
enum ListSectionIndex { kHotGames, kSmallGames, kWebGames, kRecent, kTools };

struct Genre {
    const char* caption;
    const char* key;  // UTF-8 of the caption, percent-encoded
};
extern const Genre kGenres[32];

// One command's fetch: what it asks for and what it shows besides the reply.
// What the user asked for (for the diagnostics log; the state says what is fetched).
enum class FetchKind { kSection, kGenre, kSearch, kPage };

struct FetchCommand {
    NavigationState state;                     // the navigation state once the fetch succeeded
    std::optional<std::string> pageCountText;  // a list section's fixed count, shown on success
    std::string searchText;                    // GBK: a search's term as the user gave it
    FetchKind kind = FetchKind::kSection;
};

// What navigation needs of the main window.
class NavigationHost {
public:
    virtual ~NavigationHost() = default;
    virtual std::string PageCountText() = 0;
    // Runs the fetch that command.state.PendingFetch names behind the modal loading window.
    // True once it has succeeded and its rows and labels are on screen; false when it failed or
    // was cancelled, and then the rows, the labels and the list's selection and scrolling are
    // as they were.
    virtual bool RunFetch(const FetchCommand& command) = 0;
};

class Navigation {
public:
    explicit Navigation(NavigationHost& host) : host_(host) {}

    const NavigationState& State() const { return state_; }

    void ShowListSection(int section);  // a ListSectionIndex
    // What ShowListSection(section) would ask the host to fetch now; nothing for a section
    // that does not exist.
    std::optional<FetchCommand> ListSectionCommand(int section) const;
    void ShowGenre(int genre);  // 0-based position in kGenres
    // The search box's text (GBK) on Enter, or the search button's click.
    void SubmitSearch(std::string_view typedText);
    void FirstPage();
    void PreviousPage();
    void NextPage();
    void LastPage();
    // F5 and a click on the notice: the last command again, whether it failed (a retry) or
    // succeeded (the page shown, refreshed).
    void Repeat();

    // The page count shown in the page-count label: its leading digits once "共" and "页" are
    // removed; 0 without digits.
    int ReadPageCount();

private:
    // The paging commands page the hot list of the last category shown; before any was shown
    // there is nothing to page.
    bool CanPage() const { return !state_.CurrentCategoryKey.empty(); }
    void RefreshHotList(int page);
    void StartSearch(std::string keyword, std::string_view searchText, FetchKind kind);
    void Run(FetchCommand command);

    NavigationHost& host_;
    NavigationState state_;
    std::optional<FetchCommand> last_;
};
