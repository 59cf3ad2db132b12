// Real input and screenshots for demonstration tests: the pointer, the left button and the
// wheel go through SendInput, the system's input queue, as a user's would; after each event
// the test's messages are pumped for a while so the windows handle it.
#pragma once

#include <windows.h>

#include <string>

namespace test {

class RealInput {
public:
    RealInput(HWND window, int pumpMilliseconds) : window_(window), pump_(pumpMilliseconds) {}

    void MoveTo(int x, int y);   // a client point of the window
    void Button(bool down);      // the left button
    void Click(int x, int y);    // move there, press and release
    void WheelNotch(int delta);  // one wheel turn; positive away from the user

private:
    void Send(INPUT& input) const;

    HWND window_;
    int pump_;
};

// Saves what the window's client area shows as a PNG in the temporary folder under `name`;
// returns the full path, empty on failure.
std::wstring SaveWindowScreenshot(HWND window, const std::wstring& name);

}  // namespace test
