// Move-only owners for the toolkit's GDI+ handles, beside the window-system and GDI ones of
// win/handles.h (included here, so the toolkit's files need one include for both).
#pragma once

#include "widgets/gdiplus_flat.h"
#include "win/handles.h"

namespace detail {

// The close functions, as static members so each stays on one line.
struct CloseGdiplus {
    static void DeleteGraphics(GpGraphics* graphics) { GdipDeleteGraphics(graphics); }
    static void DeletePen(GpPen* pen) { GdipDeletePen(pen); }
    static void DeleteBrush(GpBrush* brush) { GdipDeleteBrush(brush); }
    static void DeleteFont(GpFont* font) { GdipDeleteFont(font); }
    static void DeleteFontFamily(GpFontFamily* family) { GdipDeleteFontFamily(family); }
    static void DisposeImage(GpImage* image) { GdipDisposeImage(image); }
    static void DeletePath(GpPath* path) { GdipDeletePath(path); }
    static void DeleteStringFormat(GpStringFormat* format) { GdipDeleteStringFormat(format); }
};

}  // namespace detail

using UniqueGraphics = detail::UniqueHandle<GpGraphics*, detail::CloseGdiplus::DeleteGraphics>;
using UniquePen = detail::UniqueHandle<GpPen*, detail::CloseGdiplus::DeletePen>;
using UniqueBrush = detail::UniqueHandle<GpBrush*, detail::CloseGdiplus::DeleteBrush>;
using UniqueFont = detail::UniqueHandle<GpFont*, detail::CloseGdiplus::DeleteFont>;
using UniqueFontFamily =
    detail::UniqueHandle<GpFontFamily*, detail::CloseGdiplus::DeleteFontFamily>;
using UniqueImage = detail::UniqueHandle<GpImage*, detail::CloseGdiplus::DisposeImage>;
using UniquePath = detail::UniqueHandle<GpPath*, detail::CloseGdiplus::DeletePath>;
using UniqueStringFormat =
    detail::UniqueHandle<GpStringFormat*, detail::CloseGdiplus::DeleteStringFormat>;
