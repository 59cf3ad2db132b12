// TextFormat: owns one GDI+ string format (alignment, trimming, wrapping, hotkey prefixes) for
// the duration of one text drawing. Move-only; the format is deleted with the object.
#pragma once

#include "widgets/gdi_handles.h"

class TextFormat {
public:
    TextFormat() = default;

    void Delete() { format_.reset(); }
    // A new format, a copy of GDI+'s generic typographic one; false when GDI+ fails.
    bool CreateTypographic();
    // Each setter returns false before CreateTypographic or when GDI+ refuses the value.
    bool SetAlign(int alignment);      // 0 near, 1 centre, 2 far
    bool SetTrimming(int trimming);    // GDI+ StringTrimming
    bool SetHotkeyPrefix(int prefix);  // 0 none, 1 show, 2 hide
    bool SetFlags(int flags);          // GDI+ StringFormatFlags; widgets use 0x1000 (no wrap)
    GpStringFormat* GetHandle() const { return format_.get(); }

private:
    UniqueStringFormat format_;
};
