// Demonstration: the game list on a window of the main window's size and place in it, filled
// with sample rows and driven with real input (SendInput: the pointer moves, the button and the
// wheel go through the system's input queue as a user's would). It hovers, clicks, scrolls with
// the wheel and drags the thumb, checks each step on the list's state, and saves a screenshot
// of the window to %TEMP%\zentori-list-demo.png for a person to look at.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/widgets/list_control_fixture.h"

namespace {

// Real input at a point of the form window.
class UserInput {
public:
    explicit UserInput(HWND window) : window_(window) {}

    void MoveTo(int x, int y) {
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
    void Button(bool down) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        Send(input);
    }
    void Click(int x, int y) {
        MoveTo(x, y);
        Button(true);
        Button(false);
    }
    void WheelNotch(int delta) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.mouseData = static_cast<DWORD>(delta);
        input.mi.dwFlags = MOUSEEVENTF_WHEEL;
        Send(input);
    }

private:
    static void Send(INPUT& input) {
        SendInput(1, &input, sizeof(input));
        test::PumpMessages(40);
    }
    HWND window_;
};

bool SaveScreenshot(HWND window, const std::wstring& path) {
    RECT client;
    GetClientRect(window, &client);
    Canvas shot;
    if (!shot.Create(nullptr, client.right, client.bottom, true)) return false;
    HDC dc = GetDC(window);
    BitBlt(shot.Dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
    const std::string png = test::EncodeImage(
        client.right, client.bottom, test::ImageFormat::kPng, [&](GpGraphics* graphics) {
            GpBitmap* bitmap = nullptr;
            auto* pixels = reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(shot.Row(0)));
            if (GdipCreateBitmapFromScan0(client.right, client.bottom, client.right * 4,
                                          PixelFormat32bppRGB, pixels, &bitmap) != Gdiplus::Ok) {
                return;
            }
            UniqueImage image(bitmap);
            GdipDrawImageI(graphics, image.get(), 0, 0);
        });
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = fwrite(png.data(), 1, png.size(), file) == png.size();
    fclose(file);
    return written && !png.empty();
}

class ListDemoTest : public list_test::ListFixture {};

TEST_F(ListDemoTest, SampleRowsCanBeHoveredClickedScrolledAndDragged) {
    ListControl list;
    list_test::CreateApplicationList(list, Window());
    std::vector<int> activations;
    list.SetOnActivate([&](int row) { activations.push_back(row); });
    list_test::FillRows(list, 60);
    SetForegroundWindow(Window());
    test::PumpMessages(100);
    UserInput user(Window());

    // Hover the third row, then click the second.
    const POINT third = list_test::PointOnRow(list, 3);
    user.MoveTo(third.x, third.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.HoverSlot() == 3; }, 2000))
        << "hover slot " << list.HoverSlot();
    const POINT second = list_test::PointOnRow(list, 2);
    user.Click(second.x, second.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.SelectedRow() == 2; }, 2000));
    EXPECT_EQ(activations, std::vector<int>{2});

    // Two wheel notches towards the user: six rows further down.
    for (int notch = 0; notch < 2; ++notch)
        user.WheelNotch(-WHEEL_DELTA);
    ASSERT_TRUE(test::PumpUntil([&] { return list.VisibleItems().front().row >= 7; }, 2000))
        << "first row " << list.VisibleItems().front().row;

    // Drag the thumb: the first move with the button held takes hold of it, the thumb then
    // follows the pointer.
    const RECT& bar = list.ScrollBarRect();
    const int barX = (bar.left + bar.right) / 2;
    const int grabY = static_cast<int>(list.Scroll().thumbPosition) + 5;
    user.MoveTo(barX, grabY);
    user.Button(true);
    user.MoveTo(barX, grabY + 1);
    ASSERT_TRUE(list.Dragging());
    const double grabbed = list.Scroll().thumbPosition;
    for (int step = 10; step <= 60; step += 10)
        user.MoveTo(barX, grabY + 1 + step);
    user.Button(false);
    EXPECT_EQ(list.Scroll().thumbPosition, grabbed + 60);
    EXPECT_FALSE(list.Dragging());
    EXPECT_EQ(list.SelectedRow(), 2) << "letting go of the thumb is no click";

    // Select a row on the new page and leave the pointer over another, so the screenshot shows
    // a selected and a hovered row.
    const int chosen = list.VisibleItems().at(3).row;
    const POINT target = list_test::PointOnRow(list, chosen);
    user.Click(target.x, target.y);
    ASSERT_TRUE(test::PumpUntil([&] { return list.SelectedRow() == chosen; }, 2000));
    EXPECT_EQ(activations, (std::vector<int>{2, chosen}));
    const POINT other = list_test::PointOnRow(list, chosen + 3);
    user.MoveTo(other.x - 200, other.y);
    test::PumpMessages(200);
    EXPECT_EQ(list.HoverSlot(), 7);

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"zentori-list-demo.png";
    EXPECT_TRUE(SaveScreenshot(Window(), path));
    printf("screenshot: %ls\n", path.c_str());
}

}  // namespace
