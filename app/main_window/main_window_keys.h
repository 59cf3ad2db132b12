// MainWindowKeys: the main window's keys besides the game list's row keys (those reach the list
// through its skinned form): Tab and Shift+Tab go between the search box and the list, Ctrl+F
// and / put the caret in the search box with its text selected, Esc in the search box clears
// it, Enter on the list opens the selected game, and Alt+← / Alt+→ / Alt+Home / Alt+End page
// like 上页, 下页, 首页 and 末页.
//
// The message loop shows it every message before dispatching it. One object per main window,
// owned by the application; it refers to the window, its form and the list, which outlive it.
// Window thread only.
#pragma once

#include <windows.h>

#include <functional>

#include "app/main_window/main_window.h"
#include "widgets/list_control.h"
#include "widgets/skin_form.h"

class MainWindowKeys {
public:
    struct Commands {
        std::function<void(int pagingButton)> page;  // a PagingButton
        std::function<void()> openSelected;
    };

    MainWindowKeys(const MainWindow& window, SkinForm& form, const ListControl& list,
                   Commands commands);

    // True when the message was one of the keys: it is then not dispatched.
    bool Translate(const MSG& message);
    // The list takes the keys (it shows its focus ring while the window has the keyboard).
    void FocusList();
    // The caret goes into the search box, its text selected so that typing replaces it.
    void FocusSearchBox();

private:
    bool ListHasKeys() const;

    const MainWindow& window_;
    SkinForm& form_;
    const ListControl& list_;
    Commands commands_;
};
