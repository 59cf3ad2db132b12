#include "widgets/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cwchar>
#include <span>

#include "text/text_utils.h"
#include "widgets/gdi_handles.h"
#include "widgets/installed_fonts.h"
#include "widgets/text_format.h"

ULONG_PTR GdiplusToken = 0;
GpPen* DefaultPen = nullptr;
GpBrush* DefaultBrush = nullptr;
GpFont* DefaultFont = nullptr;
int OsMajorVersion = 0;

namespace {

constexpr int kShadowAlpha = 150;

int RunningMajorVersion() {
    // Without a compatibility manifest Windows reports at most 6.2 here; only "6 or later"
    // matters (the themed caption), so that is precise enough.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) ? static_cast<int>(info.dwMajorVersion) : 0;
}

GpFont* FontFromFamily(GpFontFamily* family, float sizePixels, int style) {
    GpFont* font = nullptr;
    if (GdipCreateFont(family, sizePixels, style, Gdiplus::UnitPixel, &font) != Gdiplus::Ok) {
        return nullptr;
    }
    return font;
}

// The default font's family when `face` is the default face, else none. Looking a face up by
// name walks the whole installed collection, and at a display scale every widget makes a font
// of the default face. (The default face is resolved before the default font is made.)
UniqueFontFamily DefaultFamilyFor(const wchar_t* face) {
    UniqueFontFamily family;
    if (!DefaultFont || _wcsicmp(face, DefaultFontFace().c_str()) != 0 ||
        GdipGetFamily(DefaultFont, family.out()) != Gdiplus::Ok) {
        return {};
    }
    return family;
}

GpFont* GenericSansSerifFont(float sizePixels, int style) {
    // Missing under Wine: the call fails and leaves no family behind.
    UniqueFontFamily family;
    if (GdipGetGenericFontFamilySansSerif(family.out()) != Gdiplus::Ok || !family) return nullptr;
    return FontFromFamily(family.get(), sizePixels, style);
}

void DrawLine(GpGraphics* graphics, GpPen* pen, float x1, float y1, float x2, float y2) {
    if (pen) GdipDrawLine(graphics, pen, x1, y1, x2, y2);
}

// Draws `text` once with a brush of `colour`; the brush is released before returning.
void DrawStringOnce(GpGraphics* graphics, const wchar_t* text, GpFont* font, const RectF& rect,
                    GpStringFormat* format, ARGB colour) {
    UniqueBrush brush(MakeBrush(colour));
    if (!brush) return;
    GdipDrawString(graphics, text, lstrlenW(text), font, &rect, format, brush.get());
}

TextFormat FormatFor(const TextStyle& style, int alignment) {
    TextFormat format;
    format.CreateTypographic();
    format.SetAlign(alignment);
    format.SetTrimming(style.trimming);
    format.SetFlags(style.formatFlags);
    format.SetHotkeyPrefix(style.hotkeyPrefix);
    return format;
}

}  // namespace

ULONG_PTR StartGraphicsEngine(UINT32 version) {
    if (GdiplusToken) return GdiplusToken;
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = version;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 0;
    GdiplusToken = token;
    DefaultPen = MakePen(MakeArgb(0), 1.0f);
    DefaultBrush = MakeBrush(MakeArgb(0));
    OsMajorVersion = RunningMajorVersion();
    return GdiplusToken;
}

ULONG_PTR StartGraphics(UINT32 version) {
    if (!StartGraphicsEngine(version)) return 0;
    if (!DefaultFont) DefaultFont = MakeDefaultFont();
    return GdiplusToken;
}

// --- Colours

ARGB MakeArgb(COLORREF colour, int alpha) {
    const ARGB red = GetRValue(colour);
    const ARGB green = GetGValue(colour);
    const ARGB blue = GetBValue(colour);
    const ARGB a = static_cast<ARGB>(std::clamp(alpha, 0, 255));
    return (a << 24) | (red << 16) | (green << 8) | blue;
}

