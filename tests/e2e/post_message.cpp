// post_message.exe CLASS MESSAGE WPARAM: posts the registered window message MESSAGE, with
// WPARAM, to the first top-level window of class CLASS. Exit code 0 when it was posted, 1 when
// no such window exists, 2 for wrong arguments.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const HWND window = FindWindowW(argv[1], nullptr);
    if (!window) return 1;
    const UINT message = RegisterWindowMessageW(argv[2]);
    return message && PostMessageW(window, message, std::wcstoul(argv[3], nullptr, 10), 0) ? 0 : 1;
}
