#include "tests/support/toolkit/real_input.h"

#include <cstdint>
#include <fstream>

#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"
#include "widgets/canvas.h"

namespace test {

namespace {

// The mouse message RealInput waits for; a thread hook has no context of its own.
struct Awaited {
    UINT message;
    UINT alternative;  // a press may come as a double-click
    const POINT* at;
    bool seen = false;
};
Awaited* gAwaited = nullptr;

// Called as this thread takes a mouse message from its queue, before it is dispatched.
LRESULT CALLBACK SeeMouseMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && gAwaited &&
        (wParam == gAwaited->message || wParam == gAwaited->alternative)) {
        const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
        if (!gAwaited->at || (pt.x == gAwaited->at->x && pt.y == gAwaited->at->y)) {
            gAwaited->seen = true;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void RealInput::MoveTo(int x, int y) {
    POINT screen{x, y};
    ClientToScreen(window_, &screen);
    // Absolute coordinates are 0..65535 over the primary screen.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input, WM_MOUSEMOVE, &screen);
}

void RealInput::Button(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(input, down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
}

void RealInput::Click(int x, int y) {
    MoveTo(x, y);
    Button(true);
    Button(false);
}

void RealInput::WheelNotch(int delta) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.mouseData = static_cast<DWORD>(delta);
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    Send(input, WM_MOUSEWHEEL);
}

void RealInput::Send(INPUT& input, UINT message, const POINT* at) {
    Awaited awaited{message, message == WM_LBUTTONDOWN ? WM_LBUTTONDBLCLK : message, at};
    gAwaited = &awaited;
    const HHOOK hook = SetWindowsHookExW(WH_MOUSE, SeeMouseMessage, nullptr, GetCurrentThreadId());
    SendInput(1, &input, sizeof(input));
    PumpUntil([&] { return awaited.seen; }, 5000);
    if (hook) UnhookWindowsHookEx(hook);
    gAwaited = nullptr;
}

std::wstring SaveWindowScreenshot(HWND window, const std::wstring& name) {
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    Canvas shot;
    if (!shot.Create(nullptr, width, height, true)) return {};
    HDC windowDc = GetDC(window);
    BitBlt(shot.Dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
    ReleaseDC(window, windowDc);
    GdiFlush();
    // Top-down rows, one after the other: the canvas's pixels make a bitmap as they are.
    GpBitmap* pixels = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                  reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(shot.Row(0))),
                                  &pixels) != Gdiplus::Ok) {
        return {};
    }
    UniqueImage image(pixels);
    const std::string png =
        EncodeImage(width, height, ImageFormat::kPng, [&](GpGraphics* graphics) {
            GdipDrawImageRectI(graphics, image.get(), 0, 0, width, height);
        });
    if (png.empty()) return {};
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    std::ofstream file(path.c_str(), std::ios::binary);
    file.write(png.data(), static_cast<std::streamsize>(png.size()));
    return file ? path : std::wstring();
}

}  // namespace test
