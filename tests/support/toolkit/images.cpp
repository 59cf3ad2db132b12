#include "tests/support/toolkit/images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <vector>

#include "widgets/drawing.h"
#include "widgets/gdi_handles.h"
#include "widgets/image_file.h"
#include "win/handles.h"

namespace test {

namespace {

const wchar_t* MimeType(ImageFormat format) {
    switch (format) {
        case ImageFormat::kPng:
            return L"image/png";
        case ImageFormat::kJpeg:
            return L"image/jpeg";
        case ImageFormat::kBmp:
            return L"image/bmp";
        case ImageFormat::kGif:
            return L"image/gif";
    }
    return L"";
}

void AppendWord(std::string& bytes, int value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

void EnsureGraphics() {
    ASSERT_NE(StartGraphics(), 0u) << "GDI+ did not start";
}

std::string EncodeImage(int width, int height, ImageFormat format, const ImagePainter& paint) {
    EnsureGraphics();
    CLSID encoder;
    if (!FindImageEncoder(MimeType(format), encoder)) {
        ADD_FAILURE() << "no GDI+ encoder for " << static_cast<int>(format);
        return {};
    }
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
        Gdiplus::Ok) {
        ADD_FAILURE() << "cannot make a " << width << "x" << height << " bitmap";
        return {};
    }
    UniqueImage image(bitmap);
    {
        UniqueGraphics graphics;
        if (GdipGetImageGraphicsContext(image.get(), graphics.out()) != Gdiplus::Ok) return {};
        if (paint) paint(graphics.get());
    }
    UniqueStream stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.out()))) return {};
    if (GdipSaveImageToStream(image.get(), stream.get(), &encoder, nullptr) != Gdiplus::Ok) {
        ADD_FAILURE() << "encoding failed";
        return {};
    }
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.get(), &memory))) return {};
    STATSTG stat{};
    stream.get()->Stat(&stat, STATFLAG_NONAME);
    const void* data = GlobalLock(memory);
    std::string bytes(static_cast<const char*>(data), static_cast<size_t>(stat.cbSize.QuadPart));
    GlobalUnlock(memory);
    return bytes;
}

std::string EncodeSolidImage(int width, int height, COLORREF colour, ImageFormat format) {
    return EncodeImage(width, height, format, [colour](GpGraphics* graphics) {
        GdipGraphicsClear(graphics, MakeArgb(colour));
    });
}

std::string MakeAnimatedGif(const std::vector<int>& delays) {
    std::string gif = "GIF89a";
    AppendWord(gif, 1);  // logical screen 1 x 1
    AppendWord(gif, 1);
    gif += '\x80';  // a global colour table of two entries
    gif += '\0';
    gif += '\0';
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6);
    for (int delay : delays) {
        gif.append("\x21\xF9\x04\x00", 4);  // graphic control extension
        AppendWord(gif, delay);
        gif.append("\x00\x00", 2);
        gif += '\x2C';  // image descriptor: 1 x 1 at (0, 0)
        AppendWord(gif, 0);
        AppendWord(gif, 0);
        AppendWord(gif, 1);
        AppendWord(gif, 1);
        gif += '\0';
        gif.append("\x02\x02\x44\x01\x00", 5);  // LZW: clear, pixel 0, end
    }
    gif += '\x3B';
    return gif;
}

TempFile::TempFile(std::wstring_view name) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + L"zentori-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::wstring(name);
}

TempFile::~TempFile() {
    DeleteFileW(path_.c_str());
}

std::string TempFile::GbkPath() const {
    return FromWide(path_);
}

