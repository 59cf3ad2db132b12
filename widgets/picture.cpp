#include "widgets/picture.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "widgets/drawing.h"

namespace {

// GDI+'s FrameDimensionTime.
constexpr GUID kFrameDimensionTime = {
    0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr PROPID kFrameDelayTag = 0x5100;
constexpr WORD kTypeLong = 4;
constexpr WORD kTypeSignedLong = 9;
constexpr int kLongestFirstDelay = 100;
constexpr int kReplacementFirstDelay = 10;
// The pictures the program shows take a few megabytes at most; a file far beyond that is no
// picture to read whole into memory.
constexpr std::streamoff kLargestFile = std::streamoff{256} << 20;

// The 32-bit colour plane of an icon, top row first; empty when the icon has none.
std::vector<std::uint32_t> IconPixels(HICON icon, int& width, int& height) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    UniqueBitmap colour(info.hbmColor);
    UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    if (!colour || !GetObjectW(colour.get(), sizeof(bitmap), &bitmap)) return {};
    width = bitmap.bmWidth;
    height = bitmap.bmHeight;
    if (width <= 0 || height <= 0) return {};

    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc || GetDIBits(dc.get(), colour.get(), 0, height, pixels.data(), &request,
                         DIB_RGB_COLORS) != height) {
        return {};
    }
    return pixels;
}

}  // namespace

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        Release();
        memory_ = std::move(other.memory_);
        stream_ = std::move(other.stream_);
        image_ = std::move(other.image_);
        pixelScale_ = other.pixelScale_;
    }
    return *this;
}

void Picture::Release() {
    pixelScale_ = DisplayScale();
    image_.reset();
    stream_.reset();
    memory_.reset();
}

void Picture::Unload() {
    if (!memory_) return;
    pixelScale_ = DisplayScale();
    image_.reset();
    stream_.reset();
}

void Picture::SetResampled(GpImage* resampled, const DisplayScale& scale) {
    image_.reset(resampled);
    stream_.reset();  // read only by the decoded image
    pixelScale_ = scale;
}

GpImage* Picture::Reload() {
    if (image_ || !memory_) return image_.get();
    UniqueStream stream;
    UniqueImage image;
    if (FAILED(CreateStreamOnHGlobal(memory_.get(), FALSE, stream.out())) ||
        GdipLoadImageFromStream(stream.get(), image.out()) != Gdiplus::Ok || !image) {
        return nullptr;
    }
    stream_ = std::move(stream);
    image_ = std::move(image);
    return image_.get();
}

GpImage* Picture::LoadFromBytes(const void* data, size_t size) {
    Release();
    if (!data || size == 0) return nullptr;
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) return nullptr;
    void* target = GlobalLock(memory.get());
    if (!target) return nullptr;
    std::memcpy(target, data, size);
    GlobalUnlock(memory.get());

    // The stream must not free the block: the picture frees it after the image is gone.
    UniqueStream stream;
    if (FAILED(CreateStreamOnHGlobal(memory.get(), FALSE, stream.out()))) return nullptr;
    UniqueImage image;
    if (GdipLoadImageFromStream(stream.get(), image.out()) != Gdiplus::Ok || !image) {
        return nullptr;
    }
    memory_ = std::move(memory);
    stream_ = std::move(stream);
    image_ = std::move(image);
    return image_.get();
}

GpImage* Picture::LoadFromFile(std::string_view path) {
    Release();
    const std::wstring wide = ToWide(path);
    if (wide.size() <= 1) return nullptr;
    // Read into memory: an image GDI+ loads from the file keeps that file open (and, on Windows,
    // locked) for as long as the image lives, and a skin lives until the next one.
    std::ifstream file(std::filesystem::path(wide.c_str()), std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : 0;
    if (size <= 0 || size > kLargestFile) return nullptr;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!file.seekg(0) || !file.read(bytes.data(), size)) return nullptr;
    return LoadFromBytes(bytes);
}

bool Picture::CreateFromPixels(int width, int height, int stride, int pixelFormat, BYTE* pixels) {
    Release();
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, stride, pixelFormat, pixels, &bitmap) !=
        Gdiplus::Ok) {
        return false;
    }
    image_.reset(bitmap);
    return true;
}

