#include "tests/support/program/running_program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/browse/catalogue_fetch.h"
#include "win/wide_text.h"
#include "catalogue/http_request.h"
#include "tests/support/toolkit/test_form.h"

namespace test {

RunningProgram::RunningProgram()
    : application_(std::make_unique<Application>(GetModuleHandleW(nullptr))) {
    // The pointer stays off the window, so no stray mouse move reaches a widget.
    PlaceCursorAway();
    started_ = application_->Start(SW_SHOWNORMAL);
    // The search box is made once the window has first gone idle.
    if (started_) PumpUntil([this] { return application_->Main().SearchBox() != nullptr; });
}

RunningProgram::~RunningProgram() {
    if (HWND window = Window()) {
        DestroyWindow(window);
        application_->RunMessageLoop();  // ends with the quit message the main window posts
    }
    application_->Shutdown();
}

void RunningProgram::Press(UINT key, std::vector<UINT> held) {
    held.push_back(key);
    std::vector<INPUT> inputs;
    for (size_t i = 0; i < 2 * held.size(); ++i) {
        const bool up = i >= held.size();
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(up ? held[2 * held.size() - 1 - i] : held[i]);
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
              inputs.size());
    // The thread's key state follows the key messages as they are read.
    const auto released = [&] {
        return std::all_of(held.begin(), held.end(),
                           [](UINT k) { return GetKeyState(static_cast<int>(k)) >= 0; });
    };
    const ULONGLONG deadline = GetTickCount64() + 5000;
    MSG message;
    while (GetTickCount64() < deadline) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (application_->TranslateKey(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else if (released()) {
            return;
        } else {
            Sleep(5);
        }
    }
    ADD_FAILURE() << "key " << key << " was not seen going up";
}

std::string HotListTarget(const char* key, const char* sort, int page) {
    return std::string("/appweb/getcathotlist?cid=1&leaf_cid=") + key + "&sort=" + sort +
           "&pn=" + std::to_string(page);
}

std::string SearchTarget(const std::string& keyword) {
    return "/appweb/search?lb=" + keyword + "&cid=1&lcid=0&ps=10&pn=1";
}

void ClickWidget(HWND window, const FormWidget& widget) {
    const int x = static_cast<int>(widget.GetLeft() + widget.GetWidth() / 2);
    const int y = static_cast<int>(widget.GetTop() + widget.GetHeight() / 2);
    Click(window, x, y);
    PlaceCursorAway();
}

void TypeText(HWND edit, std::wstring_view text) {
    for (const wchar_t c : text) {
        const SHORT key = VkKeyScanW(c);
        const UINT virtualKey = key == -1 ? 0 : LOBYTE(key);
        SendMessageW(edit, WM_KEYDOWN, virtualKey, 1);
        SendMessageW(edit, WM_CHAR, c, 1);
        SendMessageW(edit, WM_KEYUP, virtualKey, 0xC0000001);
    }
}

void PressKey(HWND edit, UINT virtualKey) {
    SendMessageW(edit, WM_KEYDOWN, virtualKey, 1);
    SendMessageW(edit, WM_KEYUP, virtualKey, 0xC0000001);
}

HWND FindLoadingWindow() {
    const HWND window = FindWindowW(L"ZentoriLoadingWindow", nullptr);
    return IsWindowVisible(window) ? window : nullptr;
}

std::filesystem::path LibraryFile() {
    wchar_t folder[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZENTORI_LIBRARY_DIR", folder, MAX_PATH);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return std::filesystem::path(folder) / L"library.json";
}

std::string ShownNotice(const NoticeBar& notices) {
    if (!IsWindowVisible(notices.Handle())) return {};
    return WideToGbk(notices.Text());
}

std::vector<std::string> CatalogueLog::Take() {
    char path[MAX_PATH] = "";
    GetEnvironmentVariableA("ZENTORI_SERVER_LOG", path, MAX_PATH);
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const std::string all = text.str();
    std::vector<std::string> lines;
    size_t start = read_;
    for (size_t end; (end = all.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(all.substr(start, end - start));
    }
    read_ = start;
    return lines;
}

namespace {

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, CountWindow, count);
    return TRUE;
}

}  // namespace

GuiObjects CountGuiObjects() {
    GuiObjects counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                      GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    if (counts.gdi == 0) {
        // Wine looks a handle up by its slot alone when the handle's upper word is zero.
        for (ULONG_PTR slot = 1; slot <= 0xFFFF; ++slot) {
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++counts.gdi;
        }
    }
    if (counts.user == 0) EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counts.user));
    return counts;
}

bool SetCatalogueMode(std::string_view mode) {
    const std::string reply =
        HttpRequest(CatalogueBaseUrl() + "/control/mode?m=" + std::string(mode));
    return reply == "mode " + std::string(mode) + "\n";
}

}  // namespace test
