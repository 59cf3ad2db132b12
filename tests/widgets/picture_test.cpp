// Picture: loading from bytes, files and icons, release on reload, frames and corrected frame
// delays of animated GIFs built byte by byte.
#include "widgets/picture.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "tests/support/toolkit/images.h"
#include "widgets/artwork.h"
#include "widgets/drawing.h"
#include "widgets/picture_preload.h"

namespace {

using test::EncodeSolidImage;
using test::ImageFormat;
using test::MakeAnimatedGif;

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureGraphics(); }
};

// Committed private memory (Wine reports no PrivateUsage, but this one on both).
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

TEST_F(PictureTest, LoadsAnImageFromBytes) {
    Picture picture;
    const std::string png = EncodeSolidImage(30, 20, 0x3366CC, ImageFormat::kPng);
    ASSERT_NE(picture.LoadFromBytes(png), nullptr);
    EXPECT_EQ(picture.GetHandle(), picture.LoadFromBytes(png));
    EXPECT_EQ(picture.GetWidth(), 30);
    EXPECT_EQ(picture.GetHeight(), 20);
    EXPECT_EQ(picture.GetPixel(5, 5), MakeArgb(0x3366CC));
    EXPECT_EQ(picture.GetPixel(30, 5), 0u) << "outside the image";
    EXPECT_EQ(picture.GetFrameCount(), 1);
}

TEST_F(PictureTest, BytesThatAreNoImageGiveAnEmptyPicture) {
    const std::string png = EncodeSolidImage(8, 8, 0, ImageFormat::kPng);
    const std::string cases[] = {"", "not an image at all", png.substr(0, 30),
                                 std::string(4096, '\0')};
    for (const std::string& bytes : cases) {
        Picture picture;
        ASSERT_NE(picture.LoadFromBytes(png), nullptr);
        EXPECT_EQ(picture.LoadFromBytes(bytes), nullptr) << bytes.size() << " bytes";
        EXPECT_EQ(picture.GetHandle(), nullptr) << "the previous image must be gone";
        EXPECT_EQ(picture.GetWidth(), 0);
        EXPECT_EQ(picture.GetPixel(0, 0), 0u);
        EXPECT_EQ(picture.GetFrameCount(), 0);
        std::vector<int> delays{1, 2};
        EXPECT_FALSE(picture.GetFrameDelays(delays));
        EXPECT_FALSE(picture.SelectFrame(0));
    }
    Picture nothing;
    EXPECT_EQ(nothing.LoadFromBytes(nullptr, 10), nullptr);
}

TEST_F(PictureTest, LoadsFromAFileAndFailsQuietlyWithoutOne) {
    test::TempFile file(L"picture.jpg");
    ASSERT_TRUE(file.Write(EncodeSolidImage(40, 10, 0x00FF00, ImageFormat::kJpeg)));
    Picture picture;
    ASSERT_NE(picture.LoadFromFile(file.GbkPath()), nullptr);
    EXPECT_EQ(picture.GetWidth(), 40);
    EXPECT_TRUE(test::NearColour(ArgbToColorref(picture.GetPixel(20, 5)), 0x00FF00, 6));

    EXPECT_EQ(picture.LoadFromFile(file.GbkPath() + ".missing"), nullptr);
    EXPECT_EQ(picture.GetHandle(), nullptr);
    EXPECT_EQ(picture.LoadFromFile(""), nullptr);
}

