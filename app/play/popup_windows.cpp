#include "app/play/popup_windows.h"

#include <algorithm>

#include "app/play/game_window.h"

using Microsoft::WRL::ComPtr;

PopupWindows::PopupWindows(const CLSID& browserClass) : browserClass_(browserClass) {}

PopupWindows::~PopupWindows() {
    CloseAll();
}

ComPtr<IDispatch> PopupWindows::Open(HINSTANCE instance, std::string_view url,
                                     std::string_view gameName) {
    ForgetClosed();
    if (windows_.size() >= kMaxOpen) return nullptr;
    auto window = std::make_unique<GameWindow>(browserClass_);
    if (!window->OpenPopup(instance, url, gameName, *this)) return nullptr;
    ComPtr<IDispatch> browser = window->Browser().Application();
    if (!browser) return nullptr;  // the window goes with `window`
    windows_.push_back(std::move(window));
    return browser;
}

size_t PopupWindows::OpenCount() const {
    return static_cast<size_t>(std::ranges::count_if(
        windows_, [](const std::unique_ptr<GameWindow>& window) { return window->IsOpen(); }));
}

std::vector<GameWindow*> PopupWindows::Windows() const {
    std::vector<GameWindow*> open;
    for (const std::unique_ptr<GameWindow>& window : windows_) {
        if (window->IsOpen()) open.push_back(window.get());
    }
    return open;
}

// A closed pop-up is not deleted as it closes: its own message handler is still running then.
void PopupWindows::ForgetClosed() {
    std::erase_if(windows_,
                  [](const std::unique_ptr<GameWindow>& window) { return !window->IsOpen(); });
}

void PopupWindows::CloseAll() {
    // Taken out first: a closing pop-up must not find itself in a list being emptied.
    std::vector<std::unique_ptr<GameWindow>> closing = std::move(windows_);
    windows_.clear();
    closing.clear();
}

// By index: a key the control takes may open another pop-up, which adds to the list.
bool PopupWindows::TranslateKey(MSG& message) {
    for (size_t i = 0; i < windows_.size(); ++i) {
        GameWindow& window = *windows_[i];
        if (!window.IsOpen()) continue;
        if (window.TranslateKey(message) || window.Browser().TranslateAccelerator(message)) {
            return true;
        }
    }
    return false;
}
