#include "app/main_window/notice_bar.h"

#include <algorithm>

#include "app/control_font.h"
#include "app/diagnostics/event_log.h"
#include "win/wide_text.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriNoticeBar";
constexpr UINT_PTR kPassingTimer = 1;
constexpr int kTextInset = 8;
constexpr int kScrollBarWidth = 17;  // the list's scroll bar column, with its gap

}  // namespace

const char NoticeBar::kMoreNotices[] = "还有";
const char NoticeBar::kMoreNoticesEnd[] = "条";

NoticeBar::~NoticeBar() {
    if (window_) DestroyWindow(window_);
}

void NoticeBar::Attach(HWND parent, const RECT& place) {
    parent_ = parent;
    place_ = place;
    Update();
}

void NoticeBar::ShowLasting(NoticeKind kind, std::string_view text, std::function<void()> onClick) {
    std::erase_if(lasting_, [kind](const Lasting& notice) { return notice.kind == kind; });
    lasting_.push_back({kind, GbkToWide(text), std::move(onClick)});
    LogNotice(text);
    // The news goes first: a passing notice showing gives way at once.
    passing_.clear();
    if (window_) KillTimer(window_, kPassingTimer);
    Update();
    Announce();
}

void NoticeBar::ShowPassing(std::string_view text) {
    passing_ = GbkToWide(text);
    LogNotice(text);
    Update();
    // Without a strip (no main window yet) a passing notice has nothing to pass over.
    if (!window_) {
        passing_.clear();
        return;
    }
    SetTimer(window_, kPassingTimer, kPassingMilliseconds, nullptr);
    Announce();
}

// A reader says a new notice at once, wherever the user is.
void NoticeBar::Announce() const {
    if (window_ && IsWindowVisible(window_)) {
        NotifyWinEvent(EVENT_SYSTEM_ALERT, window_, OBJID_CLIENT, CHILDID_SELF);
    }
}

void NoticeBar::Close(NoticeKind kind) {
    const size_t removed =
        std::erase_if(lasting_, [kind](const Lasting& notice) { return notice.kind == kind; });
    if (removed) Update();
}

bool NoticeBar::Holds(NoticeKind kind) const {
    return std::ranges::any_of(lasting_,
                               [kind](const Lasting& notice) { return notice.kind == kind; });
}

std::vector<std::wstring> NoticeBar::LastingTexts() const {
    std::vector<std::wstring> texts;
    for (const Lasting& notice : lasting_)
        texts.push_back(notice.text);
    return texts;
}

void NoticeBar::Update() {
    if (!parent_ || !IsWindow(parent_)) return;
    if (passing_.empty() && lasting_.empty()) {
        text_.clear();
        if (window_) ShowWindow(window_, SW_HIDE);
        return;
    }
    text_ = passing_.empty() ? lasting_.back().text : passing_;
    more_.clear();
    if (passing_.empty() && lasting_.size() > 1) {
        more_ = GbkToWide(kMoreNotices + std::to_string(lasting_.size() - 1) + kMoreNoticesEnd);
    }
    if (!window_ && !CreateStrip()) return;
    SetWindowTextW(window_, text_.c_str());  // for accessibility tools and tests
    InvalidateRect(window_, nullptr, TRUE);
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

bool NoticeBar::CreateStrip() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent_, GWLP_HINSTANCE));
    if (!font_ || scale_ != WindowScale(parent_)) {
        scale_ = WindowScale(parent_);
        font_ = CreateControlFont(kFontHeight, scale_);
    }
    return CreateNativeWindow({.name = kClassName, .instance = instance, .cursor = IDC_HAND},
                              {.style = WS_CHILD | WS_CLIPSIBLINGS,
                               .left = place_.left,
                               .top = place_.top,
                               .width = place_.right - place_.left,
                               .height = place_.bottom - place_.top,
                               .parent = parent_});
}

// A passing notice is clicked away; a lasting one runs its command, or is clicked away to show
// the one before it.
void NoticeBar::OnClick() {
    if (!passing_.empty()) {
        passing_.clear();
        KillTimer(window_, kPassingTimer);
    } else if (!lasting_.empty() && lasting_.back().onClick) {
        // A copy: the command may show another notice here, or close this one.
        const std::function<void()> command = lasting_.back().onClick;
        command();
        return;
    } else if (!lasting_.empty()) {
        lasting_.pop_back();
    }
    Update();
}

void NoticeBar::Rescale(const RECT& place) {
    place_ = place;
    if (!window_) return;
    scale_ = WindowScale(GetParent(window_));
    font_ = CreateControlFont(kFontHeight, scale_);
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window_, nullptr, TRUE);
}

void NoticeBar::Move(const RECT& place) {
    place_ = place;
    if (!window_) return;
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT NoticeBar::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills everything
        case WM_LBUTTONUP:
            OnClick();
            return 0;
        case WM_TIMER:
            KillTimer(window, kPassingTimer);
            passing_.clear();
            Update();
            return 0;
        case WM_NCDESTROY:
            text_.clear();
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void NoticeBar::PaintPlate(HDC dc, const RECT& area) {
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, kFillColour);
    FillRect(dc, &area, brush);
    SetDCBrushColor(dc, kFrameColour);
    FrameRect(dc, &area, brush);
}

void NoticeBar::Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area{};
    GetClientRect(window, &area);
    PaintPlate(dc, area);

    SelectGuard font(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTextColour);
    RECT text = area;
    InflateRect(&text, -scale_.Px(kTextInset), 0);
    constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (!more_.empty()) {
        RECT more = text;
        DrawTextW(dc, more_.c_str(), -1, &more, kLine | DT_RIGHT);
        SIZE size{};
        GetTextExtentPoint32W(dc, more_.c_str(), static_cast<int>(more_.size()), &size);
        text.right -= size.cx + scale_.Px(kTextInset);
    }
    DrawTextW(dc, text_.c_str(), -1, &text, kLine | DT_END_ELLIPSIS);
    EndPaint(window, &paint);
}

RECT NoticePlace(const ListControl& list) {
    const DisplayScale& scale = list.Scale();
    const int left = static_cast<int>(list.GetLeft()) + 1;
    const int right =
        static_cast<int>(list.GetLeft() + list.GetWidth()) - 1 - scale.Px(kScrollBarWidth);
    const int bottom = static_cast<int>(list.GetTop() + list.GetHeight()) - 1;
    return RECT{left, bottom - scale.Px(NoticeBar::kHeight), right, bottom};
}
