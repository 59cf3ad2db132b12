// Shared by the ListControl tests, benchmark and demonstration: a main-window-sized skinned form
// whose skin is one known colour, the application's game list on it, sample rows, an image
// provider that paints solid blocks and records its calls, real mouse input at form points, and
// pixel snapshots of the form's screen buffer and of the window.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/main_window_places.h"
#include "tests/support/toolkit/test_form.h"
#include "widgets/gdi_handles.h"
#include "widgets/list_control.h"

namespace list_test {

namespace places = main_window_places;
constexpr int kFormWidth = places::kWindowSize[0];  // the main window
constexpr int kFormHeight = places::kWindowSize[1];
constexpr COLORREF kSkinColour = RGB(30, 60, 120);  // the form colour the list draws states in
// The application's list.
constexpr int kListLeft = places::kGameList[0], kListTop = places::kGameList[1],
              kListWidth = places::kGameList[2], kListHeight = places::kGameList[3];

// A skin picture of one colour, so the form colour (sampled from the skin) is known.
inline std::unique_ptr<test::TempFile> MakeSkin(COLORREF colour, const wchar_t* name) {
    auto skin = std::make_unique<test::TempFile>(name);
    skin->Write(test::EncodeSolidImage(kFormWidth, kFormHeight, colour, test::ImageFormat::kPng));
    return skin;
}

inline test::TestForm::Options MainWindowOptions(const test::TempFile& skin) {
    test::TestForm::Options options;
    // The main window's size at the system's display scale (the benchmarks run at 200 % too).
    const DisplayScale scale = DisplayScale::ForSystem();
    options.window.width = scale.Px(kFormWidth);
    options.window.height = scale.Px(kFormHeight);
    options.form.captionMode = 0;
    options.form.fixedSize = 1;
    options.skinPath = skin.GbkPath();
    return options;
}

inline std::vector<ListColumnSpec> ApplicationColumns() {
    const auto& widths = places::kGameListColumns;
    return {{"索引", 4, widths[0]},
            {"游戏名称", 0, widths[1]},
            {"游戏介绍", 3, widths[2]},
            {"连接", 3, widths[3]}};
}

inline ListViewOptions ApplicationView() {
    ListViewOptions view;
    view.headerColour = 0xFFFFFF;
    view.headerAlphaTop = 120;
    view.headerAlphaBottom = 20;
    view.selectionEnabled = true;
    return view;
}

// Create, SetColumns and Redraw as the main window does.
inline int CreateApplicationList(ListControl& list, HWND window,
                                 const ListViewOptions& view = ApplicationView()) {
    ListCreateOptions options;
    options.backgroundColour = 0xFFFFFF;
    options.backgroundAlpha = 80;
    options.borderStyle = kFrameFlat;
    const int id = list.Create(window, kListLeft, kListTop, kListWidth, kListHeight, options);
    list.SetColumns(ApplicationColumns(), view);
    list.Redraw();
    return id;
}

inline std::string Link(int row) {
    return "http://127.0.0.1/" + std::to_string(1000 + row);
}

// One page as the fetchers fill it: Clear, AddRow with the index, three SetCell, Redraw.
inline void FillRows(ListControl& list, int count, bool redraw = true) {
    list.Clear();
    for (int row = 1; row <= count; ++row) {
        list.AddRow(row, std::to_string(row));
        list.SetCell(row, 2, "游戏" + std::to_string(row));
        list.SetCell(row, 3, "第" + std::to_string(row) + "个游戏的介绍");
        list.SetCell(row, 4, Link(row));
    }
    if (redraw) list.Redraw();
}

// Paints every image as a solid block of one colour with GDI, and records what it was asked.
class BlockImages : public ListImageProvider {
public:
    struct Call {
        int value, x, y;
    };
    BlockImages(int width, int height, COLORREF colour)
        : width_(width), height_(height), colour_(colour) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(int value, HDC dc, int x, int y) override {
        calls.push_back({value, x, y});
        UniqueBrushGdi brush(CreateSolidBrush(colour_));
        const RECT block{x, y, x + width_, y + height_};
        FillRect(dc, &block, brush.get());
    }
    void Release() override { ++releases; }

    std::vector<Call> calls;
    int releases = 0;

private:
    int width_, height_;
    COLORREF colour_;
};

// --- Mouse input at form points: the real cursor goes there first, since the list reads it.
inline void MoveTo(HWND window, int x, int y) {
    test::SendMouse(window, WM_MOUSEMOVE, x, y);
}
inline void Press(HWND window, int x, int y) {
    test::SendMouse(window, WM_LBUTTONDOWN, x, y);
}
inline void Release(HWND window, int x, int y) {
    test::SendMouse(window, WM_LBUTTONUP, x, y);
}
inline void ClickAt(HWND window, int x, int y) {
    MoveTo(window, x, y);
    Press(window, x, y);
    Release(window, x, y);
}
// A wheel turn over a form point; the system sends screen coordinates.
inline void Wheel(HWND window, int x, int y, int delta) {
    test::PlaceCursor(window, x, y);
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                 MAKELPARAM(screen.x, screen.y));
}

