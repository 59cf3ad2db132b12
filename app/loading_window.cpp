#include "app/loading_window.h"

#include <memory>
#include <thread>

#include "app/control_font.h"
#include "app/window_class.h"
#include "text/text_utils.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriLoadingWindow";
// Posted by the worker: lParam owns a heap std::optional<FetchResult>.
constexpr UINT kMsgWorkDone = WM_APP + 1;

struct ModalState {
    bool done = false;
    std::optional<FetchResult> result;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = WindowOwner<ModalState>(window, message, lParam);
    switch (message) {
        case kMsgWorkDone: {
            std::unique_ptr<std::optional<FetchResult>> result(
                reinterpret_cast<std::optional<FetchResult>*>(lParam));
            if (state && !state->done) {
                state->result = std::move(*result);
                state->done = true;
            }
            return 0;
        }
        case WM_CLOSE:
            // Closing halfway would end the modal wait while the worker still runs.
            if (state && !state->done) return 0;
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE && state && !state->done) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

const char LoadingWindow::kText[] = " 加载中！网速不同加载速度也不同            loading...";

std::optional<FetchResult> LoadingWindow::Run(HINSTANCE instance, HWND mainWindow, Work work) {
    if (!RegisterWindowClassOnce({.name = kClassName,
                                  .procedure = WindowProc,
                                  .instance = instance,
                                  .cursor = IDC_WAIT,
                                  .background = GetSysColorBrush(COLOR_BTNFACE)})) {
        return std::nullopt;
    }

    ModalState state;
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_BORDER, kLeft,
                                  kTop, kWidth, kHeight, nullptr, nullptr, instance, &state);
    if (!window) return std::nullopt;

    RECT client{};
    GetClientRect(window, &client);
    const std::u16string text = AnsiToWide(kText);
    HWND label = CreateWindowExW(0, L"STATIC", reinterpret_cast<const wchar_t*>(text.c_str()),
                                 WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0, 0,
                                 client.right, client.bottom, window, nullptr, instance, nullptr);
    const UniqueFontGdi font = CreateControlFont();
    if (label && font) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);

    // Where the keyboard focus was (the search box after an Enter there): the main window takes
    // the focus itself when it is activated again, and the user would have to click back in.
    const HWND focus = GetFocus();
    const bool mainWasEnabled = mainWindow && !EnableWindow(mainWindow, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    std::thread worker([window, work = std::move(work)] {
        auto result = std::make_unique<std::optional<FetchResult>>(work());
        if (PostMessageW(window, kMsgWorkDone, 0, reinterpret_cast<LPARAM>(result.get()))) {
            result.release();  // the window owns it now
        }
    });

    bool quitting = false;
    WPARAM quitCode = 0;
    MSG message;
    while (!state.done) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quitting = true;
            quitCode = message.wParam;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    // Re-enable the main window before the loading window goes, so activation returns to it.
    if (mainWasEnabled) EnableWindow(mainWindow, TRUE);
    state.done = true;
    DestroyWindow(window);
    if (focus && GetActiveWindow() == mainWindow && IsChild(mainWindow, focus)) SetFocus(focus);

    if (quitting) {
        // The worker may still be waiting for its reply; it finds the window gone and frees
        // its result itself.
        worker.detach();
        PostQuitMessage(static_cast<int>(quitCode));
        return std::nullopt;
    }
    worker.join();  // it has posted its result and is ending
    return std::move(state.result);
}
