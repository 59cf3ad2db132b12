// What the program's three top-level windows share: registering their window class once per
// process, and finding the C++ object that owns a window from its window procedure.
#pragma once

#include <windows.h>

struct WindowClassSpec {
    const wchar_t* name;
    WNDPROC procedure;
    HINSTANCE instance;
    LPCWSTR cursor = IDC_ARROW;
    HBRUSH background = nullptr;
    UINT style = 0;
    bool programIcon = false;  // the executable's icon (resource 1)
};

// True when the class exists afterwards, also when an earlier call registered it. The icons are
// loaded only for the registration itself: a window created again and again (the game window)
// must not load a new small icon each time, which nothing would ever free.
inline bool RegisterWindowClassOnce(const WindowClassSpec& info) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(info.instance, info.name, &windowClass)) return true;
    windowClass.style = info.style;
    windowClass.lpfnWndProc = info.procedure;
    windowClass.hInstance = info.instance;
    windowClass.hCursor = LoadCursorW(nullptr, info.cursor);
    windowClass.hbrBackground = info.background;
    if (info.programIcon) {
        windowClass.hIcon = LoadIconW(info.instance, MAKEINTRESOURCEW(1));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(info.instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    }
    windowClass.lpszClassName = info.name;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The owner passed as CreateWindowEx's last argument, kept in GWLP_USERDATA from WM_NCCREATE
// on; nullptr for the few messages before it.
template <typename Owner>
Owner* WindowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
