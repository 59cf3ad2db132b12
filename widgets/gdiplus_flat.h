// The GDI+ flat API, the only GDI+ layer the toolkit uses: plain handles and status codes, no
// C++ wrapper classes (their generic-family helpers crash when a family is missing, as under
// Wine). The using-directives stay inside the toolkit's own headers; every name they bring in
// starts with Gdip or Gp.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

using namespace Gdiplus::DllExports;
using Gdiplus::ARGB;
using Gdiplus::GpBitmap;
using Gdiplus::GpBrush;
using Gdiplus::GpFont;
using Gdiplus::GpFontFamily;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpImageAttributes;
using Gdiplus::GpLineGradient;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStatus;
using Gdiplus::GpStringFormat;
using Gdiplus::RectF;

// Widget bounds: left, top, width, height in the form's client coordinates.
using Bounds = Gdiplus::RectF;
