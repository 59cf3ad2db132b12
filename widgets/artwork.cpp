#include "widgets/artwork.h"

#include <algorithm>
#include <cmath>

#include "widgets/drawing.h"

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

bool StretchPhoto(HDC dc, const Picture& photo, const RECT& clip, int width, int height) {
    const int imageWidth = photo.GetWidth(), imageHeight = photo.GetHeight();
    if (!dc || !photo.Opaque() || imageWidth <= 0 || imageHeight <= 0 || width <= 0 ||
        height <= 0) {
        return false;
    }
    // Only the photo's pixels from its top-left to just past what the clip shows (two more for
    // the smoothing's neighbours) are read out; that part keeps the whole photo's scale but for
    // the rounding of its far edges to whole pixels.
    const double toImageX = static_cast<double>(imageWidth) / width;
    const double toImageY = static_cast<double>(imageHeight) / height;
    const int sourceWidth =
        std::min(imageWidth, static_cast<int>(std::ceil(clip.right * toImageX)) + 2);
    const int sourceHeight =
        std::min(imageHeight, static_cast<int>(std::ceil(clip.bottom * toImageY)) + 2);
    const int targetWidth =
        sourceWidth == imageWidth ? width : static_cast<int>(std::lround(sourceWidth / toImageX));
    const int targetHeight = sourceHeight == imageHeight
                                 ? height
                                 : static_cast<int>(std::lround(sourceHeight / toImageY));
    auto* bitmap = static_cast<GpBitmap*>(photo.GetHandle());
    // A photograph decoded to 24 bits (a JPEG) is read in place; any other is converted.
    Gdiplus::PixelFormat format = 0;
    GdipGetImagePixelFormat(bitmap, &format);
    if (format != PixelFormat24bppRGB) format = PixelFormat32bppRGB;
    const int bits = format == PixelFormat24bppRGB ? 24 : 32;
    const Gdiplus::GpRect part(0, 0, sourceWidth, sourceHeight);
    Gdiplus::BitmapData locked{};
    if (GdipBitmapLockBits(bitmap, &part, Gdiplus::ImageLockModeRead, format, &locked) !=
            Gdiplus::Ok ||
        locked.Stride <= 0 || locked.Stride % 4 != 0) {
        if (locked.Scan0) GdipBitmapUnlockBits(bitmap, &locked);
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    // GDI's rows are as long as GDI+'s stride: the bitmap is as wide as the stride holds.
    info.bmiHeader.biWidth = locked.Stride / (bits / 8);
    info.bmiHeader.biHeight = -sourceHeight;  // top-down, as GDI+ hands the rows out
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bits);
    info.bmiHeader.biCompression = BI_RGB;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE asks
    const int lines = StretchDIBits(dc, 0, 0, targetWidth, targetHeight, 0, 0, sourceWidth,
                                    sourceHeight, locked.Scan0, &info, DIB_RGB_COLORS, SRCCOPY);
    RestoreDC(dc, saved);
    GdiFlush();  // before GDI+ draws on the same pixels
    GdipBitmapUnlockBits(bitmap, &locked);
    return lines > 0;
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
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, as GDI+ keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dib || !bits || !dc) return false;
    {
        const SelectGuard select(dc.get(), dib.get());
        if (!StretchPhoto(dc.get(), photo, RECT{0, 0, width, height}, width, height)) return false;
    }
    // GDI+ copies the rows into a bitmap of its own: the DIB goes when this returns.
    const int stride = (width * 3 + 3) & ~3;
    GpBitmap* view = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, stride, PixelFormat24bppRGB,
                                  static_cast<BYTE*>(bits), &view) != Gdiplus::Ok) {
        return false;
    }
    GpBitmap* resampled = nullptr;
    const Gdiplus::GpStatus cloned =
        GdipCloneBitmapAreaI(0, 0, width, height, PixelFormat24bppRGB, view, &resampled);
    GdipDisposeImage(view);
    if (cloned != Gdiplus::Ok || !resampled) return false;
    photo.SetResampled(resampled, scale);
    return true;
}
