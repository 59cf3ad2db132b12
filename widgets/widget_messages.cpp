#include "widgets/widget_messages.h"

#include <float.h>

namespace {

constexpr UINT kWidgetTimerMilliseconds = 100;
// The parts of the control word both the x87 unit and SSE have on x64.
constexpr unsigned int kControlMask = _MCW_EM | _MCW_RC | _MCW_DN;

}  // namespace

LRESULT SendToWidget(Widget* widget, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!widget) return 0;
    FloatingPointScope floatingPoint;
    return widget->HandleMessage(window, message, wParam, lParam);
}

void StartWidgetTimer(HWND window, UINT_PTR id) {
    SetTimer(window, id, kWidgetTimerMilliseconds, nullptr);
}

FloatingPointScope::FloatingPointScope() : saved_(_controlfp(0, 0)) {
    _fpreset();
    // _fpreset leaves SSE alone on some runtimes: all exceptions masked, round to nearest,
    // denormals kept.
    _controlfp(_MCW_EM | _RC_NEAR | _DN_SAVE, kControlMask);
}

FloatingPointScope::~FloatingPointScope() {
    _controlfp(saved_, kControlMask);
}
