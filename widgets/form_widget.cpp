#include "widgets/form_widget.h"

#include <algorithm>

#include "widgets/form_surface.h"

namespace {

constexpr int kFadeStep = 51;

bool OnThreadOf(HWND window) {
    return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

// --- FormWidget

DisplayScale FormWidget::ScaleFor(HWND parent) {
    return WindowScale(parent);
}

FormWidget::~FormWidget() {
    ReleaseFont();
}

LRESULT FormWidget::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case MsgAttach:
            formIndex_ = static_cast<int>(wParam);
            return 0;
        case MsgScaleChanged:
            Rescale(DisplayScale(static_cast<int>(wParam)));
            return 0;
        case WM_DESTROY:
            // The form and this widget's record are going: draw nothing from now on.
            ReleaseFont();
            OnDestroy();
            formIndex_ = 0;
            id_ = 0;
            return 0;
        default:
            return OnMessage(window, message, wParam, lParam);
    }
}

void FormWidget::Move(std::optional<float> x, std::optional<float> y, std::optional<float> width,
                      std::optional<float> height) {
    if (const FormRecord* form = Form()) EraseRect(*form, BoundsRect());
    if (x) design_.X = *x;
    if (y) design_.Y = *y;
    if (width) design_.Width = *width;
    if (height) design_.Height = *height;
    StoreBounds(scale_.Bounds(design_));
    OnMoved();
}

void FormWidget::OnMoved() {
    if (const FormRecord* form = Form()) HandleMessage(form->window, WM_PAINT, 0, 0);
}

int FormWidget::Register(const Placement& placement) {
    if (id_ && FindWidget(id_)) return id_;
    parent_ = placement.parent;
    visible_ = placement.visible;
    SetBounds(static_cast<float>(placement.x), static_cast<float>(placement.y),
              static_cast<float>(placement.width), static_cast<float>(placement.height), design_);
    if (const DisplayScale scale = ScaleFor(parent_); scale != scale_) {
        scale_ = scale;
        MakeFont();
    }
    bounds_ = scale_.Bounds(design_);
    if (!font_) font_ = DefaultFont;

    WidgetRecord record;
    record.parent = parent_;
    record.id = NextWidgetId();
    record.bounds = bounds_;
    record.widget = this;
    record.visible = placement.visible;
    record.focusable = placement.focusable;
    record.takesKeys = placement.takesKeys;
    record.kind = placement.kind;
    id_ = RegisterWidget(record);
    if (id_) OnRegistered(placement);
    return id_;
}

void FormWidget::UseFont(const FontChoice& choice) {
    fontChoice_ = choice;
    MakeFont();
}

void FormWidget::MakeFont() {
    ReleaseFont();
    font_ = DefaultFont;
    const FontChoice& choice = fontChoice_;
    // DefaultFont is made for 96 dpi; at any other scale every widget makes its own.
    if (!choice.Given() && scale_.IsDesign()) return;
    const std::string face =
        choice.face.empty() ? (choice.Given() ? SystemFontFace(1) : FromWide(DefaultFontFace()))
                            : choice.face;
    // A face this system lacks draws in the program's default face rather than not at all.
    if (GpFont* own = MakeFontWithFallback(face, scale_.Font(choice.size.value_or(12.0f)),
                                           choice.style.value_or(0))) {
        font_ = own;
    }
}

void FormWidget::Rescale(const DisplayScale& scale) {
    if (scale == scale_) return;
    scale_ = scale;
    MakeFont();
    StoreBounds(scale_.Bounds(design_));
    OnScaleChanged();
}

FormRecord* FormWidget::Form() const {
    FormRecord* form = FormAt(formIndex_);
    return form && form->window == parent_ ? form : nullptr;
}

RECT FormWidget::BoundsRect() const {
    RECT rect;
    BoundsToRect(bounds_, rect);
    return rect;
}

void FormWidget::Repaint() {
    if (!parent_ || !id_) return;
    if (OnThreadOf(parent_)) {
        HandleMessage(parent_, WM_PAINT, 0, 0);
    } else {
        PostMessageW(parent_, MsgWidgetPost, static_cast<WPARAM>(id_), kPostRepaint);
    }
}

