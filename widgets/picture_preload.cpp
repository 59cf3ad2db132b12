#include "widgets/picture_preload.h"

#include <system_error>
#include <utility>

#include "widgets/artwork.h"

PicturePreload::PicturePreload(std::vector<std::string> paths, const DisplayScale& skinScale)
    : skinScale_(skinScale) {
    entries_.reserve(paths.size());
    for (std::string& path : paths)
        entries_.push_back(Entry{std::move(path), {}, false});
    try {
        thread_ = std::thread([this] { DecodeAll(); });
    } catch (const std::system_error&) {
        DecodeAll();  // no thread to be had: decoded here and now
    }
}

PicturePreload::~PicturePreload() {
    if (thread_.joinable()) thread_.join();
}

void PicturePreload::DecodeAll() {
    for (size_t i = 0; i < entries_.size(); ++i) {
        Picture picture;
        picture.LoadFromFile(entries_[i].path);
        if (i == 0) PreparePhoto(picture, skinScale_);
        {
            const std::lock_guard<std::mutex> hold(lock_);
            entries_[i].picture = std::move(picture);
            decoded_ = i + 1;
        }
        decodedOne_.notify_all();
    }
}

std::optional<Picture> PicturePreload::Take(std::string_view path) {
    std::unique_lock<std::mutex> hold(lock_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        if (entry.taken || entry.path != path) continue;
        decodedOne_.wait(hold, [&] { return decoded_ > i; });
        entry.taken = true;
        return std::move(entry.picture);
    }
    return std::nullopt;
}
