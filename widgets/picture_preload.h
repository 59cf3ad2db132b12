// PicturePreload: decodes picture files on a thread of its own, so that a window can be built
// while the pictures it will show are still being decoded (a skin picture alone takes tens of
// milliseconds).
//
// The files are decoded one after another in the order given; Take waits only for the picture
// it asks for. GDI+ must have been started before, and stays started until the preload has
// gone. The pictures are handed to the window thread whole; nothing else is shared.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "widgets/picture.h"

class PicturePreload {
public:
    // Starts decoding the files at `paths` (GBK). The first, a window's skin, is also made
    // ready to be drawn at `skinScale` when it is a photograph (PreparePhoto).
    explicit PicturePreload(std::vector<std::string> paths,
                            const DisplayScale& skinScale = DisplayScale());
    // Waits for the decoding to end; pictures not taken go with it.
    ~PicturePreload();
    PicturePreload(const PicturePreload&) = delete;
    PicturePreload& operator=(const PicturePreload&) = delete;

    // The picture of `path` once decoded (empty when the file could not be read or decoded);
    // nothing when `path` was not asked for or has been taken already.
    std::optional<Picture> Take(std::string_view path);

private:
    struct Entry {
        std::string path;
        Picture picture;
        bool taken = false;
    };

    void DecodeAll();

    DisplayScale skinScale_;
    std::vector<Entry> entries_;
    std::mutex lock_;
    std::condition_variable decodedOne_;
    size_t decoded_ = 0;  // entries_[0, decoded_) are decoded
    std::thread thread_;
};
