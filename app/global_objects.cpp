#include "app/global_objects.h"

GlobalObjects::GlobalObjects(std::function<void(std::string_view)> onRelease)
    : onRelease_(std::move(onRelease)),
      gameList_(std::make_unique<ListControl>()),
      mainSkin_(std::make_unique<SkinForm>()),
      pageLabel_(std::make_unique<Label>()),
      recordPattern_(std::make_shared<boost::regex>()),  // compiled by each fetch
      pageCountLabel_(std::make_unique<Label>()),
      sectionButtons_(std::make_unique<std::array<IconButton, kSectionButtonCount>>()),
      logoPicture_(std::make_unique<AnimatedPicture>()),
      titleLabel_(std::make_unique<Label>()),
      communityLabel_(std::make_unique<Label>()),
      pagingButtons_(std::make_unique<std::array<TextButton, kPagingButtonCount>>()),
      searchButton_(std::make_unique<TextButton>()),
      genreButtons_(std::make_unique<std::array<TextButton, kGenreButtonCount>>()) {}

namespace {

template <typename Owner>
void Release(Owner& owner, std::string_view name,
             const std::function<void(std::string_view)>& onRelease) {
    owner.reset();
    if (onRelease) onRelease(name);
}

}  // namespace

GlobalObjects::~GlobalObjects() {
    Release(gameList_, "GameList", onRelease_);
    Release(mainSkin_, "MainSkin", onRelease_);
    Release(pageLabel_, "PageLabel", onRelease_);
    Release(recordPattern_, "RecordPattern", onRelease_);
    Release(pageCountLabel_, "PageCountLabel", onRelease_);
    Release(sectionButtons_, "SectionButtons", onRelease_);
    Release(logoPicture_, "LogoPicture", onRelease_);
    Release(titleLabel_, "TitleLabel", onRelease_);
    Release(communityLabel_, "CommunityLabel", onRelease_);
    Release(pagingButtons_, "PagingButtons", onRelease_);
    Release(searchButton_, "SearchButton", onRelease_);
    Release(genreButtons_, "GenreButtons", onRelease_);
}
