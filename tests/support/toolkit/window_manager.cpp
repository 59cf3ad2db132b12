#include "tests/support/toolkit/window_manager.h"

#include <utility>

#include "tests/support/toolkit/test_form.h"

namespace test {

bool BringToFront(HWND window) {
    return PumpUntil(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return false;
        },
        10000);
}

namespace {
CreationPlace* gCreationPlace = nullptr;  // the one recording (a thread hook has no context)
}

CreationPlace::CreationPlace(std::wstring className) : className_(std::move(className)) {
    gCreationPlace = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

CreationPlace::~CreationPlace() {
    if (hook_) UnhookWindowsHookEx(hook_);
    gCreationPlace = nullptr;
}

LRESULT CALLBACK CreationPlace::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && gCreationPlace) {
        wchar_t name[256] = L"";
        GetClassNameW(reinterpret_cast<HWND>(wParam), name, 256);
        if (gCreationPlace->className_ == name) {
            const CREATESTRUCTW& create = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            gCreationPlace->place_ = {create.x, create.y, create.x + create.cx,
                                      create.y + create.cy};
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace test