void SplitRgb(ARGB value, int& red, int& green, int& blue) {
    red = static_cast<int>((value >> 16) & 255);
    green = static_cast<int>((value >> 8) & 255);
    blue = static_cast<int>(value & 255);
}

bool IsLightColour(ARGB value) {
    int red, green, blue;
    SplitRgb(value, red, green, blue);
    return (red >= 126) + (green >= 126) + (blue >= 126) >= 2;
}

COLORREF ContrastColour(ARGB text) {
    return IsLightColour(text) ? 0x000000 : 0xFFFFFF;
}

COLORREF ArgbToColorref(ARGB value) {
    int red, green, blue;
    SplitRgb(value, red, green, blue);
    return RGB(red, green, blue);
}

GpPen* MakePen(ARGB colour, float width, int unit) {
    GpPen* pen = nullptr;
    if (GdipCreatePen1(colour, width, static_cast<Gdiplus::GpUnit>(unit), &pen) != Gdiplus::Ok) {
        return nullptr;
    }
    return pen;
}

GpBrush* MakeBrush(ARGB colour) {
    GpSolidFill* brush = nullptr;
    if (GdipCreateSolidFill(colour, &brush) != Gdiplus::Ok) return nullptr;
    return brush;
}

// --- Fonts

std::string SystemFontFace(int which) {
    if (which < 1 || which > 3) return {};
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
            return {};
        }
    }
    const LOGFONTW& font = which == 2   ? metrics.lfCaptionFont
                           : which == 3 ? metrics.lfMessageFont
                                        : metrics.lfMenuFont;
    // The face field need not be terminated when the name fills it.
    return FromWide(std::wstring_view(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE)));
}

GpFont* MakeFont(std::string_view face, float sizePixels, int style) {
    const std::wstring wide = ToWide(face);
    if (wide.size() <= 1) return nullptr;
    UniqueFontFamily family = DefaultFamilyFor(wide.c_str());
    if (!family &&
        GdipCreateFontFamilyFromName(wide.c_str(), nullptr, family.out()) != Gdiplus::Ok) {
        return nullptr;
    }
    return family ? FontFromFamily(family.get(), sizePixels, style) : nullptr;
}

const std::wstring& DefaultFontFace() {
    static std::wstring face;
    static bool resolved = false;
    if (!resolved && GdiplusToken) {
        const std::wstring menuFace = ToWide(SystemFontFace(1)).c_str();
        face = ChooseInstalledFace(std::span(&menuFace, 1), SystemFontInventory());
        resolved = true;
    }
    return face;
}

GpFont* MakeFontWithFallback(std::string_view face, float sizePixels, int style) {
    if (GpFont* font = MakeFont(face, sizePixels, style)) return font;
    UniqueFontFamily family;
    if (!DefaultFontFace().empty() &&
        GdipCreateFontFamilyFromName(DefaultFontFace().c_str(), nullptr, family.out()) ==
            Gdiplus::Ok &&
        family) {
        if (GpFont* font = FontFromFamily(family.get(), sizePixels, style)) return font;
    }
    return GenericSansSerifFont(sizePixels, style);
}

GpFont* MakeDefaultFont() {
    return MakeFontWithFallback(FromWide(DefaultFontFace()), 12.0f, 0);
}

std::string FontFace(GpFont* font) {
    if (!font) return {};
    UniqueFontFamily family;
    if (GdipGetFamily(font, family.out()) != Gdiplus::Ok || !family) return {};
    wchar_t name[LF_FACESIZE] = {};
    if (GdipGetFamilyName(family.get(), name, 0) != Gdiplus::Ok) return {};
    return FromWide(std::wstring_view(name, wcsnlen(name, LF_FACESIZE)));
}

float FontHeight(GpGraphics* graphics, GpFont* font) {
    float height = 0;
    if (GdipGetFontHeight(font, graphics, &height) != Gdiplus::Ok) return 0;
    return height;
}

