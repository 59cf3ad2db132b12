#include "app/play/game_status_line.h"

#include <commctrl.h>

void GameStatusLine::Attach(HWND statusBar) {
    if (statusBar_ && !statusBar) KillTimer(GetParent(statusBar_), kTimerId);
    statusBar_ = statusBar;
    commandText_.clear();
    Show();
}

void GameStatusLine::ShowBrowserText(std::wstring_view text) {
    browserText_ = text;
    if (commandText_.empty()) Show();
}

void GameStatusLine::CommandDone() {
    if (commandText_.empty()) return;
    commandText_.clear();
    if (statusBar_) KillTimer(GetParent(statusBar_), kTimerId);
    Show();
}

bool GameStatusLine::OnTimer(UINT_PTR id) {
    if (id != kTimerId) return false;
    CommandDone();
    return true;
}

void GameStatusLine::ShowCommand(std::wstring_view text, bool passing) {
    commandText_ = text;
    if (!statusBar_) return;
    const HWND window = GetParent(statusBar_);
    if (passing) {
        SetTimer(window, kTimerId, kPassingMilliseconds, nullptr);  // a new one starts afresh
    } else {
        KillTimer(window, kTimerId);
    }
    Show();
}

void GameStatusLine::Show() {
    if (!statusBar_) return;
    const std::wstring& text = commandText_.empty() ? browserText_ : commandText_;
    SendMessageW(statusBar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
