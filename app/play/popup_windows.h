// PopupWindows: the windows a game's pages open (a login, a payment), kept in the program as game
// windows of ours, so that they share the game's session and window.opener. At most kMaxOpen
// are open at once; a pop-up's own pop-ups count among them.
//
// Owned by the game window the player opened (its pop-ups' pop-ups come here too); they close
// with it. A template over the window type only so that the game window, which holds this list,
// and the list, which makes game windows, need not include each other. Window thread only.
#pragma once

#include <windows.h>

#include <wrl/client.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

template <typename Window>
class PopupWindows {
public:
    static constexpr size_t kMaxOpen = 4;

    // `browserClass` is the control pop-ups host; anything else is for tests.
    explicit PopupWindows(const CLSID& browserClass) : browserClass_(browserClass) {}
    PopupWindows(const PopupWindows&) = delete;
    PopupWindows& operator=(const PopupWindows&) = delete;
    ~PopupWindows() { CloseAll(); }

    // A new window for a page at `url` (GBK, which the control loads itself), titled for
    // `gameName` (GBK) until the page says its own title; its browser is returned for the
    // control. Null when kMaxOpen are open or the window or its browser cannot be made.
    Microsoft::WRL::ComPtr<IDispatch> Open(HINSTANCE instance, std::string_view url,
                                           std::string_view gameName) {
        ForgetClosed();
        if (windows_.size() >= kMaxOpen) return nullptr;
        auto window = std::make_unique<Window>(browserClass_);
        if (!window->OpenPopup(instance, url, gameName, *this)) return nullptr;
        Microsoft::WRL::ComPtr<IDispatch> browser = window->Browser().Application();
        if (!browser) return nullptr;  // the window goes with `window`
        windows_.push_back(std::move(window));
        return browser;
    }

    size_t OpenCount() const { return Windows().size(); }
    // Every pop-up open, oldest first.
    std::vector<Window*> Windows() const {
        std::vector<Window*> open;
        for (const std::unique_ptr<Window>& window : windows_) {
            if (window->IsOpen()) open.push_back(window.get());
        }
        return open;
    }
    void CloseAll() {
        // Taken out first: a closing pop-up must not find itself in a list being emptied.
        std::vector<std::unique_ptr<Window>> closing = std::move(windows_);
        windows_.clear();
        closing.clear();
    }

    // A pop-up's keys, as the window's own and its browser's for the main window. By index: a
    // key the control takes may open another pop-up, which adds to the list.
    bool TranslateKey(MSG& message) {
        for (size_t i = 0; i < windows_.size(); ++i) {
            Window& window = *windows_[i];
            if (!window.IsOpen()) continue;
            if (window.TranslateKey(message) || window.Browser().TranslateAccelerator(message)) {
                return true;
            }
        }
        return false;
    }

private:
    // A closed pop-up is not deleted as it closes: its own message handler is still running then.
    void ForgetClosed() {
        std::erase_if(windows_,
                      [](const std::unique_ptr<Window>& window) { return !window->IsOpen(); });
    }

    CLSID browserClass_;
    std::vector<std::unique_ptr<Window>> windows_;  // closed ones are dropped at the next Open
};
