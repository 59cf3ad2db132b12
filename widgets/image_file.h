// Pictures written to files through GDI+'s encoders (a screenshot saved as PNG). GDI+ must be
// started (StartGraphics).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The class id of GDI+'s encoder for a MIME type ("image/png"); false when there is none.
bool FindImageEncoder(std::wstring_view mimeType, CLSID& encoder);

// Writes `bitmap` (a device-dependent or DIB section bitmap) as a PNG file at `path`, replacing
// a file there. False when the picture cannot be encoded or the file cannot be written.
bool SaveBitmapAsPng(HBITMAP bitmap, const std::wstring& path);