// --- Text conversion

// Both go through the catalogue's code page 936 conversions, so the toolkit and the rest of the
// program agree on every character (unmappable ones become '?').
std::wstring ToWide(std::string_view text) {
    const std::u16string wide = AnsiToWide(text);
    std::wstring result(wide.begin(), wide.end());
    result.push_back(L'\0');
    return result;
}

std::string FromWide(std::wstring_view text) {
    return WideToAnsi(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// --- Shapes

bool FillRectF(GpGraphics* graphics, GpBrush* brush, float x, float y, float width, float height) {
    return GdipFillRectangle(graphics, brush, x, y, width, height) == Gdiplus::Ok;
}

void FillAlphaGradient(GpGraphics* graphics, const RectF& rect, COLORREF colour, int alphaFrom,
                       int alphaTo, int mode, const RectF* part) {
    GpLineGradient* gradient = nullptr;
    if (GdipCreateLineBrushFromRect(&rect, MakeArgb(colour, alphaFrom), MakeArgb(colour, alphaTo),
                                    static_cast<Gdiplus::LinearGradientMode>(mode),
                                    Gdiplus::WrapModeTileFlipXY, &gradient) != Gdiplus::Ok) {
        return;
    }
    UniqueBrush brush(gradient);
    const RectF& filled = part ? *part : rect;
    FillRectF(graphics, brush.get(), filled.X, filled.Y, filled.Width, filled.Height);
}

bool OnWholePixels(const RectF& rect) {
    const auto whole = [](float value) { return value == std::floor(value); };
    return whole(rect.X) && whole(rect.Y) && whole(rect.Width) && whole(rect.Height);
}

void DrawFrame(GpGraphics* graphics, const RectF& rect, int style, COLORREF colour, int alpha) {
    const float x = rect.X, y = rect.Y, w = rect.Width, h = rect.Height;
    if (style == kFrameFlat) {
        if (OnWholePixels(rect) && w >= 2 && h >= 2) {
            // On whole pixels the outline is four one-pixel fills, the same pixels: GDI+ under
            // Wine blends a pen's outline over its whole bounding box, which made the frame of
            // a list-sized rectangle cost milliseconds.
            UniqueBrush brush(MakeBrush(MakeArgb(colour, alpha)));
            if (!brush) return;
            FillRectF(graphics, brush.get(), x, y, w, 1);
            FillRectF(graphics, brush.get(), x, y + h - 1, w, 1);
            FillRectF(graphics, brush.get(), x, y + 1, 1, h - 2);
            FillRectF(graphics, brush.get(), x + w - 1, y + 1, 1, h - 2);
            return;
        }
        UniquePen pen(MakePen(MakeArgb(colour, alpha), 1.0f));
        if (pen) GdipDrawRectangle(graphics, pen.get(), x, y, w - 1, h - 1);
        return;
    }
    if (style != kFrameRaised && style != kFrameSunken) return;
    UniquePen grey(MakePen(MakeArgb(0xA0A0A0, alpha), 1.0f));
    UniquePen white(MakePen(MakeArgb(0xFFFFFF, alpha), 0.5f));
    if (style == kFrameSunken) {
        DrawLine(graphics, grey.get(), x, y, x + w - 1, y);
        DrawLine(graphics, grey.get(), x, y, x, y + h - 1);
        DrawLine(graphics, white.get(), x, y + h - 1, x + w - 1, y + h - 1);
        DrawLine(graphics, white.get(), x + w - 1, y, x + w - 1, y + h - 1);
    } else {
        DrawLine(graphics, white.get(), x, y, x + w - 1, y);
        DrawLine(graphics, white.get(), x, y, x, y + h - 1);
        DrawLine(graphics, grey.get(), x + 1, y + h - 1, x + w - 1, y + h - 1);
        DrawLine(graphics, grey.get(), x + w - 1, y + 1, x + w - 1, y + h - 2);
    }
}

void DrawFocusRing(HDC dc, GpGraphics* graphics, const RECT& rect, int lineWidth,
                   const RECT& clip) {
    // Opaque one-pixel strips on whole pixels are GDI's fills, the same pixels as GDI+'s: under
    // Wine each GDI+ fill sets up the device's clip and transform again, and the ring's sixteen
    // took 1 ms at 200 %.
    if (graphics) GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    const int w = std::max(lineWidth, 1);
    for (int i = 0; i < 2 * w; ++i) {
        const RECT frame{rect.left + i, rect.top + i, rect.right - i, rect.bottom - i};
        if (frame.right - frame.left < 2 || frame.bottom - frame.top < 2) break;
        const RECT strips[] = {{frame.left, frame.top, frame.right, frame.top + 1},
                               {frame.left, frame.bottom - 1, frame.right, frame.bottom},
                               {frame.left, frame.top + 1, frame.left + 1, frame.bottom - 1},
                               {frame.right - 1, frame.top + 1, frame.right, frame.bottom - 1}};
        const auto brush = static_cast<HBRUSH>(GetStockObject(i < w ? WHITE_BRUSH : BLACK_BRUSH));
        for (const RECT& strip : strips) {
            RECT shown;
            if (IntersectRect(&shown, &strip, &clip)) FillRect(dc, &shown, brush);
        }
    }
}

void DrawRoundRect(GpGraphics* graphics, const RectF& rect, float corner, COLORREF colour,
                   int alpha) {
    const float x = rect.X, y = rect.Y, d = corner;
    const float right = x + rect.Width - 1;
    const float bottom = y + rect.Height - 1;
    UniquePath path;
    if (GdipCreatePath(Gdiplus::FillModeWinding, path.out()) != Gdiplus::Ok) return;
    GdipAddPathArc(path.get(), right - d, y, d, d, 270, 90);
    GdipAddPathArc(path.get(), right - d, bottom - d, d, d, 0, 90);
    GdipAddPathArc(path.get(), x, bottom - d, d, d, 90, 90);
    GdipAddPathArc(path.get(), x, y, d, d, 180, 90);
    GdipAddPathLine(path.get(), x + d, y, right - d / 2, y);
    UniquePen pen(MakePen(MakeArgb(colour, alpha), 1.0f));
    if (pen) GdipDrawPath(graphics, pen.get(), path.get());
}

RectF DrawPlate(GpGraphics* graphics, const RectF& rect, float outerCorner, float innerCorner,
                const PlateLook& look, const Outline* underInner) {
    RectF plate = rect;
    DrawRoundRect(graphics, plate, outerCorner, look.outer.colour, look.outer.alpha);
    OffsetRectF(1, 1, -2, -2, plate);
    if (underInner)
        DrawRoundRect(graphics, plate, innerCorner, underInner->colour, underInner->alpha);
    DrawRoundRect(graphics, plate, innerCorner, look.inner.colour, look.inner.alpha);
    OffsetRectF(1, 1, -2, -2, plate);
    FillAlphaGradient(graphics, plate, look.fillColour, look.fillAlphaTop, look.fillAlphaBottom);
    return plate;
}

void SetClip(GpGraphics* graphics, const RectF& rect) {
    GdipSetClipRect(graphics, rect.X, rect.Y, rect.Width, rect.Height, Gdiplus::CombineModeReplace);
}

void ResetClip(GpGraphics* graphics) {
    GdipResetClip(graphics);
}

// --- Text

void UseWidgetTextRendering(GpGraphics* graphics) {
    if (graphics) GdipSetTextRenderingHint(graphics, kWidgetTextRendering);
}

RectF TextLineRect(const RectF& rect, float fontHeight) {
    const float line = std::trunc(fontHeight);
    return RectF(rect.X, rect.Y + (rect.Height - line) / 2 - 1, rect.Width, line);
}

void PaintText(const RectF& rect, GpGraphics* graphics, std::string_view text,
               const TextStyle& style) {
    PaintText(rect, graphics, std::wstring_view(ToWide(text)), style);
}

float MeasureTextWidth(GpGraphics* graphics, std::string_view text, const TextStyle& style) {
    const std::wstring wide = ToWide(text);  // terminated
    GpFont* font = style.font ? style.font : DefaultFont;
    if (!graphics || !font) return 0;
    const TextFormat format = FormatFor(style, style.alignment % 3);
    const RectF origin(0, 0, 0, 0);
    RectF measured;
    if (GdipMeasureString(graphics, wide.c_str(), static_cast<int>(wide.size()) - 1, font, &origin,
                          format.GetHandle(), &measured, nullptr, nullptr) != Gdiplus::Ok) {
        return 0;
    }
    return measured.Width;
}

TextLayout LayOutText(const RectF& rect, GpGraphics* graphics, const TextStyle& style) {
    TextLayout layout{rect, style.alignment};
    if (layout.alignment >= 3 && layout.alignment <= 5) {
        layout.alignment -= 3;
        GpFont* font = style.font ? style.font : DefaultFont;
        layout.area = TextLineRect(rect, font ? FontHeight(graphics, font) : 0);
    }
    return layout;
}

void PaintText(const RectF& rect, GpGraphics* graphics, std::wstring_view text,
               const TextStyle& style) {
    if (!graphics) return;
    DrawLaidOutText(LayOutText(rect, graphics, style), graphics, text, style);
}

void DrawLaidOutText(const TextLayout& layout, GpGraphics* graphics, std::wstring_view text,
                     const TextStyle& style) {
    // GdipDrawString needs a terminated text; the view may point into a larger buffer.
    const std::wstring wide(text.substr(0, text.find(L'\0')));
    GpFont* font = style.font ? style.font : DefaultFont;
    if (!graphics || !font || wide.empty()) return;

    RectF area = layout.area;
    const TextFormat format = FormatFor(style, layout.alignment);

    const ARGB colour = MakeArgb(style.colour, style.alpha);
    const COLORREF contrast = ContrastColour(colour);
    switch (style.effect) {
        case kEffectShadowUpLeft:
        case kEffectShadowDownRight: {
            const float shift = style.effect == kEffectShadowUpLeft ? -1.0f : 1.0f;
            RectF shadow = area;
            OffsetRectF(shift, shift, 0, 0, shadow);
            DrawStringOnce(graphics, wide.c_str(), font, shadow, format.GetHandle(),
                           MakeArgb(contrast, kShadowAlpha));
            break;
        }
        case kEffectGlow:
            PaintGlowText(area, graphics, wide, format.GetHandle(), font, contrast);
            OffsetRectF(1, 0, 0, 0, area);
            break;
        default:
            break;
    }
    DrawStringOnce(graphics, wide.c_str(), font, area, format.GetHandle(), colour);
}

RectF TextReach(const TextLayout& layout, GpGraphics* graphics, std::wstring_view text,
                const TextStyle& style) {
    // One line (the callers' text does not wrap) from the top of the area, as tall as the
    // font's line even where the area is lower: GDI+ under Wine does not clip to the area. The
    // spill covers rounding to whole pixels, overhanging glyphs and the one-pixel shadows.
    constexpr float kSpill = 3;
    GpFont* font = style.font ? style.font : DefaultFont;
    const float line = graphics && font ? FontHeight(graphics, font) : 0;
    RectF reach(layout.area.X - kSpill, layout.area.Y - kSpill, layout.area.Width + 2 * kSpill,
                std::max(layout.area.Height, line) + 2 * kSpill);
    if (style.effect != kEffectGlow || !graphics || !font) return reach;
    // The glow is a picture of the whole text, stretched over its unlimited measure.
    const std::wstring wide(text.substr(0, text.find(L'\0')));
    const TextFormat format = FormatFor(style, layout.alignment);
    const RectF origin(0, 0, 0, 0);
    RectF measured;
    if (GdipMeasureString(graphics, wide.c_str(), static_cast<int>(wide.size()), font, &origin,
                          format.GetHandle(), &measured, nullptr, nullptr) != Gdiplus::Ok) {
        return reach;
    }
    const RectF glow(layout.area.X - kSpill, layout.area.Y - kSpill,
                     measured.Width + 2 + 2 * kSpill, measured.Height + 2 * kSpill);
    RectF both;
    RectF::Union(both, reach, glow);
    return both;
}

void PaintGlowText(const RectF& rect, GpGraphics* graphics, std::wstring_view text,
                   GpStringFormat* format, GpFont* font, COLORREF glowColour, float glowSize) {
    const std::wstring wide(text.substr(0, text.find(L'\0')));
    if (!graphics || !font || wide.empty()) return;
    const int length = static_cast<int>(wide.size());

    UniqueFontFamily family;
    int style = 0;
    float size = 0;
    if (GdipGetFamily(font, family.out()) != Gdiplus::Ok || !family ||
        GdipGetFontStyle(font, &style) != Gdiplus::Ok ||
        GdipGetFontSize(font, &size) != Gdiplus::Ok) {
        return;
    }
    const float innerSize = size - glowSize / 2;
    UniqueFont inner(FontFromFamily(family.get(), innerSize, style));
    if (!inner) return;

    const RectF origin(0, 0, 0, 0);
    RectF outer, box;
    if (GdipMeasureString(graphics, wide.c_str(), length, font, &origin, format, &outer, nullptr,
                          nullptr) != Gdiplus::Ok ||
        GdipMeasureString(graphics, wide.c_str(), length, inner.get(), &origin, format, &box,
                          nullptr, nullptr) != Gdiplus::Ok) {
        return;
    }
    const int width = static_cast<int>(box.Width), height = static_cast<int>(box.Height);
    if (width <= 0 || height <= 0) return;

    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) !=
        Gdiplus::Ok) {
        return;
    }
    UniqueImage image(bitmap);
    UniqueGraphics canvas;
    UniquePath path;
    if (GdipGetImageGraphicsContext(image.get(), canvas.out()) != Gdiplus::Ok ||
        GdipCreatePath(Gdiplus::FillModeAlternate, path.out()) != Gdiplus::Ok) {
        return;
    }
    GdipAddPathString(path.get(), wide.c_str(), length, family.get(), style, innerSize, &box,
                      format);
    for (auto [alpha, penWidth] : {std::pair{30, 4.0f}, std::pair{40, 2.0f}}) {
        UniquePen pen(MakePen(MakeArgb(glowColour, alpha), penWidth));
        if (pen) GdipDrawPath(canvas.get(), pen.get(), path.get());
    }
    const float x = rect.X, y = rect.Y;
    GdipDrawImageRectRect(graphics, image.get(), x, y, outer.Width + 2, outer.Height, 0, 0,
                          box.Width, box.Height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    GdipDrawImageRectRect(graphics, image.get(), x + 1, y + 2, outer.Width - 2, outer.Height - 4, 0,
                          0, box.Width, box.Height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
}

// --- Rectangles

void OffsetRectF(float dx, float dy, float dw, float dh, RectF& rect) {
    rect.X += dx;
    rect.Y += dy;
    rect.Width += dw;
    rect.Height += dh;
}

void SetBounds(float left, float top, float width, float height, RectF& bounds) {
    bounds = RectF(left, top, width, height);
}

void MakeRect(int left, int top, int width, int height, RECT& rect) {
    rect = RECT{left, top, left + width, top + height};
}

void BoundsToRect(const RectF& bounds, RECT& rect) {
    rect = RECT{static_cast<LONG>(bounds.X), static_cast<LONG>(bounds.Y),
                static_cast<LONG>(bounds.X + bounds.Width),
                static_cast<LONG>(bounds.Y + bounds.Height)};
}
