#include "app/global_objects.h"

namespace {

using Observer = std::function<void(std::string_view)>;

template <typename Owner>
void Construct(Owner& owner, std::string_view name, const Observer& onConstruct) {
    owner.reset(new typename Owner::element_type());
    if (onConstruct) onConstruct(name);
}

template <typename Owner>
void Release(Owner& owner, std::string_view name, const Observer& onRelease) {
    owner.reset();
    if (onRelease) onRelease(name);
}

}  // namespace

GlobalObjects::GlobalObjects(Observer onRelease, Observer onConstruct)
    : onRelease_(std::move(onRelease)), onConstruct_(std::move(onConstruct)) {
    Construct(gameList_, "GameList", onConstruct_);
    Construct(mainSkin_, "MainSkin", onConstruct_);
    Construct(pageLabel_, "PageLabel", onConstruct_);
    Construct(recordPattern_, "RecordPattern", onConstruct_);  // compiled by each fetch
    Construct(pageCountLabel_, "PageCountLabel", onConstruct_);
    Construct(sectionButtons_, "SectionButtons", onConstruct_);
    Construct(logoPicture_, "LogoPicture", onConstruct_);
    Construct(titleLabel_, "TitleLabel", onConstruct_);
    Construct(communityLabel_, "CommunityLabel", onConstruct_);
    Construct(pagingButtons_, "PagingButtons", onConstruct_);
    Construct(searchButton_, "SearchButton", onConstruct_);
    Construct(genreButtons_, "GenreButtons", onConstruct_);
}

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
