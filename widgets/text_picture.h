// TextPicture: a text drawn once into a picture of its own, then blended onto a canvas each time
// it is shown again.
//
// GDI+ text is by far the dearest thing a widget draws (under Wine every string goes through the
// glyph rasteriser and a temporary bitmap), while most repaints show the same texts again: hover,
// press, scrolling, a new skin behind them. The picture holds only the text's own pixels,
// premultiplied over transparency, so blending it gives what drawing the text over whatever lies
// behind it now would give. It is drawn again only when the text, its style, or the size or
// sub-pixel offset of its rectangle changes; a move by whole pixels reuses it. A new text of the
// same reach is drawn into the same pixels (cleared first): making a DIB and the GDI+ objects on
// it costs about a fifth of drawing a text under Wine.
//
// Text that may wrap onto further lines, or is drawn with StringFormatFlagsNoClip, may reach far
// beyond its rectangle: it is drawn directly, every time (every widget draws single lines).
// Window thread only; one TextPicture per place a text is shown.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "widgets/canvas.h"
#include "widgets/drawing.h"
#include "widgets/gdi_handles.h"

class TextPicture {
public:
    // Shows `text` (GBK, or UTF-16) in `rect` of the canvas behind `dc` and `graphics` as
    // PaintText would draw it there, clipped to `clip` (coordinates of that canvas).
    void Paint(HDC dc, GpGraphics* graphics, const RectF& rect, std::string_view text,
               const TextStyle& style, const RECT& clip);
    void Paint(HDC dc, GpGraphics* graphics, const RectF& rect, std::wstring_view text,
               const TextStyle& style, const RECT& clip);
    // Lets the picture go (its memory too); the next Paint draws the text again.
    void Reset();

private:
    // Everything the picture's pixels depend on.
    struct Key {
        std::wstring text;
        GpFont* font = nullptr;
        COLORREF colour = 0;
        int alpha = 0, alignment = 0, trimming = 0, hotkeyPrefix = 0, formatFlags = 0, effect = 0;
        float width = 0, height = 0;  // of the laid-out area
        float fractionX = 0, fractionY = 0;
        bool operator==(const Key&) const = default;
    };

    // Draws the key's text into the picture; false when the picture could not be made.
    bool Render(GpGraphics* target, const TextLayout& layout, const TextStyle& style);
    // Empty pixels of this size with GDI+ drawing on them, reused when the size is unchanged.
    bool PrepareSurface(int width, int height);
    static void PaintDirectly(GpGraphics* graphics, const RectF& rect, std::wstring_view text,
                              const TextStyle& style, const RECT& clip);

    Key key_;
    bool valid_ = false;
    Canvas picture_;  // premultiplied: the text's own pixels over transparency
    // Where the picture's top-left lies from the laid-out area's whole-pixel corner, and the
    // part of the picture the text covers (empty: nothing to show).
    POINT origin_{};
    RECT ink_{};
};
