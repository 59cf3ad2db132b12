#include "app/browse/navigation.h"

#include <charconv>
#include <limits>

#include "text/text_utils.h"

const ListSection kListSections[5] = {
    {"热门游戏", "共644页", "0"},   {"小游戏", "共619页", "7"},  {"网页游戏", "共2页", "8"},
    {"最近更新", "共644页", "100"}, {"游戏工具", "共25页", "9"},
};

const Genre kGenres[32] = {
    {"策略", "%E7%AD%96%E7%95%A5"}, {"逃脱", "%E9%80%83%E8%84%B1"},
    {"益智", "%E7%9B%8A%E6%99%BA"}, {"角色扮演", "%E8%A7%92%E8%89%B2%E6%89%AE%E6%BC%94"},
    {"棋牌", "%E6%A3%8B%E7%89%8C"}, {"双人", "%E5%8F%8C%E4%BA%BA"},
    {"网游", "%E7%BD%91%E6%B8%B8"}, {"换装", "%E6%8D%A2%E8%A3%85"},
    {"冒险", "%E5%86%92%E9%99%A9"}, {"射击", "%E5%B0%84%E5%87%BB"},
    {"扑克", "%E6%89%91%E5%85%8B"}, {"美容", "%E7%BE%8E%E5%AE%B9"},
    {"经营", "%E7%BB%8F%E8%90%A5"}, {"技巧", "%E6%8A%80%E5%B7%A7"},
    {"竞速", "%E7%AB%9E%E9%80%9F"}, {"模仿", "%E6%A8%A1%E4%BB%BF"},
    {"社区", "%E7%A4%BE%E5%8C%BA"}, {"飞行", "%E9%A3%9E%E8%A1%8C"},
    {"夺宝", "%E5%A4%BA%E5%AE%9D"}, {"厨房", "%E5%8E%A8%E6%88%BF"},
    {"测试", "%E6%B5%8B%E8%AF%95"}, {"塔防", "%E5%A1%94%E9%98%B2"},
    {"闯关", "%E9%97%AF%E5%85%B3"}, {"麻将", "%E9%BA%BB%E5%B0%86"},
    {"记忆", "%E8%AE%B0%E5%BF%86"}, {"格斗", "%E6%A0%BC%E6%96%97"},
    {"教学", "%E6%95%99%E5%AD%A6"}, {"平衡", "%E5%B9%B3%E8%A1%A1"},
    {"休闲", "%E4%BC%91%E9%97%B2"}, {"动作", "%E5%8A%A8%E4%BD%9C"},
    {"战争", "%E6%88%98%E4%BA%89"}, {"找茬", "%E6%89%BE%E8%8C%AC"},
};

std::optional<FetchCommand> Navigation::ListSectionCommand(int section) const {
    if (section < 0 || section >= static_cast<int>(std::size(kListSections))) return std::nullopt;
    const ListSection& entry = kListSections[section];
    FetchCommand command{state_, entry.pageCountText, {}};
    command.state.CurrentCategoryKey = entry.categoryKey;
    command.state.CurrentPage = 1;
    command.state.PendingFetch = kHotListFetch;
    return command;
}

void Navigation::ShowListSection(int section) {
    if (std::optional<FetchCommand> command = ListSectionCommand(section)) {
        Run(std::move(*command));
    }
}

void Navigation::ShowGenre(int genre) {
    if (genre < 0 || genre >= static_cast<int>(std::size(kGenres))) return;
    StartSearch(kGenres[genre].key, kGenres[genre].caption, FetchKind::kGenre);
}

void Navigation::SubmitSearch(std::string_view typedText) {
    StartSearch(UrlEncode(typedText), typedText, FetchKind::kSearch);
}

// Paging always pages the hot list of the last chosen category, also after a search.
void Navigation::FirstPage() {
    if (CanPage()) RefreshHotList(1);
}

void Navigation::PreviousPage() {
    if (!CanPage() || state_.CurrentPage == 1) return;
    RefreshHotList(state_.CurrentPage - 1);
}

void Navigation::NextPage() {
    if (!CanPage() || state_.CurrentPage == ReadPageCount()) return;
    RefreshHotList(state_.CurrentPage + 1);
}

void Navigation::LastPage() {
    if (CanPage()) RefreshHotList(ReadPageCount());
}

void Navigation::Repeat() {
    if (last_) Run(*last_);
}

int Navigation::ReadPageCount() {
    std::string text = host_.PageCountText();
    for (std::string_view mark : {std::string_view("共"), std::string_view("页")}) {
        std::string kept;
        int from = 1;
        for (int at; (at = FindText(text, mark, from)) > 0;
             from = at + static_cast<int>(mark.size())) {
            kept.append(text, from - 1, at - from);
        }
        kept.append(text, from - 1);
        text = std::move(kept);
    }
    // Leading decimal digits (none: 0); a count too large for an int saturates instead of
    // overflowing.
    constexpr unsigned kMost = std::numeric_limits<int>::max();
    unsigned count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error == std::errc::result_out_of_range || count > kMost) return static_cast<int>(kMost);
    return static_cast<int>(count);
}

// Paging shows the category's own page count again, which a search in between replaced.
void Navigation::RefreshHotList(int page) {
    FetchCommand command{state_, std::nullopt, {}, FetchKind::kPage};
    for (const ListSection& section : kListSections) {
        if (section.categoryKey == state_.CurrentCategoryKey) {
            command.pageCountText = section.pageCountText;
        }
    }
    command.state.CurrentPage = page;
    command.state.PendingFetch = kHotListFetch;
    Run(std::move(command));
}

void Navigation::StartSearch(std::string keyword, std::string_view searchText, FetchKind kind) {
    FetchCommand command{state_, std::nullopt, std::string(searchText), kind};
    command.state.SearchKeyword = std::move(keyword);
    command.state.CurrentPage = 1;
    command.state.PendingFetch = kSearchFetch;
    Run(std::move(command));
}

void Navigation::Run(FetchCommand command) {
    last_ = command;
    if (host_.RunFetch(command)) state_ = std::move(command.state);
}
