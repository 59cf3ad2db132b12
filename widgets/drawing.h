// Drawing resources and helpers shared by every widget: the process-wide GDI+ start-up, the
// default pen, brush and font, colour conversion, fonts, GBK <-> UTF-16 for GDI+, and small
// drawing helpers (rectangles, gradients, frames, rounded outlines, clipping, text effects).
//
// All helpers run on the window thread and hold no state beyond the globals below, which
// StartGraphics sets once before any widget exists. Handles returned by MakePen, MakeBrush and
// MakeFont belong to the caller.
//
// Sections: globals and start-up; colours; fonts; text conversion; shapes; text.
#pragma once

#include <string>
#include <string_view>

#include "widgets/gdiplus_flat.h"

// --- Globals set once by StartGraphics and never released (GDI+ stays up until exit).
extern ULONG_PTR GdiplusToken;
extern GpPen* DefaultPen;
extern GpBrush* DefaultBrush;
extern GpFont* DefaultFont;  // never deleted by a widget
extern int OsMajorVersion;

// Starts GDI+ and creates the defaults; returns the token (0 when GDI+ cannot start). A second
// call returns the first token and changes nothing.
ULONG_PTR StartGraphics(UINT32 version = 1);
// StartGraphics without the default font, which StartGraphics adds later. Pictures can be
// decoded after this; making the font is the display's first use, a good part of a start.
ULONG_PTR StartGraphicsEngine(UINT32 version = 1);

// --- Colours: a COLORREF (red in the low byte; the top byte is ignored) plus a separate alpha.
ARGB MakeArgb(COLORREF colour, int alpha = 255);  // alpha is clamped to 0..255
void SplitRgb(ARGB value, int& red, int& green, int& blue);
// Light: at least two of red, green and blue are 126 or more. Decides shadow and title colours.
bool IsLightColour(ARGB value);
// The shadow or glow colour for text of this colour: black for light text, white otherwise.
COLORREF ContrastColour(ARGB text);
COLORREF ArgbToColorref(ARGB value);

GpPen* MakePen(ARGB colour, float width, int unit = 0);  // 0 when GDI+ fails
GpBrush* MakeBrush(ARGB colour);                         // 0 when GDI+ fails

// --- Fonts. Sizes are pixel heights of the em.
// Face of the system's menu (1), caption (2) or message (3) font; empty on failure or for any
// other value.
std::string SystemFontFace(int which = 1);
GpFont* MakeFont(std::string_view face, float sizePixels, int style);  // 0 for an unknown face
// The face all text is drawn in unless a widget asks for another that exists: the system menu
// font's face when it is installed, else the best installed face (installed_fonts.h). Resolved
// once, on the first call after StartGraphics (empty before); the native controls use it too.
const std::wstring& DefaultFontFace();
// MakeFont, falling back to DefaultFontFace() and then the generic sans-serif family when GDI+
// cannot create the face; 0 only when none of them exists.
GpFont* MakeFontWithFallback(std::string_view face, float sizePixels, int style);
// DefaultFontFace() at 12 pixels, regular.
GpFont* MakeDefaultFont();
std::string FontFace(GpFont* font);                    // empty for a null font
float FontHeight(GpGraphics* graphics, GpFont* font);  // line spacing in pixels; 0 on failure

// --- GBK <-> UTF-16 with code page 936, whatever the system locale. ToWide's result holds the
// terminating NUL as its last unit (an empty text gives one NUL unit), so its size() is the
// text length + 1; conversion stops at the first NUL byte. FromWide stops at the first NUL unit.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

// --- Shapes.
bool FillRectF(GpGraphics* graphics, GpBrush* brush, float x, float y, float width, float height);
// Whether the rectangle's edges all lie on whole pixels (kept pictures are shown only there).
bool OnWholePixels(const RectF& rect);
// Linear gradient of one colour between two alphas across `rect`; mode: 0 horizontal,
// 1 vertical, 2 forward diagonal, 3 backward diagonal. With `part`, only that part of `rect` is
// filled (with the same pixels as there when the whole is filled).
void FillAlphaGradient(GpGraphics* graphics, const RectF& rect, COLORREF colour, int alphaFrom,
                       int alphaTo, int mode = 1, const RectF* part = nullptr);
inline void FillAlphaGradient(GpGraphics* graphics, const RectF& rect, int alpha) {
    FillAlphaGradient(graphics, rect, 0xFFFFFF, alpha, alpha);
}

// Frame styles: 2 raised, 3 sunken, 4 flat (in colour); anything else draws nothing.
enum FrameStyle { kFrameNone = 0, kFrameRaised = 2, kFrameSunken = 3, kFrameFlat = 4 };
void DrawFrame(GpGraphics* graphics, const RectF& rect, int style, COLORREF colour = 0x646464,
               int alpha = 255);
