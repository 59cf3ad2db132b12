// MainWindow: the program's main top-level window, created from its fixed definition.
//
// A borderless pop-up (the skinned form draws frame and caption itself) with the minimise box
// and no maximise box, since its layout is fixed. The window reports its notifications to the
// handlers it is given; it owns nothing else.
#pragma once

#include <windows.h>

#include <functional>

class MainWindow {
public:
    static constexpr int kLeft = 50;
    static constexpr int kTop = 50;
    static constexpr int kWidth = 715;
    static constexpr int kHeight = 552;
    static const char kTitle[];  // GBK

    struct Handlers {
        std::function<void(HWND)> created;  // the start-up work
        std::function<void()> doubleClicked;
    };

    MainWindow() = default;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window; false when the window cannot be created.
    bool Create(HINSTANCE instance, Handlers handlers, int showCommand);
    HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Handlers handlers_;
};
