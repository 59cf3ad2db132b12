// LibraryViews: "我的收藏" and "最近玩过", two text buttons in the free band of the main window's
// bottom strip (between the community label and the title label), and the views they open: the
// player's favourites or recently played games shown in GameList at once, without a fetch, in
// the catalogue's columns, newest first. While a view is shown PageLabel names it and
// PageCountLabel counts its games; the paging buttons then show disabled and send nothing (see
// Application), and a catalogue page shown in the list ends the view.
//
// Refers to the application's global objects and library, which outlive it. Window thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/global_objects.h"
#include "library/player_library.h"
#include "widgets/text_button.h"

class LibraryViews {
public:
    enum View { kNoView, kFavouritesView, kRecentView };

    struct ButtonSpec {
        const char* caption;  // GBK; also the view's PageLabel text
        int x, y, width, height;
        const char* emptyHint;  // GBK: how the view fills, said while it is empty
    };
    // In View order from kFavouritesView.
    static const ButtonSpec kButtons[2];

    LibraryViews(GlobalObjects& objects, const PlayerLibrary& library);

    // The two buttons, on the main window once its other widgets exist.
    void CreateButtons(HWND window);
    // Fills GameList with the view's games and names it in the page labels.
    void Show(View view);
    // The list shows a catalogue page now: the paging buttons work again and the view's button
    // no longer looks selected.
    void Leave();
    View Current() const { return current_; }
    // Shows the library's current state again while a view is shown, keeping the selected game
    // selected while it is still there.
    void Refresh();

    TextButton& Button(View view) { return buttons_[view == kRecentView ? 1 : 0]; }
    // "共n款": the count text of a view of n games.
    static std::string CountText(size_t games);
    // Hears each view filled, with its number of games (an empty one wants its hint said).
    void SetFilledHandler(std::function<void(View view, size_t games)> handler) {
        onFilled_ = std::move(handler);
    }

private:
    void Fill(View view, std::string_view selectedLink);

    GlobalObjects& objects_;
    const PlayerLibrary& library_;
    void EnablePaging(bool enabled);

    View current_ = kNoView;
    TextButton buttons_[2];
    std::function<void(View view, size_t games)> onFilled_;
};