GpImage* Picture::LoadFromIconWithAlpha(HICON icon) {
    Release();
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = IconPixels(icon, width, height);
    bool hasAlpha = false;
    for (std::uint32_t pixel : pixels)
        hasAlpha = hasAlpha || (pixel >> 24) != 0;
    if (!hasAlpha) return LoadFromIcon(icon);

    // GDI+ copies the pixels into a bitmap of its own, so nothing else has to stay alive.
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
        Gdiplus::Ok) {
        return nullptr;
    }
    UniqueImage image(bitmap);
    const Gdiplus::GpRect area(0, 0, width, height);
    Gdiplus::BitmapData locked{};
    if (GdipBitmapLockBits(bitmap, &area, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                           &locked) != Gdiplus::Ok) {
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(static_cast<BYTE*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride,
                    pixels.data() + static_cast<size_t>(y) * width, width * sizeof(std::uint32_t));
    }
    GdipBitmapUnlockBits(bitmap, &locked);
    image_ = std::move(image);
    return image_.get();
}

GpImage* Picture::LoadFromIcon(HICON icon) {
    Release();
    GpBitmap* bitmap = nullptr;
    if (!icon || GdipCreateBitmapFromHICON(icon, &bitmap) != Gdiplus::Ok) return nullptr;
    image_.reset(bitmap);
    return image_.get();
}

GpImage* Picture::SetHandle(GpImage* image) {
    GpImage* previous = image_.release();
    image_.reset(image);
    pixelScale_ = DisplayScale();
    return previous;
}

int Picture::GetWidth() const {
    UINT width = 0;
    if (!image_ || GdipGetImageWidth(image_.get(), &width) != Gdiplus::Ok) return 0;
    return static_cast<int>(width);
}

bool Picture::Opaque() const {
    UINT flags = 0;
    Gdiplus::PixelFormat format = 0;
    if (!image_ || GdipGetImageFlags(image_.get(), &flags) != Gdiplus::Ok ||
        GdipGetImagePixelFormat(image_.get(), &format) != Gdiplus::Ok) {
        return false;
    }
    return !(flags & Gdiplus::ImageFlagsHasAlpha) && !Gdiplus::IsAlphaPixelFormat(format);
}

int Picture::GetHeight() const {
    UINT height = 0;
    if (!image_ || GdipGetImageHeight(image_.get(), &height) != Gdiplus::Ok) return 0;
    return static_cast<int>(height);
}

ARGB Picture::GetPixel(int x, int y) const {
    ARGB colour = 0;
    if (!image_ || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight()) return 0;
    auto* bitmap = static_cast<GpBitmap*>(image_.get());
    if (GdipBitmapGetPixel(bitmap, x, y, &colour) != Gdiplus::Ok) return 0;
    return colour;
}

int Picture::GetFrameCount() const {
    UINT count = 0;
    if (!image_ ||
        GdipImageGetFrameCount(image_.get(), &kFrameDimensionTime, &count) != Gdiplus::Ok) {
        return 0;
    }
    return static_cast<int>(count);
}

bool Picture::GetFrameDelays(std::vector<int>& delays) const {
    UINT size = 0;
    if (!image_ || GdipGetPropertyItemSize(image_.get(), kFrameDelayTag, &size) != Gdiplus::Ok ||
        size < sizeof(Gdiplus::PropertyItem)) {
        return false;
    }
    // Aligned storage for the item header followed by its values.
    std::vector<std::uint64_t> storage((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(storage.data());
    if (GdipGetPropertyItem(image_.get(), kFrameDelayTag, size, item) != Gdiplus::Ok) return false;

    const bool accepted = item->type == kTypeSignedLong ||
                          (item->type == kTypeLong && item->length > 0 && item->value);
    if (!accepted) return true;
    const size_t count = item->value ? item->length / sizeof(std::int32_t) : 0;
    delays.assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        std::int32_t delay;
        std::memcpy(&delay, static_cast<const BYTE*>(item->value) + i * sizeof(delay),
                    sizeof(delay));
        if (delay > kLongestFirstDelay) {
            delay = i == 0 ? kReplacementFirstDelay : delays[i - 1];
        }
        delays[i] = delay;
    }
    return true;
}

bool Picture::SelectFrame(int index) {
    return image_ && index >= 0 &&
           GdipImageSelectActiveFrame(image_.get(), &kFrameDimensionTime, index) == Gdiplus::Ok;
}
