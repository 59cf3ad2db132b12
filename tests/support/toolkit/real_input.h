// Real input and screenshots for demonstration tests: the pointer, the left button and the
// wheel go through SendInput, the system's input queue, as a user's would; after each event
// the test's messages are pumped until the mouse message it makes has been handled.
#pragma once

#include <windows.h>

#include <string>

namespace test {

class RealInput {
public:
    explicit RealInput(HWND window) : window_(window) {}

    void MoveTo(int x, int y);   // a client point of the window
    void Button(bool down);      // the left button
    void Click(int x, int y);    // move there, press and release
    void WheelNotch(int delta);  // one wheel turn; positive away from the user

private:
    // Sends `input` and pumps until this thread has taken `message` (at `at`, a screen point,
    // when given) from its queue and handled it; gives up after a generous deadline, when the
    // event went elsewhere (another window in the way), leaving the test's checks to tell.
    static void Send(INPUT& input, UINT message, const POINT* at = nullptr);

    HWND window_;
};

// Saves what the window's client area shows as a PNG in the temporary folder under `name`;
// returns the full path, empty on failure.
std::wstring SaveWindowScreenshot(HWND window, const std::wstring& name);

}  // namespace test
