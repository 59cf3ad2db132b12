// The set-up of tests that host the browser control: OLE initialised on the test's thread for
// the test's life, the pointer kept away from the windows the test opens, and where a child
// window lies in its parent.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/play/browser_host.h"
#include "tests/support/toolkit/test_form.h"

namespace test {

class OleWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ole.Initialised()); }

    OleSession ole;
    CursorAway cursorAway;
};

// A child window's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace test
