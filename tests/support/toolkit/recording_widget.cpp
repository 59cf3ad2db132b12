#include "tests/support/toolkit/recording_widget.h"

namespace test {

int RecordingWidget::Register(HWND parent, const Placement& placement) {
    WidgetRecord record;
    record.parent = parent;
    record.id = placement.id ? placement.id : NextWidgetId();
    record.bounds =
        Bounds(static_cast<float>(placement.x), static_cast<float>(placement.y),
               static_cast<float>(placement.width), static_cast<float>(placement.height));
    record.widget = this;
    record.visible = placement.visible;
    record.focusable = placement.focusable;
    id_ = RegisterWidget(record);
    return id_;
}

LRESULT RecordingWidget::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const EntryCall call{window, message, wParam, lParam};
    calls_.push_back(call);
    if (onMessage) {
        const auto handler = onMessage;
        handler(call);
    }
    return 0;
}

std::vector<UINT> RecordingWidget::Messages() const {
    std::vector<UINT> messages;
    for (const EntryCall& call : calls_) {
        if (call.message != MsgAttach) messages.push_back(call.message);
    }
    return messages;
}

int RecordingWidget::Count(UINT message) const {
    int count = 0;
    for (const EntryCall& call : calls_)
        count += call.message == message ? 1 : 0;
    return count;
}

const EntryCall* RecordingWidget::Last(UINT message) const {
    for (auto call = calls_.rbegin(); call != calls_.rend(); ++call) {
        if (call->message == message) return &*call;
    }
    return nullptr;
}

}  // namespace test
