// Move-only owners for window-system, GDI and COM handles, and a guard that puts the previously
// selected GDI object back. Every handle a Windows floor creates lives in one of these (the
// toolkit adds its GDI+ ones in widgets/gdi_handles.h).
#pragma once

#include <windows.h>

#include <objidl.h>
#include <uxtheme.h>

#include <utility>

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

// The close functions, as static members so each stays on one line.
struct Close {
    static void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
    static void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }
    static void FreeGlobal(HGLOBAL memory) { GlobalFree(memory); }
    static void ReleaseUnknown(IUnknown* object) { object->Release(); }
    static void CloseTheme(HTHEME theme) { CloseThemeData(theme); }
    static void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
};

}  // namespace detail

using UniqueBitmap = detail::UniqueHandle<HBITMAP, detail::Close::DeleteGdiObject>;
using UniqueBrushGdi = detail::UniqueHandle<HBRUSH, detail::Close::DeleteGdiObject>;
using UniqueFontGdi = detail::UniqueHandle<HFONT, detail::Close::DeleteGdiObject>;
using UniqueRegion = detail::UniqueHandle<HRGN, detail::Close::DeleteGdiObject>;
using UniqueMemoryDc = detail::UniqueHandle<HDC, detail::Close::DeleteMemoryDc>;
using UniqueGlobal = detail::UniqueHandle<HGLOBAL, detail::Close::FreeGlobal>;
using UniqueStream = detail::UniqueHandle<IStream*, detail::Close::ReleaseUnknown>;
using UniqueTheme = detail::UniqueHandle<HTHEME, detail::Close::CloseTheme>;
using UniqueIcon = detail::UniqueHandle<HICON, detail::Close::DestroyIconHandle>;

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

// The whole screen's DC, released when it goes.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
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
