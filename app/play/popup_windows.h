// PopupWindows: the windows a game's pages open (a login, a payment), kept in the program as game
// windows of ours, so that they share the game's session and window.opener. At most kMaxOpen
// are open at once; a pop-up's own pop-ups count among them.
//
// Owned by the game window the player opened (its pop-ups' pop-ups come here too); they close
// with it. Window thread only.
#pragma once

#include <windows.h>

#include <wrl/client.h>

#include <memory>
#include <string_view>
#include <vector>

class GameWindow;

class PopupWindows {
public:
    static constexpr size_t kMaxOpen = 4;

    // `browserClass` is the control pop-ups host; anything else is for tests.
    explicit PopupWindows(const CLSID& browserClass);
    PopupWindows(const PopupWindows&) = delete;
    PopupWindows& operator=(const PopupWindows&) = delete;
    ~PopupWindows();  // closes them

    // A new game window for a page at `url` (GBK, which the control loads itself), titled for
    // `gameName` (GBK) until the page says its own title; its browser is returned for the
    // control. Null when kMaxOpen are open or the window or its browser cannot be made.
    Microsoft::WRL::ComPtr<IDispatch> Open(HINSTANCE instance, std::string_view url,
                                           std::string_view gameName);
    size_t OpenCount() const;
    // Every pop-up open, oldest first.
    std::vector<GameWindow*> Windows() const;
    void CloseAll();

    // A pop-up's keys, as GameWindow::TranslateKey and the browser's own for the main window.
    bool TranslateKey(MSG& message);

private:
    void ForgetClosed();

    CLSID browserClass_;
    std::vector<std::unique_ptr<GameWindow>> windows_;  // closed ones are dropped at next Open
};
