// The set-up of tests that host the browser control: OLE initialised on the test's thread for
// the test's life, the pointer kept away from the windows the test opens, a game window with a
// game open in it, and where a child window lies in its parent.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/play/browser_host.h"
#include "app/play/game_window.h"
#include "tests/support/toolkit/test_form.h"

namespace test {

class OleWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ole.Initialised()); }

    OleSession ole;
    CursorAway cursorAway;
};

// A game window with kGameName open at kGameLink (which never answers), its browser made.
class OpenGameTest : public OleWindowTest {
protected:
    static constexpr char kGameName[] = "植物大战僵尸";
    static constexpr char kGameLink[] = "http://127.0.0.1:9/1";

    void SetUp() override {
        OleWindowTest::SetUp();
        ASSERT_TRUE(game.Open(GetModuleHandleW(nullptr), kGameLink, kGameName));
        ASSERT_TRUE(game.Browser().Created());
    }

    GameWindow game;
};

// A child window's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND parent, HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace test
