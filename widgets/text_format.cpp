#include "widgets/text_format.h"

bool TextFormat::CreateTypographic() {
    // GDI+ hands out one shared generic format; the clone is ours to change and delete.
    GpStringFormat* generic = nullptr;
    if (GdipStringFormatGetGenericTypographic(&generic) != Gdiplus::Ok || !generic) return false;
    return GdipCloneStringFormat(generic, format_.out()) == Gdiplus::Ok;
}

bool TextFormat::SetAlign(int alignment) {
    return format_ && GdipSetStringFormatAlign(format_.get(), static_cast<Gdiplus::StringAlignment>(
                                                                  alignment)) == Gdiplus::Ok;
}

bool TextFormat::SetTrimming(int trimming) {
    return format_ &&
           GdipSetStringFormatTrimming(
               format_.get(), static_cast<Gdiplus::StringTrimming>(trimming)) == Gdiplus::Ok;
}

bool TextFormat::SetHotkeyPrefix(int prefix) {
    return format_ && GdipSetStringFormatHotkeyPrefix(format_.get(), prefix) == Gdiplus::Ok;
}

bool TextFormat::SetFlags(int flags) {
    return format_ && GdipSetStringFormatFlags(format_.get(), flags) == Gdiplus::Ok;
}
