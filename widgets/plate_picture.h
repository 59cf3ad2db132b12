// PlatePictures: a form's button plates, each drawn once and blended each time it shows again.
//
// A plate is two rounded outlines and a gradient, drawn by GDI+ paths; under Wine a path's
// outline is blended over its whole bounding box, which made the 32 genre buttons of the main
// window cost 20 ms at 150 % drawn one by one. A form's buttons share a handful of sizes and
// looks: each pair is drawn once into a premultiplied picture over transparency, and blending
// that picture gives the pixels drawing the plate over what lies behind it gives.
//
// A plate whose rectangle does not lie on whole pixels is drawn directly, every time. Window
// thread only; one per form.
#pragma once

#include <windows.h>

#include <vector>

#include "widgets/canvas.h"
#include "widgets/drawing.h"

class PlatePictures {
public:
    // Shows the plate DrawPlate would draw in `rect` of the canvas behind `dc` and `graphics`,
    // and returns the rectangle its gradient fills, as DrawPlate does. With `clip`, only its
    // part inside (a list's row half scrolled out; the graphics is clipped to it as well).
    RectF Paint(HDC dc, GpGraphics* graphics, const RectF& rect, float outerCorner,
                float innerCorner, const PlateLook& look, const Outline* underInner = nullptr,
                const RECT* clip = nullptr);
    // Lets every picture go (the form's scale changed: none will be asked for again).
    void Clear() { pictures_.clear(); }

private:
    // Everything a plate's pixels depend on.
    struct Key {
        int width = 0, height = 0;
        float outerCorner = 0, innerCorner = 0;
        PlateLook look{};
        bool highlighted = false;
        Outline highlight{};  // {} without
        bool operator==(const Key&) const = default;
    };
    struct Picture {
        Key key;
        Canvas canvas;  // premultiplied, the plate's own pixels over transparency
        RectF fill;     // what the gradient fills, from the picture's corner
    };

    const Picture* Find(const Key& key);
    const Picture* Draw(const Key& key);

    // The most recently used last; a form shows a few looks of a few sizes.
    static constexpr size_t kMaxPictures = 12;
    std::vector<Picture> pictures_;
};
