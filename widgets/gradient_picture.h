// GradientPicture: a translucent top-to-bottom gradient across a band (the list's header), kept as
// one premultiplied column of pixels and stretched across the band each time it shows.
//
// GDI+ under Wine fills a translucent gradient pixel by pixel into a buffer of the band's size
// and blends that: the list's header took 1.2 ms of each redraw at 200 %. The colours change only
// from top to bottom, so one column, drawn by GDI+ once per size and colour, holds them all.
// Window thread only; one per place a gradient is shown.
#pragma once

#include <windows.h>

#include "widgets/canvas.h"
#include "widgets/drawing.h"

class GradientPicture {
public:
    // Shows what FillAlphaGradient(graphics, rect, colour, alphaTop, alphaBottom, vertical) draws
    // on the canvas behind `dc` and `graphics`.
    void Paint(HDC dc, GpGraphics* graphics, const RectF& rect, COLORREF colour, int alphaTop,
               int alphaBottom);

private:
    struct Key {
        int width = 0, height = 0;
        COLORREF colour = 0;
        int alphaTop = 0, alphaBottom = 0;
        bool operator==(const Key&) const = default;
    };

    Key key_;
    Canvas column_;  // premultiplied, one pixel wide: the gradient over transparency
};
