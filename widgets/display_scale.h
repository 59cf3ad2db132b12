// DisplayScale: the one rule by which a design value, written for 96 dpi, becomes pixels of a
// window at its own DPI. Every position, size and font of the layout is a 96-dpi value; the form
// knows its window's DPI (GetDpiForWindow where Windows has it, refreshed on WM_DPICHANGED) and
// widgets and the windows of the application ask it.
//
// Rectangles scale by their edges, not their sizes: each edge is rounded to the nearest pixel,
// so two rectangles that meet at 96 dpi still meet at 125 % or 175 % (neither a gap nor an
// overlap), and a size is the difference of its scaled edges. At 96 dpi every value is itself.
//
// Also here: the system's metrics and non-client fonts for a DPI (the ...ForDpi functions where
// the system has them, else the system DPI's values scaled), for the native controls.
#pragma once

#include <windows.h>

#include "widgets/gdiplus_flat.h"

class DisplayScale {
public:
    static constexpr int kDesignDpi = 96;

    constexpr DisplayScale() = default;
    explicit constexpr DisplayScale(int dpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}

    // The DPI of `window` (its monitor's under per-monitor awareness), else the system's.
    static DisplayScale ForWindow(HWND window);
    static DisplayScale ForSystem();

    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsDesign() const { return dpi_ == kDesignDpi; }
    constexpr double Factor() const { return static_cast<double>(dpi_) / kDesignDpi; }

    // A design coordinate (or a length measured from 0) in pixels, rounded to the nearest, a
    // half away from zero.
    constexpr int Px(int design) const {
        const long long scaled = static_cast<long long>(design) * dpi_;
        return static_cast<int>(scaled >= 0 ? (scaled + kDesignDpi / 2) / kDesignDpi
                                            : (scaled - kDesignDpi / 2) / kDesignDpi);
    }
    // The same for a whole-numbered design value held as a float (corners, insets).
    float Px(float design) const;
    // A length starting at design coordinate `at`: the difference of its scaled edges.
    constexpr int Span(int at, int length) const { return Px(at + length) - Px(at); }
    // A design rectangle (left, top, width, height) by its edges.
    RECT Rect(int x, int y, int width, int height) const;
    RectF Bounds(const RectF& design) const;
    // A font's em size in pixels: scaled smoothly, not rounded.
    float Font(float designPixels) const { return static_cast<float>(designPixels * Factor()); }
    // Pixels back to design units (remembered sizes are kept at 96 dpi), rounded.
    constexpr int Design(int pixels) const {
        const long long scaled = static_cast<long long>(pixels) * kDesignDpi;
        return static_cast<int>(scaled >= 0 ? (scaled + dpi_ / 2) / dpi_
                                            : (scaled - dpi_ / 2) / dpi_);
    }

    constexpr bool operator==(const DisplayScale&) const = default;

private:
    int dpi_ = kDesignDpi;
};

// GetSystemMetrics for this scale's DPI (GetSystemMetricsForDpi, else the system value scaled
// from the system DPI).
int SystemMetricForScale(int index, const DisplayScale& scale);
// SPI_GETNONCLIENTMETRICS for this scale's DPI (SystemParametersInfoForDpi, else the system
// DPI's fonts scaled); false when neither answers.
bool NonClientMetricsForScale(NONCLIENTMETRICSW& metrics, const DisplayScale& scale);
