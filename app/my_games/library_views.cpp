#include "app/my_games/library_views.h"

#include <string_view>

// 60 x 18 like the paging buttons, centred in the bottom strip's free band (x 405 to 580).
const LibraryViews::ButtonSpec LibraryViews::kButtons[2] = {
    {"我的收藏", 425, 529, 60, 18, "在游戏上点右键选择加入收藏，或按 Ctrl+D"},
    {"最近玩过", 495, 529, 60, 18, "打开过的游戏会出现在这里"},
};

LibraryViews::LibraryViews(GlobalObjects& objects, const PlayerLibrary& library)
    : objects_(objects), library_(library) {}

std::string LibraryViews::CountText(size_t games) {
    return "共" + std::to_string(games) + "款";
}

void LibraryViews::CreateButtons(HWND window) {
    for (const View view : {kFavouritesView, kRecentView}) {
        const ButtonSpec& spec = kButtons[view - kFavouritesView];
        TextButton& button = Button(view);
        button.Create(window, spec.caption, spec.x, spec.y, spec.width, spec.height);
        button.SetClickHandler([this, view] { Show(view); });
    }
}

void LibraryViews::Show(View view) {
    Fill(view, {});
}

void LibraryViews::Leave() {
    if (current_ == kNoView) return;
    objects_.MainSkin().DropFocusWidget(Button(current_).GetId());
    current_ = kNoView;
    EnablePaging(true);
}

void LibraryViews::EnablePaging(bool enabled) {
    for (int i = 0; i < kPagingButtonCount; ++i)
        objects_.PagingButtons(i).Disabled(!enabled);
}

void LibraryViews::Refresh() {
    if (current_ == kNoView) return;
    const ListControl& list = objects_.GameList();
    const int selected = list.SelectedRow();
    Fill(current_, selected ? list.GetCellText(selected, 4) : std::string());
}

void LibraryViews::Fill(View view, std::string_view selectedLink) {
    if (view == kNoView) return;
    current_ = view;
    const std::vector<LibraryGame>& games =
        view == kFavouritesView ? library_.Get().Favourites() : library_.Get().Recent();
    ListControl& list = objects_.GameList();
    list.Clear(false);  // redrawn once the rows are in
    int row = 1;
    for (const LibraryGame& game : games) {
        list.AddRow(row, std::to_string(row));
        list.SetCell(row, 2, game.name);
        list.SetCell(row, 3, game.introduction);
        list.SetCell(row, 4, game.link);
        if (!selectedLink.empty() && game.link == selectedLink) list.SelectedRow(row);
        ++row;
    }
    list.Redraw();
    objects_.PageLabel().Text(kButtons[view - kFavouritesView].caption);
    objects_.PageCountLabel().Text(CountText(games.size()));
    EnablePaging(false);
    if (onFilled_) onFilled_(view, games.size());
}
