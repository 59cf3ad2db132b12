#include "widgets/form_surface.h"

#include <algorithm>

void RestoreBackground(const FormRecord& form, const RECT& rect) {
    const HDC screen = form.ScreenDc(), background = form.BackgroundDc();
    if (!screen || !background) return;
    BitBlt(screen, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, background,
           rect.left, rect.top, SRCCOPY);
}

void PresentRect(const FormRecord& form, const RECT& area, int alpha) {
    const HDC screen = form.ScreenDc();
    if (!form.windowDc || !screen) return;
    // A window not yet shown (or hidden) gets its whole buffer from WM_PAINT when it shows:
    // copying to it now, while it is being built, would only be done again then.
    if (!IsWindowVisible(form.window)) return;
    // A widget may reach past the buffer (and the window); blending fails as a whole for a
    // source rectangle that leaves the buffer, so only the part inside it is shown.
    RECT rect{};
    const RECT buffer{0, 0, form.screen->Width(), form.screen->Height()};
    if (!IntersectRect(&rect, &area, &buffer)) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == 255) {
        // What a constant alpha of 255 without per-pixel alpha amounts to, only cheaper.
        BitBlt(form.windowDc, rect.left, rect.top, width, height, screen, rect.left, rect.top,
               SRCCOPY);
        return;
    }
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
    AlphaBlend(form.windowDc, rect.left, rect.top, width, height, screen, rect.left, rect.top,
               width, height, blend);
}

void EraseRect(const FormRecord& form, const RECT& rect) {
    RestoreBackground(form, rect);
    PresentRect(form, rect);
}
