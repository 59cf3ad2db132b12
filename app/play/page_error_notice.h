// PageErrorNotice: what a game window shows over its page when the page could not be loaded,
// in place of the control's own error page: the cause in plain words and "按 F5 或点击这里重试",
// in the strip the main window's notices use. A click runs the retry the window gives.
//
// Owned by its game window; the strip is a child of that window and goes with it. Window
// thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/main_window/notice_bar.h"

// GBK: the cause of a failed page load (an HTTP status, an INET_E_* code or a WinINet error)
// and how to try again.
std::string PageErrorText(long status);

class PageErrorNotice {
public:
    PageErrorNotice() = default;
    PageErrorNotice(const PageErrorNotice&) = delete;
    PageErrorNotice& operator=(const PageErrorNotice&) = delete;

    // Shows the cause of `status` on `parent` for the page at `url`; a click runs `onRetry`.
    void Show(HWND parent, long status, std::wstring_view url, std::function<void()> onRetry);
    void Hide();
    bool Shown() const { return notices_.Holds(NoticeKind::kPageError); }
    const std::wstring& FailedUrl() const { return url_; }
    // The strip goes at the top of `page` (client coordinates) while shown; what is left of the
    // page below it is returned (all of it when hidden).
    RECT Place(const RECT& page);

    HWND Handle() const { return notices_.Handle(); }
    const std::wstring& Text() const { return notices_.Text(); }

private:
    NoticeBar notices_;
    std::wstring url_;
    DisplayScale scale_;  // the strip's font's
};
