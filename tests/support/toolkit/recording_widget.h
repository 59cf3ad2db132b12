// RecordingWidget: a bare Widget that records every call of its entry point, for tests of the
// dispatcher and of forms. It draws nothing. Register it on a form window like a real widget;
// `onMessage` lets a test act from inside a call (run a nested click, destroy widgets...).
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "widgets/widget_tables.h"

namespace test {

struct EntryCall {
    HWND window;  // the widget id for MsgAttach and WM_DESTROY
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWidget : public Widget {
public:
    struct Placement {
        int x = 0, y = 0, width = 10, height = 10;
        bool focusable = false;
        bool visible = true;
        int id = 0;  // 0: NextWidgetId
    };

    // Registers on `parent`; returns the id (0 when refused).
    int Register(HWND parent, const Placement& placement);
    int Id() const { return id_; }
    int Position() const { return FindWidget(id_); }

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    const std::vector<EntryCall>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }
    // The recorded messages in order, without MsgAttach.
    std::vector<UINT> Messages() const;
    int Count(UINT message) const;
    const EntryCall* Last(UINT message) const;  // nullptr when never called with it

    std::function<void(const EntryCall&)> onMessage;

private:
    int id_ = 0;
    std::vector<EntryCall> calls_;
};

}  // namespace test