// Decoded on the preload's own thread, each picture is handed over whole, once, in any order
// of asking; a file that cannot be read or decoded gives an empty picture.
TEST_F(PictureTest, APreloadHandsOverEachPictureItDecodedOnce) {
    test::TempFile skin(L"preload-skin.jpg"), icon(L"preload-icon.png"), broken(L"broken.png");
    ASSERT_TRUE(skin.Write(EncodeSolidImage(64, 48, 0x00FF00, ImageFormat::kJpeg)));
    ASSERT_TRUE(icon.Write(EncodeSolidImage(16, 16, 0x3366CC, ImageFormat::kPng)));
    ASSERT_TRUE(broken.Write("not a picture"));
    std::optional<Picture> leftOver;
    {
        PicturePreload preload({skin.GbkPath(), broken.GbkPath(), icon.GbkPath(),
                                icon.GbkPath() + ".missing", skin.GbkPath()},
                               DisplayScale(144));
        std::optional<Picture> second = preload.Take(icon.GbkPath());
        ASSERT_TRUE(second.has_value());
        EXPECT_EQ(second->GetPixel(8, 8), MakeArgb(0x3366CC));
        EXPECT_EQ(second->GetWidth(), 16) << "only the skin is made ready for the scale";
        EXPECT_FALSE(preload.Take(icon.GbkPath()).has_value()) << "taken already";
        EXPECT_FALSE(preload.Take("never asked for").has_value());
        for (const std::string& path : {broken.GbkPath(), icon.GbkPath() + ".missing"}) {
            std::optional<Picture> failed = preload.Take(path);
            ASSERT_TRUE(failed.has_value()) << path;
            EXPECT_EQ(failed->GetHandle(), nullptr) << path;
        }
        std::optional<Picture> first = preload.Take(skin.GbkPath());
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(first->GetWidth(), 96) << "the skin photograph resampled for 144 dpi";
        EXPECT_EQ(first->PixelScale(), DisplayScale(144));
        leftOver = std::move(first);
        // The second entry of the same file stays untaken: it goes with the preload.
    }
    EXPECT_TRUE(test::NearColour(ArgbToColorref(leftOver->GetPixel(48, 36)), 0x00FF00, 6))
        << "a picture taken outlives its preload";
    // Let go, it comes back as decoded; resampled once, it is not resampled again.
    leftOver->Unload();
    ASSERT_NE(leftOver->Reload(), nullptr);
    EXPECT_EQ(leftOver->GetWidth(), 64);
    EXPECT_TRUE(leftOver->PixelScale().IsDesign());
    EXPECT_FALSE(PreparePhoto(*leftOver, DisplayScale(96)));
    ASSERT_TRUE(PreparePhoto(*leftOver, DisplayScale(120)));
    EXPECT_FALSE(PreparePhoto(*leftOver, DisplayScale(144)));
    EXPECT_EQ(leftOver->GetWidth(), 80);
}

TEST_F(PictureTest, LoadingAgainReleasesTheImageAndBytesBefore) {
    // 6.75 MB of bytes and 9 MB of pixels per load: keeping each old image and its bytes would grow
    // the process by well over 200 MB.
    const std::string bmp = EncodeSolidImage(1500, 1500, 0x102030, ImageFormat::kBmp);
    ASSERT_GT(bmp.size(), 6'000'000u);
    Picture picture;
    ASSERT_NE(picture.LoadFromBytes(bmp), nullptr);
    const size_t before = PrivateBytes();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 12; ++i)
        ASSERT_NE(picture.LoadFromBytes(bmp), nullptr);
    const size_t after = PrivateBytes();
    EXPECT_LT(after, before + 60'000'000u) << "grew by " << (after - before) / 1'000'000 << " MB";
    picture.Release();
    EXPECT_EQ(picture.GetHandle(), nullptr);
}

// A large picture shown once lets its pixels go (the decoder's copy too) and keeps its bytes,
// which decode to the same picture again; one made from pixels has no bytes and stays.
TEST_F(PictureTest, UnloadingLetsThePixelsGoAndReloadingDecodesTheBytesAgain) {
    Picture picture;
    ASSERT_NE(picture.LoadFromBytes(EncodeSolidImage(1500, 1500, 0x102030, ImageFormat::kJpeg)),
              nullptr);
    const size_t loaded = PrivateBytes();
    picture.Unload();
    EXPECT_EQ(picture.GetHandle(), nullptr);
    EXPECT_LT(PrivateBytes() + 5'000'000u, loaded) << "at least the 6.75 MB of pixels went";
    ASSERT_NE(picture.Reload(), nullptr);
    EXPECT_EQ(picture.GetWidth(), 1500);
    EXPECT_TRUE(test::NearColour(ArgbToColorref(picture.GetPixel(700, 700)), 0x102030, 8));

    Picture made;
    ASSERT_TRUE(made.CreateFromPixels(4, 4));
    made.Unload();
    EXPECT_NE(made.GetHandle(), nullptr);
}

