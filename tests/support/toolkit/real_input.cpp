#include "tests/support/toolkit/real_input.h"

#include <cstdint>
#include <fstream>

#include "tests/support/toolkit/images.h"
#include "tests/support/toolkit/test_form.h"
#include "widgets/canvas.h"

namespace test {

void RealInput::MoveTo(int x, int y) {
    POINT screen{x, y};
    ClientToScreen(window_, &screen);
    // Absolute coordinates are 0..65535 over the primary screen.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input);
}

void RealInput::Button(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(input);
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
    Send(input);
}

void RealInput::Send(INPUT& input) const {
    SendInput(1, &input, sizeof(input));
    PumpMessages(pump_);
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
