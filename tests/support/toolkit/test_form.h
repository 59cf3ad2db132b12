// Test helpers for windows and skinned forms: a real top-level test window that records the
// messages reaching its own procedure (after the form's subclass), a TestForm that attaches a
// SkinForm to one, message pumping with a deadline, the mouse at client points (the real cursor
// is moved there too, so leave tracking and GetCursorPos agree), and pixel reading from the
// form's buffers and the window.
//
// Everything runs on the test's thread, which owns the windows. Widgets are placed on a TestForm
// like on the main window: create the form, then the widgets with form.Handle() as parent.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/toolkit/images.h"
#include "widgets/skin_form.h"

namespace test {

struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class TestWindow {
public:
    struct Options {
        int x = 40, y = 40, width = 320, height = 240;
        DWORD style = WS_POPUP | WS_MINIMIZEBOX;
        bool show = true;
        // WM_CLOSE and WM_SYSCOMMAND are recorded and not carried out.
        bool swallowCommands = true;
        std::wstring title = L"测试窗口";
    };

    explicit TestWindow(const Options& options);
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow();  // destroys the window if it still exists

    HWND Handle() const { return window_; }
    void Destroy();

    // Messages the window's own procedure received, oldest first: WM_CLOSE, WM_SYSCOMMAND,
    // WM_LBUTTONDBLCLK, WM_SIZE, WM_NCLBUTTONDOWN and the mouse messages.
    const std::vector<SeenMessage>& Seen() const { return seen_; }
    void ClearSeen() { seen_.clear(); }
    // How many of `message` were seen (with this wParam, when given).
    int CountSeen(UINT message) const;
    int CountSeen(UINT message, WPARAM wParam) const;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    bool swallowCommands_ = true;
    std::vector<SeenMessage> seen_;
};

// A test window with a SkinForm attached (starts GDI+ first).
class TestForm {
public:
    struct Options {
        TestWindow::Options window;
        SkinFormOptions form{.captionMode = 0};  // no caption buttons unless asked for
        std::string skinPath;  // GBK; empty: no picture, only the background colour
    };

    explicit TestForm(const Options& options);
    TestForm() : TestForm(Options{}) {}

    HWND Handle() const { return window_.Handle(); }
    TestWindow& Window() { return window_; }
    SkinForm& Form() { return *form_; }
    const SkinForm& Form() const { return *form_; }
    // The window goes (WM_DESTROY through the form), the SkinForm object stays.
    void DestroyWindow() { window_.Destroy(); }

    // Pixels (COLORREF) of the screen buffer, the background buffer and the window itself.
    COLORREF ScreenPixel(int x, int y) const;
    COLORREF BackgroundPixel(int x, int y) const;
    COLORREF WindowPixel(int x, int y) const;
    PixelSource Screen() const;
    PixelSource Background() const;
    PixelSource OnWindow() const;

private:
    // The window goes first, as in the program: its WM_DESTROY reaches the form.
    std::unique_ptr<SkinForm> form_;
    TestWindow window_;
};

// A skin picture of one colour in a temporary file, and forms of its size on it: what a widget
// draws is then told from the skin by colour alone.
class SolidSkin {
public:
    SolidSkin(COLORREF colour, int width, int height, std::wstring_view name);

    COLORREF Colour() const { return colour_; }
    const TempFile& File() const { return file_; }
    // A form of the picture's size with this skin; the rest as `options` say.
    std::unique_ptr<TestForm> MakeForm(TestForm::Options options = {}) const;
    std::unique_ptr<TestForm> MakeForm(int widgetFade) const;

private:
    COLORREF colour_;
    int width_, height_;
    TempFile file_;
};

// A colour no widget draws, and a patch of it painted straight into a form's screen buffer and
// onto its window: a later check tells whether a widget repainted (erased) that spot.
constexpr COLORREF kMarker = 0xFF00FF;
void Scribble(const TestForm& form, const RECT& rect);
bool HasMarker(const PixelSource& source, const RECT& rect);

// Dispatches messages of this thread for `milliseconds`.
void PumpMessages(int milliseconds);
// Dispatches messages until `done` holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMilliseconds = 3000);

// Dispatches this thread's messages until `count` messages for which `counts` holds went
// through, calling `afterEach` after each of them; returns how many did. The deadline is only
// reached when they are missing (a busy machine may delay each by far more than its interval).
using MessageTest = std::function<bool(const MSG& message)>;
int PumpCounting(const MessageTest& counts, int count, const std::function<void()>& afterEach = {},
                 int timeoutMilliseconds = 20000);
// For PumpCounting: a tick of the timer `timerId` of `window`.
MessageTest TimerTick(HWND window, UINT_PTR timerId);

// Works the pop-up menus a test opens, from a thread timer that runs while the watcher lives
// (also inside a menu's own modal loop): each menu window, once it shows, goes to `onOpen`. A
// menu still open long after that is closed, so a test never hangs in its loop.
class MenuWatcher {
public:
    explicit MenuWatcher(std::function<void(HWND menuWindow)> onOpen);
    MenuWatcher(const MenuWatcher&) = delete;
    MenuWatcher& operator=(const MenuWatcher&) = delete;
    ~MenuWatcher();

    int MenusSeen() const { return seen_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    static inline MenuWatcher* current_ = nullptr;  // the one live watcher
    std::function<void(HWND)> onOpen_;
    UINT_PTR timer_ = 0;
    HWND handled_ = nullptr;  // the menu window shown now, already given to onOpen
    int ticksOpen_ = 0;
    int seen_ = 0;
};

// Mouse at a client point of `window`: the cursor goes there, then the message is sent (x low
// and y high word of lParam, as the system sends it).
void PlaceCursor(HWND window, int x, int y);
void PlaceCursorAway();  // the bottom-right corner of the screen, away from test windows
// Puts the cursor away on construction (and pumps briefly): a fixture member declared before
// its forms, so the windows are not created under the pointer and get no stray mouse moves.
struct CursorAway {
    CursorAway();
};
LRESULT SendMouse(HWND window, UINT message, int x, int y);
void Click(HWND window, int x, int y);  // WM_LBUTTONDOWN then WM_LBUTTONUP at the point

}  // namespace test
