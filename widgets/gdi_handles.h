// Move-only owners for GDI, GDI+ and window-system handles, and a guard that puts the
// previously selected GDI object back. Every handle the toolkit creates lives in one of these.
#pragma once

#include <memory>
#include <utility>

#include "widgets/gdiplus_flat.h"

namespace detail {

template <typename Handle, auto Close>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    Handle release() { return std::exchange(handle_, Handle{}); }
    void reset(Handle handle = Handle{}) {
        if (handle_ != Handle{}) Close(handle_);
        handle_ = handle;
    }
    // For creation functions with an out parameter: GdipCreatePen1(..., pen.out()).
    Handle* out() {
        reset();
        return &handle_;
    }

private:
    Handle handle_{};
};

inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
inline void DeleteGraphics(GpGraphics* graphics) { GdipDeleteGraphics(graphics); }
inline void DeletePen(GpPen* pen) { GdipDeletePen(pen); }
inline void DeleteBrush(GpBrush* brush) { GdipDeleteBrush(brush); }
inline void DeleteFont(GpFont* font) { GdipDeleteFont(font); }
inline void DeleteFontFamily(GpFontFamily* family) { GdipDeleteFontFamily(family); }
inline void DisposeImage(GpImage* image) { GdipDisposeImage(image); }
inline void DeletePath(GpPath* path) { GdipDeletePath(path); }
inline void DeleteStringFormat(GpStringFormat* format) { GdipDeleteStringFormat(format); }

}  // namespace detail

using UniqueBitmap = detail::UniqueHandle<HBITMAP, detail::DeleteGdiObject>;
using UniqueBrushGdi = detail::UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using UniqueRegion = detail::UniqueHandle<HRGN, detail::DeleteGdiObject>;
using UniqueMemoryDc = detail::UniqueHandle<HDC, detail::DeleteMemoryDc>;
using UniqueGraphics = detail::UniqueHandle<GpGraphics*, detail::DeleteGraphics>;
using UniquePen = detail::UniqueHandle<GpPen*, detail::DeletePen>;
using UniqueBrush = detail::UniqueHandle<GpBrush*, detail::DeleteBrush>;
using UniqueFont = detail::UniqueHandle<GpFont*, detail::DeleteFont>;
using UniqueFontFamily = detail::UniqueHandle<GpFontFamily*, detail::DeleteFontFamily>;
using UniqueImage = detail::UniqueHandle<GpImage*, detail::DisposeImage>;
using UniquePath = detail::UniqueHandle<GpPath*, detail::DeletePath>;
using UniqueStringFormat = detail::UniqueHandle<GpStringFormat*, detail::DeleteStringFormat>;

// GetDC of a window, released with ReleaseDC.
class WindowDc {
public:
    WindowDc() = default;
    explicit WindowDc(HWND window) : window_(window), dc_(window ? GetDC(window) : nullptr) {}
    WindowDc(WindowDc&& other) noexcept
        : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { reset(); }

    HDC get() const { return dc_; }
    void reset() {
        if (dc_) ReleaseDC(window_, dc_);
        window_ = nullptr;
        dc_ = nullptr;
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// Selects an object into a DC for the guard's lifetime and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (previous_) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
