// The program's global widget objects and the record pattern of the fetchers.
//
// Constructed at start-up in the fixed order below and destroyed at shutdown in the SAME order
// (not C++'s reverse member order), each exactly once. Constructing a widget only allocates it;
// BuildMainWindow puts it on the main window. Their drawing resources were already released by
// the main window's WM_DESTROY when the objects go.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string_view>

#include <boost/regex.hpp>

#include "widgets/animated_picture.h"
#include "widgets/icon_button.h"
#include "widgets/label.h"
#include "widgets/list_control.h"
#include "widgets/skin_form.h"
#include "widgets/text_button.h"

// The section bar, left to right.
enum SectionButton {
    kHotGamesButton,
    kSmallGamesButton,
    kWebGamesButton,
    kRecentButton,
    kHomepageButton,
    kToolsButton,
    kSkinButton,
    kSectionButtonCount
};

// The paging buttons in their table order (left to right on screen: 首页, 末页, 上页, 下页).
enum PagingButton {
    kFirstPageButton,
    kLastPageButton,
    kPrevPageButton,
    kNextPageButton,
    kPagingButtonCount
};

constexpr int kGenreButtonCount = 32;

class GlobalObjects {
public:
    // `onRelease` and `onConstruct`, when given, hear the name of each object as it is
    // destroyed and as it is constructed.
    explicit GlobalObjects(std::function<void(std::string_view)> onRelease = {},
                           std::function<void(std::string_view)> onConstruct = {});
    ~GlobalObjects();
    GlobalObjects(const GlobalObjects&) = delete;
    GlobalObjects& operator=(const GlobalObjects&) = delete;

    ListControl& GameList() { return *gameList_; }
    SkinForm& MainSkin() { return *mainSkin_; }
    Label& PageLabel() { return *pageLabel_; }
    // Shared with the fetch worker, which keeps it alive if the program quits mid-fetch.
    std::shared_ptr<boost::regex> RecordPattern() { return recordPattern_; }
    Label& PageCountLabel() { return *pageCountLabel_; }
    IconButton& SectionButtons(int which) { return (*sectionButtons_)[which]; }
    AnimatedPicture& LogoPicture() { return *logoPicture_; }
    Label& TitleLabel() { return *titleLabel_; }
    Label& CommunityLabel() { return *communityLabel_; }
    TextButton& PagingButtons(int which) { return (*pagingButtons_)[which]; }
    TextButton& SearchButton() { return *searchButton_; }
    TextButton& GenreButtons(int which) { return (*genreButtons_)[which]; }

private:
    std::function<void(std::string_view)> onRelease_;
    std::function<void(std::string_view)> onConstruct_;
    std::unique_ptr<ListControl> gameList_;
    std::unique_ptr<SkinForm> mainSkin_;
    std::unique_ptr<Label> pageLabel_;
    std::shared_ptr<boost::regex> recordPattern_;
    std::unique_ptr<Label> pageCountLabel_;
    std::unique_ptr<std::array<IconButton, kSectionButtonCount>> sectionButtons_;
    std::unique_ptr<AnimatedPicture> logoPicture_;
    std::unique_ptr<Label> titleLabel_;
    std::unique_ptr<Label> communityLabel_;
    std::unique_ptr<std::array<TextButton, kPagingButtonCount>> pagingButtons_;
    std::unique_ptr<TextButton> searchButton_;
    std::unique_ptr<std::array<TextButton, kGenreButtonCount>> genreButtons_;
};
