// Registering a window class once per process: the native-window skeleton's classes and the
// tests' own windows.
#pragma once

#include <windows.h>

struct WindowClassSpec {
    const wchar_t* name = nullptr;
    WNDPROC procedure = nullptr;  // the skeleton fills in its own
    HINSTANCE instance = nullptr;
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