void FormWidget::StoreBounds(const Bounds& bounds) {
    bounds_ = bounds;
    if (WidgetRecord* record = WidgetAt(FindWidget(id_))) record->bounds = bounds;
}

void FormWidget::ReleaseFont() {
    if (font_ && font_ != DefaultFont) GdipDeleteFont(font_);
    font_ = nullptr;
}

// --- LookWidget

LRESULT LookWidget::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case MsgClick:
            if (!disabled_) OnClick(window);
            return 0;
        case MsgTimerTick:
            OnTimerTick(window, static_cast<UINT_PTR>(lParam));
            return 0;
        case MsgWidgetPost:
            OnPost(window, lParam);
            return 0;
        default:
            break;
    }
    if (message == lastMessage_ && message != WM_PAINT) return 0;
    // Mouse messages sent while the widget holds the capture carry its position in wParam;
    // only the release counts.
    if (wParam != 0 && message != WM_LBUTTONUP) return 0;
    if (disabled_ && lParam == 0 && message != WM_PAINT) return 0;
    FormRecord* form = Form();
    if (!form) return 0;
    if (!Paint(*form, message, lParam)) return 0;
    ShowLook(window, *form, message, lParam);
    lastMessage_ = message;
    return 0;
}

void LookWidget::OnRegistered(const Placement& placement) {
    disabled_ = placement.disabled;
    fadeAlpha_ = 0;
    if (Visible()) HandleMessage(Parent(), WM_PAINT, 0, 0);
}

bool LookWidget::Disabled(bool value) {
    if (value != disabled_) {
        disabled_ = value;
        Repaint();
    }
    return disabled_;
}

void LookWidget::RestoreBackground(const FormRecord& form) {
    FlushFade(form);
    ::RestoreBackground(form, BoundsRect());
}

void LookWidget::Present(const FormRecord& form, int alpha) const {
    PresentRect(form, BoundsRect(), alpha);
}

void LookWidget::OnClick(HWND) {
    // A copy: the handler may replace itself (or more) while it runs.
    const std::function<void()> handler = clickHandler_;
    if (handler) handler();
}

void LookWidget::OnPost(HWND window, LPARAM payload) {
    if (payload == kPostRepaint) HandleMessage(window, WM_PAINT, 0, 0);
}

void LookWidget::OnTimerTick(HWND window, UINT_PTR timerId) {
    const FormRecord* form = Form();
    // Ends after the step that reached 255, or when a fade was cut short and not restarted.
    if (!form || fadeAlpha_ > 254 || fadeAlpha_ <= 0) {
        fadeAlpha_ = 0;
        KillTimer(window, timerId);
        return;
    }
    fadeAlpha_ = std::min(fadeAlpha_ + kFadeStep, 255);
    Present(*form, fadeAlpha_);
}

void LookWidget::FlushFade(const FormRecord& form) {
    if (fadeAlpha_ == 0) return;
    Present(form);
    fadeAlpha_ = -1;
}

void LookWidget::ShowLook(HWND window, const FormRecord& form, UINT message, LPARAM lParam) {
    if (message == WM_PAINT) {
        // A non-zero lParam: the form repaints everything and presents it itself.
        if (lParam == 0) Present(form);
        return;
    }
    const int start = FadeStart(message);
    if (form.widgetFade && start > 0) {
        const bool timerRunning = fadeAlpha_ == -1;
        fadeAlpha_ = start;
        if (!timerRunning) StartWidgetTimer(window, static_cast<UINT_PTR>(GetId()));
        return;
    }
    Present(form);
}

// --- TextWidget

std::string TextWidget::Text() const {
    std::lock_guard lock(textLock_);
    return text_;
}

std::string TextWidget::Text(std::string_view text) {
    bool changed = false;
    {
        std::lock_guard lock(textLock_);
        changed = text_ != text;
        text_.assign(text);
    }
    Repaint();
    // The text is the widget's name: a reader on it says the new one (第2页).
    if (changed) NotifyReaders(EVENT_OBJECT_NAMECHANGE, Parent(), GetId());
    return Text();
}

void TextWidget::SetInitialText(std::string_view text) {
    std::lock_guard lock(textLock_);
    text_.assign(text);
}
