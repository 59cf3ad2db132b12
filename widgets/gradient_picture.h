// GradientPicture: a translucent gradient that changes only down or only across a band (the
// list's header, the skin's fading edges), kept as one line of premultiplied pixels and
// stretched over the band each time it shows.
//
// GDI+ under Wine fills a translucent gradient pixel by pixel into a buffer of the band's size
// and blends that: the list's header took 1.2 ms of each redraw at 200 %, the skin's two fading
// edges 2.5 ms of the start at 150 %. One line, drawn by GDI+ once per size and colour, holds
// every colour the band shows. Window thread only; one per place a gradient is shown.
#pragma once

#include <windows.h>

#include "widgets/canvas.h"
#include "widgets/drawing.h"

class GradientPicture {
public:
    // Shows what FillAlphaGradient(graphics, band, colour, alphaFrom, alphaTo, mode, part) draws
    // on the canvas behind `dc` and `graphics` (mode 0 across, 1 down).
    void Paint(HDC dc, GpGraphics* graphics, const RectF& band, COLORREF colour, int alphaFrom,
               int alphaTo, int mode, const RectF* part = nullptr);

private:
    struct Key {
        int width = 0, height = 0;
        COLORREF colour = 0;
        int alphaFrom = 0, alphaTo = 0, mode = 0;
        bool operator==(const Key&) const = default;
    };

    Key key_;
    Canvas line_;  // premultiplied, one pixel high or wide: the gradient over transparency
};