// --- Where things are.
inline int ItemMiddleY(const ListControl& list, int slot) {
    const RectF& rect = list.VisibleItems().at(slot - 1).rect;
    return static_cast<int>(rect.Y + rect.Height / 2);
}
inline int SlotOfRow(const ListControl& list, int row) {
    const auto& items = list.VisibleItems();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].row == row) return static_cast<int>(i) + 1;
    }
    return 0;
}
// A point inside the item showing `row`, in the introduction column past its text.
inline POINT PointOnRow(const ListControl& list, int row) {
    return POINT{kListLeft + 480, ItemMiddleY(list, SlotOfRow(list, row))};
}

// --- Pixels: a copy of a rectangle of the screen buffer or of the window, read once.
class Snapshot {
public:
    Snapshot() = default;
    Snapshot(const Canvas& canvas, const RECT& area) : area_(area) {
        GdipFlush(canvas.Graphics(), Gdiplus::FlushIntentionSync);
        GdiFlush();
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint32_t* row = canvas.Row(y);
            for (int x = area.left; x < area.right; ++x)
                pixels_.push_back(row ? ArgbToColorref(row[x]) : 0);
        }
    }
    // What the window shows (the window DC copied into a canvas).
    static Snapshot OfWindow(HWND window, const RECT& area) {
        Canvas copy;
        RECT client;
        GetClientRect(window, &client);
        copy.Create(nullptr, client.right, client.bottom, true);
        HDC dc = GetDC(window);
        BitBlt(copy.Dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(window, dc);
        return Snapshot(copy, area);
    }
    static Snapshot OfScreen(const test::TestForm& form, const RECT& area) {
        return Snapshot(form.Form().ScreenBuffer(), area);
    }

    COLORREF At(int x, int y) const {
        if (x < area_.left || x >= area_.right || y < area_.top || y >= area_.bottom) return 0;
        const int width = area_.right - area_.left;
        return pixels_[static_cast<size_t>(y - area_.top) * width + (x - area_.left)];
    }
    const RECT& Area() const { return area_; }
    // Pixels of `within` that differ from `other` by more than `tolerance` in some channel.
    int CountChanged(const Snapshot& other, const RECT& within, int tolerance = 2) const {
        int count = 0;
        for (int y = within.top; y < within.bottom; ++y) {
            for (int x = within.left; x < within.right; ++x)
                count += test::NearColour(At(x, y), other.At(x, y), tolerance) ? 0 : 1;
        }
        return count;
    }
    // The smallest rectangle around the changed pixels of `within`; all 0 when none changed.
    RECT Changed(const Snapshot& other, const RECT& within, int tolerance = 2) const {
        RECT box{0, 0, 0, 0};
        bool any = false;
        for (int y = within.top; y < within.bottom; ++y) {
            for (int x = within.left; x < within.right; ++x) {
                if (test::NearColour(At(x, y), other.At(x, y), tolerance)) continue;
                if (!any) box = RECT{x, y, x + 1, y + 1};
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
                any = true;
            }
        }
        return box;
    }
    int Count(const RECT& within, const test::PixelTest& test) const {
        int count = 0;
        for (int y = within.top; y < within.bottom; ++y) {
            for (int x = within.left; x < within.right; ++x)
                count += test(At(x, y)) ? 1 : 0;
        }
        return count;
    }

private:
    RECT area_{};
    std::vector<COLORREF> pixels_;
};

inline RECT ListBounds() {
    return RECT{kListLeft, kListTop, kListLeft + kListWidth, kListTop + kListHeight};
}
inline RECT ItemRect(const ListControl& list, int slot) {
    RECT rect;
    BoundsToRect(list.VisibleItems().at(slot - 1).rect, rect);
    return rect;
}

// The application's list on a main-window-sized form with a known skin colour.
class ListFixture : public ::testing::Test {
protected:
    ListFixture()
        : skin_(MakeSkin(kSkinColour, L"list-skin.png")), form_(MainWindowOptions(*skin_)) {}

    HWND Window() const { return form_.Handle(); }
    Snapshot Screen(const RECT& area = ListBounds()) const {
        return Snapshot::OfScreen(form_, area);
    }
    // The form's background alone: what an erased area shows.
    Snapshot Background(const RECT& area = ListBounds()) const {
        return Snapshot(form_.Form().BackgroundBuffer(), area);
    }
    Snapshot OnWindow(const RECT& area = ListBounds()) const {
        return Snapshot::OfWindow(form_.Handle(), area);
    }

    test::CursorAway cursorAway_;
    std::unique_ptr<test::TempFile> skin_;
    test::TestForm form_;
};

}  // namespace list_test
