// end_session.exe TITLE: tells the top-level window titled TITLE that the session is ending, as
// Windows does at log-off: WM_QUERYENDSESSION, then WM_ENDSESSION with "ending" set. Exit code
// 0 when the window was found and answered, 1 otherwise.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    const HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) return 1;
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                             &answer)) {
        return 1;
    }
    return SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                               &answer)
               ? 0
               : 1;
}
