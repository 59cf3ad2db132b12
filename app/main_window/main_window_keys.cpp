#include "app/main_window/main_window_keys.h"

#include <utility>

#include "app/global_objects.h"
#include "win/key_press.h"

namespace {

struct PagingKey {
    UINT key;
    int button;
};

constexpr PagingKey kPagingKeys[] = {
    {VK_LEFT, kPrevPageButton},
    {VK_RIGHT, kNextPageButton},
    {VK_HOME, kFirstPageButton},
    {VK_END, kLastPageButton},
};

}  // namespace

MainWindowKeys::MainWindowKeys(const MainWindow& window, SkinForm& form, const ListControl& list,
                               Commands commands)
    : window_(window), form_(form), list_(list), commands_(std::move(commands)) {}

bool MainWindowKeys::Translate(const MSG& message) {
    const HWND main = window_.Handle(), box = window_.SearchBox();
    if (!IsFor(message, main) || !IsWindowEnabled(main)) return false;
    if (IsKeyPress(message, VK_TAB) || IsKeyPress(message, VK_TAB, kShiftHeld)) {
        // Two stops only: the one the keyboard is not at.
        if (message.hwnd == box) {
            FocusList();
        } else {
            FocusSearchBox();
        }
        return true;
    }
    if (IsKeyPress(message, 'F', kCtrlHeld) ||
        (message.message == WM_CHAR && message.wParam == L'/' && message.hwnd != box)) {
        FocusSearchBox();
        return true;
    }
    if (message.hwnd == box && IsKeyPress(message, VK_ESCAPE)) {
        SetWindowTextW(box, L"");
        return true;
    }
    if (message.hwnd == main && ListHasKeys() && IsKeyPress(message, VK_RETURN)) {
        if (commands_.openSelected) commands_.openSelected();
        return true;
    }
    for (const PagingKey& paging : kPagingKeys) {
        if (!IsKeyPress(message, paging.key, kAltHeld)) continue;
        if (commands_.page) commands_.page(paging.button);
        return true;
    }
    return false;
}

bool MainWindowKeys::ListHasKeys() const {
    return form_.Router().KeyId() == list_.GetId();
}

void MainWindowKeys::FocusList() {
    form_.SetKeyWidget(list_.GetId());
    SetFocus(window_.Handle());
}

void MainWindowKeys::FocusSearchBox() {
    const HWND box = window_.SearchBox();
    if (!box) return;
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
}
