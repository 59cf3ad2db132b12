// Picture: holds one GDI+ image and whatever it was loaded from (the bytes and the stream over
// them, which GDI+ reads lazily for the image's whole life). The skinned form, the list control,
// the icon buttons and the animated picture keep their images in one.
//
// Every load releases the previous image first. Move-only: two holders of one image would
// dispose of it twice.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "widgets/display_scale.h"
#include "widgets/gdi_handles.h"

class Picture {
public:
    Picture() = default;
    Picture(Picture&& other) noexcept = default;
    Picture& operator=(Picture&& other) noexcept;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { Release(); }

    void Release();
    // Lets the decoded image go, with whatever GDI+ keeps for decoding it (under Wine a JPEG's
    // decoder holds a second copy of the pixels), and keeps the bytes it was loaded from, for a
    // large picture needed again only rarely. A picture not loaded from bytes stays as it is.
    void Unload();
    // The image, decoded again from the kept bytes after Unload; nullptr without them.
    GpImage* Reload();

    // Each load returns the new image handle, nullptr when the source is not a decodable image
    // (the picture is then empty).
    GpImage* LoadFromBytes(const void* data, size_t size);
    GpImage* LoadFromBytes(std::string_view bytes) {
        return LoadFromBytes(bytes.data(), bytes.size());
    }
    GpImage* LoadFromFile(std::string_view path);  // GBK path; the file is read whole
    // A blank or given-pixels bitmap; with `pixels` the caller keeps that memory alive for the
    // image's life (GDI+ does not copy it).
    bool CreateFromPixels(int width, int height, int stride = 0,
                          int pixelFormat = PixelFormat32bppARGB, BYTE* pixels = nullptr);
    // Keeps the icon's per-pixel alpha (which LoadFromIcon loses); an icon without any alpha
    // is loaded as LoadFromIcon does. The icon stays the caller's.
    GpImage* LoadFromIconWithAlpha(HICON icon);
    GpImage* LoadFromIcon(HICON icon);

    GpImage* GetHandle() const { return image_.get(); }
    // Puts `image` in without disposing of the current one, which becomes the caller's (and is
    // returned). The bytes behind a loaded image stay with the picture until the next load or
    // Release, so dispose of the old image first.
    GpImage* SetHandle(GpImage* image);
    // Replaces the image (disposed of) with `resampled`, the same picture already resampled for
    // drawing at `scale`. The bytes stay: Unload and Reload give back the picture as decoded.
    void SetResampled(GpImage* resampled, const DisplayScale& scale);
    // The scale the image's pixels were resampled for (SetResampled); the design scale for a
    // picture as decoded.
    const DisplayScale& PixelScale() const { return pixelScale_; }

    int GetWidth() const;               // 0 without image
    int GetHeight() const;              // 0 without image
    ARGB GetPixel(int x, int y) const;  // 0 without image or outside it
    // True when no pixel can be transparent (a JPEG, a PNG without alpha); false without image.
    bool Opaque() const;

    // Frames along GDI+'s time dimension (animated GIFs); 0 without image.
    int GetFrameCount() const;
    // Frame delays in hundredths of a second, corrected: a first delay above 100 becomes 10,
    // a later one above 100 repeats the delay before it. False when the image has no delay
    // property; `delays` is left alone when the property has an unusable type.
    bool GetFrameDelays(std::vector<int>& delays) const;
    bool SelectFrame(int index);

private:
    // Declared so that the image goes before the stream and the stream before its memory.
    UniqueGlobal memory_;
    UniqueStream stream_;
    UniqueImage image_;
    DisplayScale pixelScale_;
};
