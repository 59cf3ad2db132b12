#include "app/play/page_error_notice.h"

#include <urlmon.h>
#include <wininet.h>

#include <algorithm>

#include "app/control_font.h"

namespace {

constexpr char kRetryHint[] = "，按 F5 或点击这里重试";

std::string Cause(long status) {
    if (status == 404 || status == 410) return "找不到该页面";
    if (status >= 400 && status < 600) return "服务器出错（" + std::to_string(status) + "）";
    switch (static_cast<HRESULT>(status)) {
        case INET_E_OBJECT_NOT_FOUND:
        case INET_E_INVALID_URL:
        case MK_E_SYNTAX:
        case INET_E_UNKNOWN_PROTOCOL:
            return "找不到该页面";
        case INET_E_SECURITY_PROBLEM:
        case INET_E_INVALID_CERTIFICATE:
        case INET_E_REDIRECT_FAILED:
            return "无法建立安全连接";
        default:
            break;
    }
    switch (status) {
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
            return "无法建立安全连接";
        default:
            break;
    }
    // A name that cannot be resolved, a refused or timed-out connection, a download cut short.
    return "无法连接到服务器";
}

}  // namespace

std::string PageErrorText(long status) {
    return Cause(status) + kRetryHint;
}

void PageErrorNotice::Show(HWND parent, long status, std::wstring_view url,
                           std::function<void()> onRetry) {
    url_ = url;
    notices_.Attach(parent, RECT{});  // placed by the window's layout, which follows
    notices_.ShowLasting(NoticeKind::kPageError, PageErrorText(status), std::move(onRetry));
}

void PageErrorNotice::Hide() {
    notices_.Close(NoticeKind::kPageError);
}

RECT PageErrorNotice::Place(const RECT& page) {
    if (!Shown() || !notices_.Handle()) return page;
    const DisplayScale scale = DisplayScale::ForWindow(GetParent(notices_.Handle()));
    RECT strip = page;
    strip.bottom = std::min(page.bottom, page.top + scale.Px(NoticeBar::kHeight));
    // On another monitor's DPI the strip takes a font made for it too.
    if (scale != scale_) {
        scale_ = scale;
        notices_.Rescale(strip);
    } else {
        notices_.Move(strip);
    }
    RECT rest = page;
    rest.top = strip.bottom;
    return rest;
}
