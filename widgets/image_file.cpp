#include "widgets/image_file.h"

#include <cstdint>
#include <vector>

#include "widgets/gdi_handles.h"

bool FindImageEncoder(std::wstring_view mimeType, CLSID& encoder) {
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return false;
    // The codec records are followed by the texts they point into; 8-byte storage keeps the
    // records aligned.
    std::vector<std::uint64_t> storage(size / sizeof(std::uint64_t) + 1);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && mimeType == codecs[i].MimeType) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path) {
    CLSID encoder;
    if (!bitmap || !FindImageEncoder(L"image/png", encoder)) return false;
    GpBitmap* image = nullptr;
    if (GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok) return false;
    const UniqueImage owned(image);
    return GdipSaveImageToFile(owned.get(), path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}