TEST_F(PictureTest, FrameDelaysAreCorrected) {
    struct Case {
        std::vector<int> stored;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {{5, 200, 300, 7}, {5, 5, 5, 7}},
        {{150, 20}, {10, 20}},
        {{100, 101}, {100, 100}},
        {{0, 50}, {0, 50}},
    };
    for (const Case& c : cases) {
        Picture picture;
        ASSERT_NE(picture.LoadFromBytes(MakeAnimatedGif(c.stored)), nullptr);
        EXPECT_EQ(picture.GetFrameCount(), static_cast<int>(c.stored.size()));
        std::vector<int> delays;
        ASSERT_TRUE(picture.GetFrameDelays(delays));
        EXPECT_EQ(delays, c.expected);
    }
}

TEST_F(PictureTest, SelectsFramesWithinTheCount) {
    Picture picture;
    ASSERT_NE(picture.LoadFromBytes(MakeAnimatedGif({10, 10, 10})), nullptr);
    EXPECT_TRUE(picture.SelectFrame(0));
    EXPECT_TRUE(picture.SelectFrame(2));
    EXPECT_FALSE(picture.SelectFrame(3));
    EXPECT_FALSE(picture.SelectFrame(-1));
}

TEST_F(PictureTest, StillImagesHaveNoDelays) {
    Picture picture;
    ASSERT_NE(picture.LoadFromBytes(EncodeSolidImage(4, 4, 0, ImageFormat::kPng)), nullptr);
    std::vector<int> delays{7};
    EXPECT_FALSE(picture.GetFrameDelays(delays));
    EXPECT_EQ(delays, std::vector<int>{7});
}

TEST_F(PictureTest, SetHandleHandsTheOldImageBackUndisposed) {
    Picture picture;
    ASSERT_NE(picture.LoadFromBytes(EncodeSolidImage(12, 7, 0, ImageFormat::kPng)), nullptr);
    GpImage* first = picture.GetHandle();
    Picture other;
    ASSERT_TRUE(other.CreateFromPixels(3, 5));
    GpImage* second = other.SetHandle(nullptr);

    EXPECT_EQ(picture.SetHandle(second), first);
    EXPECT_EQ(picture.GetHandle(), second);
    EXPECT_EQ(picture.GetWidth(), 3);
    UINT width = 0;
    EXPECT_EQ(GdipGetImageWidth(first, &width), Gdiplus::Ok) << "the old image must stay usable";
    EXPECT_EQ(width, 12u);
    GdipDisposeImage(first);
}

// A 16 x 16 icon whose colour plane is half-transparent red.
UniqueIcon MakeTranslucentIcon() {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = 16;
    header.bV5Height = -16;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    UniqueBitmap colour(CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                         DIB_RGB_COLORS, &bits, nullptr, 0));
    ReleaseDC(nullptr, screen);
    if (!colour) return UniqueIcon();
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < 256; ++i)
        pixels[i] = 0x80800000;  // premultiplied red at alpha 128
    UniqueBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour.get();
    info.hbmMask = mask.get();
    return UniqueIcon(CreateIconIndirect(&info));
}

TEST_F(PictureTest, IconsKeepTheirAlphaWhenAskedTo) {
    UniqueIcon icon = MakeTranslucentIcon();
    ASSERT_TRUE(icon);
    Picture picture;
    ASSERT_NE(picture.LoadFromIconWithAlpha(icon.get()), nullptr);
    EXPECT_EQ(picture.GetWidth(), 16);
    const ARGB pixel = picture.GetPixel(8, 8);
    EXPECT_NEAR(static_cast<int>(pixel >> 24), 128, 2);
    EXPECT_GT((pixel >> 16) & 0xFF, 100u) << "red";

    ASSERT_NE(picture.LoadFromIcon(icon.get()), nullptr);
    EXPECT_EQ(picture.GetWidth(), 16);
    EXPECT_EQ(picture.LoadFromIcon(nullptr), nullptr);
    EXPECT_EQ(picture.LoadFromIconWithAlpha(nullptr), nullptr);
}

}  // namespace
