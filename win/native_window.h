// NativeWindow<Derived>: the skeleton of the program's native windows. It registers the window
// class once, creates the window with the object as its owner, sets `window_` at WM_NCCREATE
// (so every handler, WM_CREATE's included, sees it) and clears it and the window's user data at
// WM_NCDESTROY, after the derived class has had the message. Every message in between goes to
// Derived::HandleMessage(HWND, UINT, WPARAM, LPARAM), which ends with DefWindowProcW for what
// it leaves alone.
//
// The derived class destroys its window in its own destructor (the skeleton cannot: by then the
// derived part is gone). Window thread only.
#pragma once

#include <windows.h>

#include "win/window_class.h"

// What CreateWindowExW is given besides the class, the owner and the instance.
struct WindowShape {
    DWORD exStyle = 0;
    DWORD style = 0;
    const wchar_t* title = L"";
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    HWND parent = nullptr;  // the parent or owner; HWND_MESSAGE for a message-only window
};

template <typename Derived>
class NativeWindow {
public:
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

protected:
    NativeWindow() = default;
    ~NativeWindow() = default;

    // Registers `windowClass` (its procedure is the skeleton's) and creates the window. False
    // when either fails; `window_` is then null.
    bool CreateNativeWindow(WindowClassSpec windowClass, const WindowShape& shape) {
        windowClass.procedure = WindowProc;
        if (!RegisterWindowClassOnce(windowClass)) return false;
        CreateWindowExW(shape.exStyle, windowClass.name, shape.title, shape.style, shape.left,
                        shape.top, shape.width, shape.height, shape.parent, nullptr,
                        windowClass.instance, static_cast<Derived*>(this));
        return window_ != nullptr;
    }

    HWND window_ = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            auto* self = static_cast<Derived*>(create->lpCreateParams);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->window_ = window;
        }
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        const LRESULT result = self->HandleMessage(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            self->window_ = nullptr;
        }
        return result;
    }
};
