#include "widgets/artwork.h"

#include <algorithm>
#include <cmath>

#include "widgets/drawing.h"
#include "widgets/photo_resample.h"

namespace {

bool FileExists(const std::string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int ChooseArtworkSize(const DisplayScale& scale, const std::array<bool, 3>& available) {
    const double wanted = scale.Factor();
    int largest = 0;
    for (int size = 0; size < static_cast<int>(kArtworkSizes.size()); ++size) {
        if (!available[size]) continue;
        // A hair of tolerance: 144 dpi is 1.5 exactly, but the factor is a quotient.
        if (kArtworkSizes[size].factor + 1e-6 >= wanted) return size;
        largest = size;
    }
    return largest;
}

std::string ArtworkFile(std::string_view file1x, int size) {
    std::string path(file1x);
    if (size <= 0 || size >= static_cast<int>(kArtworkSizes.size())) return path;
    const size_t slash = path.find_last_of("\\/");
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
    path.insert(dot, kArtworkSizes[size].suffix);
    return path;
}

int ArtworkPicture::DesignWidth() const {
    return static_cast<int>(std::lround(picture.GetWidth() / factor));
}

int ArtworkPicture::DesignHeight() const {
    return static_cast<int>(std::lround(picture.GetHeight() / factor));
}

ArtworkChoice FindArtwork(std::string_view file1x, const DisplayScale& scale) {
    if (scale.Factor() <= 1.0 || file1x.empty()) return {std::string(file1x), 1.0f};
    std::array<bool, 3> available{true, false, false};
    for (int size = 1; size < static_cast<int>(kArtworkSizes.size()); ++size)
        available[size] = FileExists(ArtworkFile(file1x, size));
    const int size = ChooseArtworkSize(scale, available);
    return {ArtworkFile(file1x, size), kArtworkSizes[size].factor};
}

ArtworkPicture LoadArtwork(std::string_view file1x, const DisplayScale& scale) {
    const ArtworkChoice choice = FindArtwork(file1x, scale);
    ArtworkPicture artwork;
    artwork.factor = choice.factor;
    artwork.picture.LoadFromFile(choice.path);
    return artwork;
}

void DrawImageSharp(GpGraphics* graphics, GpImage* image, const RectF& target, const RectF& source,
                    GpImageAttributes* attributes) {
    if (!graphics || !image) return;
    const bool resampled = target.Width != source.Width || target.Height != source.Height;
    Gdiplus::InterpolationMode interpolation = Gdiplus::InterpolationModeDefault;
    Gdiplus::PixelOffsetMode offset = Gdiplus::PixelOffsetModeDefault;
    if (resampled) {
        GdipGetInterpolationMode(graphics, &interpolation);
        GdipGetPixelOffsetMode(graphics, &offset);
        GdipSetInterpolationMode(graphics, Gdiplus::InterpolationModeHighQualityBicubic);
        GdipSetPixelOffsetMode(graphics, Gdiplus::PixelOffsetModeHalf);
    }
    GdipDrawImageRectRect(graphics, image, target.X, target.Y, target.Width, target.Height,
                          source.X, source.Y, source.Width, source.Height, Gdiplus::UnitPixel,
                          attributes, nullptr, nullptr);
    if (resampled) {
        GdipSetInterpolationMode(graphics, interpolation);
        GdipSetPixelOffsetMode(graphics, offset);
    }
}

namespace {

// The photograph's pixels from its top-left to just past what `clip` of it resized to width x
// height shows (two more for the interpolation's neighbours), locked for reading, or nothing.
// A photograph decoded to 24 bits (a JPEG) is read in place; any other is converted, and a large
// one only as far as it is shown.
class LockedPhoto {
public:
    LockedPhoto(const Picture& photo, const RECT& clip, int width, int height)
        : bitmap_(static_cast<GpBitmap*>(photo.GetHandle())) {
        const int imageWidth = photo.GetWidth(), imageHeight = photo.GetHeight();
        const double toImageX = static_cast<double>(imageWidth) / width;
        const double toImageY = static_cast<double>(imageHeight) / height;
        const int partWidth =
            std::min(imageWidth, static_cast<int>(std::ceil(clip.right * toImageX)) + 2);
        const int partHeight =
            std::min(imageHeight, static_cast<int>(std::ceil(clip.bottom * toImageY)) + 2);
        Gdiplus::PixelFormat format = 0;
        GdipGetImagePixelFormat(bitmap_, &format);
        if (format != PixelFormat24bppRGB) format = PixelFormat32bppRGB;
        const Gdiplus::GpRect part(0, 0, partWidth, partHeight);
        if (GdipBitmapLockBits(bitmap_, &part, Gdiplus::ImageLockModeRead, format, &locked_) !=
            Gdiplus::Ok) {
            locked_ = {};
            return;
        }
        rows_ = ConstPixelRows{static_cast<const std::uint8_t*>(locked_.Scan0), partWidth,
                               partHeight, locked_.Stride, format == PixelFormat24bppRGB ? 3 : 4};
    }
    ~LockedPhoto() {
        if (locked_.Scan0) GdipBitmapUnlockBits(bitmap_, &locked_);
    }
    LockedPhoto(const LockedPhoto&) = delete;
    LockedPhoto& operator=(const LockedPhoto&) = delete;

    const ConstPixelRows& Rows() const { return rows_; }

private:
    GpBitmap* bitmap_;
    Gdiplus::BitmapData locked_{};
    ConstPixelRows rows_;
};

bool ResampleInto(const Picture& photo, const RECT& clip, int width, int height,
                  const PixelRows& target) {
    const int imageWidth = photo.GetWidth(), imageHeight = photo.GetHeight();
    if (!photo.Opaque() || imageWidth <= 0 || imageHeight <= 0 || width <= 0 || height <= 0 ||
        !target.bits) {
        return false;
    }
    const LockedPhoto locked(photo, clip, width, height);
    if (!locked.Rows().bits) return false;
    ResamplePhoto(locked.Rows(), imageWidth, imageHeight, width, height,
                  PixelBox{clip.left, clip.top, clip.right, clip.bottom}, target);
    return true;
}

}  // namespace

bool DrawPhoto(Canvas& canvas, const Picture& photo, const RECT& clip, int width, int height) {
    if (!canvas || canvas.Height() <= 0) return false;
    // GDI and GDI+ finish what they were drawing before the pixels are written here.
    GdipFlush(canvas.Graphics(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    const PixelRows target{reinterpret_cast<std::uint8_t*>(canvas.Row(0)), canvas.Width(),
                           canvas.Height(), canvas.Stride(), 4};
    return ResampleInto(photo, clip, width, height, target);
}

bool PreparePhoto(Picture& photo, const DisplayScale& scale) {
    // Resampled whole: a skin photograph a little larger than the window it fills is a few
    // megabytes at 200 %; anything much larger stays as decoded.
    constexpr long long kLargestPixels = 2'000'000;
    if (scale.IsDesign() || !photo.PixelScale().IsDesign() || !photo.Opaque()) return false;
    const int width = scale.Px(photo.GetWidth()), height = scale.Px(photo.GetHeight());
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kLargestPixels) {
        return false;
    }
    UniqueImage resampled;
    GpBitmap* made = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat24bppRGB, nullptr, &made) !=
        Gdiplus::Ok) {
        return false;
    }
    resampled.reset(made);
    const Gdiplus::GpRect whole(0, 0, width, height);
    Gdiplus::BitmapData locked{};
    if (GdipBitmapLockBits(made, &whole, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB,
                           &locked) != Gdiplus::Ok) {
        return false;
    }
    const bool drawn = ResampleInto(
        photo, RECT{0, 0, width, height}, width, height,
        PixelRows{static_cast<std::uint8_t*>(locked.Scan0), width, height, locked.Stride, 3});
    GdipBitmapUnlockBits(made, &locked);
    if (!drawn) return false;
    photo.SetResampled(resampled.release(), scale);
    return true;
}
