// Helpers for tests on a desktop whose window manager may move, cover or refuse: bringing a
// window to the front by asking again while the manager drops the request, and where a window
// asked to be created, which is what the program decides whatever the manager does after.
#pragma once

#include <windows.h>

#include <string>

namespace test {

// Makes `window` the foreground window, asking again while a busy window manager drops the
// request; false when it never became so.
bool BringToFront(HWND window);

// Where this thread's windows of one class asked to be created (screen coordinates), for the
// life of the object. Empty until such a window is created; the last one counts. One at a time.
class CreationPlace {
public:
    explicit CreationPlace(std::wstring className);
    ~CreationPlace();
    CreationPlace(const CreationPlace&) = delete;
    CreationPlace& operator=(const CreationPlace&) = delete;

    const RECT& Place() const { return place_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);

    std::wstring className_;
    RECT place_{};
    HHOOK hook_ = nullptr;
};

}  // namespace test
