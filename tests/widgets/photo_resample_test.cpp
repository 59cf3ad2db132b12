// ResamplePhoto: the levels it interpolates, the pixels it leaves alone and the rows it reads.
#include "widgets/photo_resample.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A grey photograph of `levels` (one per pixel, row after row), 3 bytes a pixel.
struct GreyPhoto {
    GreyPhoto(int w, int h, const std::vector<std::uint8_t>& levels) : width(w), height(h) {
        for (std::uint8_t level : levels)
            bytes.insert(bytes.end(), {level, level, level});
    }
    ConstPixelRows Rows() const { return {bytes.data(), width, height, width * 3, 3}; }

    int width, height;
    std::vector<std::uint8_t> bytes;
};

// 32-bit target pixels, all `fill` to begin with, stored bottom-up as a GDI canvas keeps them.
struct Target {
    Target(int w, int h, std::uint32_t fill = 0x12345678u)
        : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    PixelRows Rows() {
        auto* top =
            reinterpret_cast<std::uint8_t*>(&pixels[static_cast<size_t>(height - 1) * width]);
        return {top, width, height, -std::ptrdiff_t{width} * 4, 4};
    }
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(height - 1 - y) * width + x];
    }

    int width, height;
    std::vector<std::uint32_t> pixels;
};

std::uint32_t Opaque(std::uint8_t level) {
    return 0xFF000000u | level << 16 | level << 8 | level;
}

// Across a row and down a column alike.
TEST(PhotoResampleTest, InterpolatesBetweenPixelCentres) {
    struct Case {
        const char* what;
        int full, size;
        std::vector<std::uint8_t> levels, expected;
        bool down = false;
    };
    const Case cases[] = {
        {"the same size: copied", 3, 3, {0, 128, 255}, {0, 128, 255}},
        // Centres at -0.25, 0.25, 0.75 and 1.25 source pixels; the edges are repeated past them.
        {"twice as large", 2, 4, {0, 255}, {0, 64, 191, 255}},
        {"twice as tall", 2, 4, {0, 255}, {0, 64, 191, 255}, true},
        // Centres at -1/6, 1/2 and 7/6.
        {"one and a half times", 2, 3, {0, 255}, {0, 128, 255}},
        {"a smooth slope stays smooth", 3, 5, {0, 100, 200}, {0, 40, 100, 160, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int fullWidth = c.down ? 1 : c.full, fullHeight = c.down ? c.full : 1;
        const int width = c.down ? 1 : c.size, height = c.down ? c.size : 1;
        const GreyPhoto photo(fullWidth, fullHeight, c.levels);
        Target target(width, height);
        ResamplePhoto(photo.Rows(), fullWidth, fullHeight, width, height, {0, 0, width, height},
                      target.Rows());
        for (int i = 0; i < c.size; ++i)
            EXPECT_EQ(target.At(c.down ? 0 : i, c.down ? i : 0), Opaque(c.expected[i])) << i;

        // The same levels in pixels of 3 bytes (a photograph resampled ahead), and no further.
        std::vector<std::uint8_t> packed(static_cast<size_t>(c.size) * 3 + 1, 0xAB);
        ResamplePhoto(photo.Rows(), fullWidth, fullHeight, width, height, {0, 0, width, height},
                      PixelRows{packed.data(), width, height, width * 3, 3});
        for (int i = 0; i < c.size * 3; ++i)
            EXPECT_EQ(packed[i], c.expected[i / 3]) << "3 bytes a pixel: " << i;
        EXPECT_EQ(packed.back(), 0xAB) << "written past the last pixel";
    }
}

// A level everywhere stays that level: the rounding drifts nowhere.
TEST(PhotoResampleTest, AFlatPhotoStaysFlat) {
    const GreyPhoto flat(5, 4, std::vector<std::uint8_t>(20, 77));
    Target large(9, 7);
    ResamplePhoto(flat.Rows(), 5, 4, 9, 7, {0, 0, 9, 7}, large.Rows());
    for (std::uint32_t pixel : large.pixels)
        ASSERT_EQ(pixel, Opaque(77));
}

// Only the area is written, and only as far as the target and the resized photograph reach;
// a source holding only the part the area needs is enough, and its colours keep their order.
TEST(PhotoResampleTest, WritesOnlyTheAreaFromThePartItNeeds) {
    constexpr std::uint32_t kUntouched = 0x12345678u;
    // Blue, green, red bytes of one colour over a 4 x 4 photograph; its top-left 2 x 2 given.
    std::vector<std::uint8_t> part;
    for (int i = 0; i < 4; ++i)
        part.insert(part.end(), {0x11, 0x22, 0x33});
    const ConstPixelRows topLeft{part.data(), 2, 2, 2 * 3, 3};
    Target target(10, 10, kUntouched);
    ResamplePhoto(topLeft, 4, 4, 8, 8, {1, 1, 3, 4}, target.Rows());
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inArea = x >= 1 && x < 3 && y >= 1 && y < 4;
            EXPECT_EQ(target.At(x, y), inArea ? 0xFF332211u : kUntouched) << x << "," << y;
        }
    }

    Target small(3, 3, kUntouched);
    const GreyPhoto photo(2, 2, {9, 9, 9, 9});
    ResamplePhoto(photo.Rows(), 2, 2, 4, 4, {-5, -5, 50, 50}, small.Rows());
    for (std::uint32_t pixel : small.pixels)
        EXPECT_EQ(pixel, Opaque(9));
}

}  // namespace