// The keyboard focus look of a widget: a ring inside `rect` of a white line around a black
// one, so that one of the two stands out on any skin; each line `lineWidth` pixels wide. Drawn
// on `dc` only within `clip`, after what `graphics` (drawing on the same pixels) holds.
void DrawFocusRing(HDC dc, GpGraphics* graphics, const RECT& rect, int lineWidth, const RECT& clip);
// Rounded outline; `corner` is the arc box size (a diameter).
void DrawRoundRect(GpGraphics* graphics, const RectF& rect, float corner, COLORREF colour,
                   int alpha);

// The plate of buttons and list items: a rounded outer outline, a rounded inner outline one
// pixel in and a vertical alpha gradient one more pixel in. Alphas 0..255; an alpha of 0 draws
// nothing visible.
struct Outline {
    COLORREF colour;
    int alpha;
    bool operator==(const Outline&) const = default;
};
struct PlateLook {
    Outline outer;
    Outline inner;
    COLORREF fillColour;
    int fillAlphaTop;
    int fillAlphaBottom;
    bool operator==(const PlateLook&) const = default;
};
// Draws the plate over `rect`; `underInner` is one more outline drawn just before the inner one
// (a button's hover highlight). Returns the rectangle the gradient filled.
RectF DrawPlate(GpGraphics* graphics, const RectF& rect, float outerCorner, float innerCorner,
                const PlateLook& look, const Outline* underInner = nullptr);

void SetClip(GpGraphics* graphics, const RectF& rect);
void ResetClip(GpGraphics* graphics);

// --- Text.
// How every widget text is rendered: greyscale anti-aliasing fitted to the pixel grid, set on
// each graphics the widgets draw on, so that a text cached in a picture and one drawn directly
// give the same pixels on any system. The system's default is ClearType where the user has it
// on, and ClearType drawn into a transparent picture blends to dark fringes.
constexpr Gdiplus::TextRenderingHint kWidgetTextRendering =
    Gdiplus::TextRenderingHintAntiAliasGridFit;
void UseWidgetTextRendering(GpGraphics* graphics);

enum TextEffect {
    kEffectNone = 0,
    kEffectShadowUpLeft = 1,
    kEffectShadowDownRight = 2,
    kEffectGlow = 3
};

// How a widget draws its text. Alignment 0/1/2: near/centre/far at the top; 3/4/5: the same
// horizontally and centred vertically on one line of the font's height.
struct TextStyle {
    GpFont* font = nullptr;  // nullptr: DefaultFont
    COLORREF colour = 0x000000;
    int alpha = 255;
    int alignment = 0;
    int trimming = 0;
    int hotkeyPrefix = 0;
    int formatFlags = 0;
    int effect = kEffectNone;
};

// The text band of alignments 3..5: one line of the font's height (truncated to whole pixels),
// centred in `rect` and raised by one pixel.
RectF TextLineRect(const RectF& rect, float fontHeight);

// Where PaintText draws: the rectangle with alignment 0..2, or for 3..5 the centred line
// (TextLineRect of the font's height on `graphics`) with the same horizontal alignment 0..2.
struct TextLayout {
    RectF area;
    int alignment;
};
TextLayout LayOutText(const RectF& rect, GpGraphics* graphics, const TextStyle& style);
// The second half of PaintText: the effect, then the text, in a laid-out area.
void DrawLaidOutText(const TextLayout& layout, GpGraphics* graphics, std::wstring_view text,
                     const TextStyle& style);

// Where DrawLaidOutText may put the pixels of a text that does not wrap: around the laid-out
// area and one line of the font, and for a glow around the whole unlimited text.
RectF TextReach(const TextLayout& layout, GpGraphics* graphics, std::wstring_view text,
                const TextStyle& style);

// How wide PaintText draws a text (GBK) on one line in this style: 0 when it cannot tell.
float MeasureTextWidth(GpGraphics* graphics, std::string_view text, const TextStyle& style);

// Text in GBK, or already in UTF-16 (the window title).
void PaintText(const RectF& rect, GpGraphics* graphics, std::string_view text,
               const TextStyle& style);
void PaintText(const RectF& rect, GpGraphics* graphics, std::wstring_view text,
               const TextStyle& style);
void PaintGlowText(const RectF& rect, GpGraphics* graphics, std::wstring_view text,
                   GpStringFormat* format, GpFont* font, COLORREF glowColour, float glowSize = 5);

// --- Rectangles.
void OffsetRectF(float dx, float dy, float dw, float dh, RectF& rect);
void SetBounds(float left, float top, float width, float height, RectF& bounds);
void MakeRect(int left, int top, int width, int height, RECT& rect);
inline RECT MakeRect(int left, int top, int width, int height) {
    RECT rect;
    MakeRect(left, top, width, height, rect);
    return rect;
}
void BoundsToRect(const RectF& bounds, RECT& rect);
inline int LoWord(LPARAM value) {
    return static_cast<int>(value & 0xFFFF);
}
inline int HiWord(LPARAM value) {
    return static_cast<int>(static_cast<INT32>(value) >> 16);
}