bool TempFile::Write(std::string_view bytes) const {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool NearColour(COLORREF actual, COLORREF expected, int tolerance) {
    return std::abs(GetRValue(actual) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(actual) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(actual) - GetBValue(expected)) <= tolerance;
}

COLORREF PixelToColorref(ARGB pixel) {
    return ArgbToColorref(pixel);
}

COLORREF Blend(COLORREF colour, COLORREF under, int alpha) {
    auto mix = [alpha](int top, int bottom) { return bottom + (top - bottom) * alpha / 255; };
    return RGB(mix(GetRValue(colour), GetRValue(under)), mix(GetGValue(colour), GetGValue(under)),
               mix(GetBValue(colour), GetBValue(under)));
}

bool Approaches(int from, const std::vector<int>& values, int target) {
    int distance = std::abs(target - from);
    for (const int value : values) {
        const int next = std::abs(target - value);
        if (next >= distance && next != 0) return false;
        distance = next;
    }
    return true;
}

std::string ColourText(COLORREF colour) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

PixelSource CanvasPixels(const Canvas& canvas) {
    return [&canvas](int x, int y) { return ArgbToColorref(canvas.Pixel(x, y)); };
}

PixelDifference LargestDifference(const Canvas& a, const Canvas& b, const RECT& area) {
    GdipFlush(a.Graphics(), Gdiplus::FlushIntentionSync);
    GdipFlush(b.Graphics(), Gdiplus::FlushIntentionSync);
    GdiFlush();
    PixelDifference result;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const std::uint32_t p = a.Row(y)[x], q = b.Row(y)[x];
            for (int shift : {0, 8, 16}) {
                const int d = std::abs(static_cast<int>((p >> shift) & 255) -
                                       static_cast<int>((q >> shift) & 255));
                if (d > result.largest) result = {d, POINT{x, y}};
            }
        }
    }
    return result;
}

void PaintManyColours(const Canvas& canvas) {
    const auto width = static_cast<float>(canvas.Width());
    const auto height = static_cast<float>(canvas.Height());
    GdipGraphicsClear(canvas.Graphics(), MakeArgb(0x3C7F20));
    FillAlphaGradient(canvas.Graphics(), RectF(0, 0, width, height), 0xF0E0FF, 255, 40, 2);
    FillAlphaGradient(canvas.Graphics(), RectF(0, 0, width / 2, height), 0x102040, 200, 0, 0);
}

bool DrawnAndShown::Create(int width, int height) {
    EnsureGraphics();
    if (!drawn.Create(nullptr, width, height) || !shown.Create(nullptr, width, height)) {
        return false;
    }
    Repaint();
    return true;
}

void DrawnAndShown::Repaint() const {
    PaintManyColours(drawn);
    PaintManyColours(shown);
}

PixelDifference DrawnAndShown::Difference() const {
    return LargestDifference(drawn, shown, RECT{0, 0, drawn.Width(), drawn.Height()});
}

PixelSource PrintedPixels(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    auto pixels = std::make_shared<std::vector<COLORREF>>();
    HDC screen = GetDC(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen, std::max(width, 1), std::max(height, 1)));
    ReleaseDC(nullptr, screen);
    if (dc && bitmap) {
        SelectGuard selected(dc.get(), bitmap.get());
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()),
                     PRF_CLIENT | PRF_ERASEBKGND);
        pixels->resize(static_cast<size_t>(width) * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                (*pixels)[static_cast<size_t>(y) * width + x] = GetPixel(dc.get(), x, y);
        }
    }
    return [pixels, width, height](int x, int y) -> COLORREF {
        if (x < 0 || y < 0 || x >= width || y >= height || pixels->empty()) return 0;
        return (*pixels)[static_cast<size_t>(y) * width + x];
    };
}

RECT FindPixels(const PixelSource& source, const RECT& area, const PixelTest& test) {
    RECT found{};
    bool any = false;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!test(source(x, y))) continue;
            if (!any) {
                found = RECT{x, y, x + 1, y + 1};
                any = true;
            }
            found.left = std::min<LONG>(found.left, x);
            found.top = std::min<LONG>(found.top, y);
            found.right = std::max<LONG>(found.right, x + 1);
            found.bottom = std::max<LONG>(found.bottom, y + 1);
        }
    }
    return found;
}

int CountPixels(const PixelSource& source, const RECT& area, const PixelTest& test) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x)
            count += test(source(x, y)) ? 1 : 0;
    }
    return count;
}

PixelTest DiffersFrom(COLORREF background, int tolerance) {
    return [=](COLORREF colour) { return !NearColour(colour, background, tolerance); };
}

}  // namespace test
