#include "app/process/boss_key.h"

#include <commctrl.h>

#include <string_view>

#include "app/diagnostics/event_log.h"

namespace {

constexpr wchar_t kClassName[] = L"ZentoriBossKey";
constexpr int kHotKeyId = 1;
// Marks each window the key hid; a window that hides itself meanwhile loses the mark.
constexpr wchar_t kHiddenByKey[] = L"ZentoriHiddenByBossKey";

// Windows that only live while the user works with them: a menu open when the key is pressed
// is closed, a tooltip goes; neither comes back.
bool IsPassing(HWND window) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    const std::wstring_view className(name);
    return className == L"#32768" || className == TOOLTIPS_CLASSW;
}

// The program's visible top-level windows, top of the z-order first.
std::vector<HWND> ShowingWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

const char BossKey::kTakenNotice[] = "老板键 ";
const char BossKey::kTakenNoticeEnd[] = " 已被其他程序占用，本次运行中不能使用";
const char BossKey::kUnknownKeyNotice[] = "游戏库设置中的老板键“";
const char BossKey::kUnknownKeyNoticeEnd[] = "”无法识别，已改用 ";

BossKey::BossKey(ProcessAudio& audio) : audio_(audio) {}

BossKey::~BossKey() {
    Unregister();
    if (silenced_) audio_.SetMuted(false);
    if (window_) DestroyWindow(window_);
}

bool BossKey::Register(HINSTANCE instance, const KeyChord& key) {
    Unregister();
    if (!window_) {
        // Message-only: it receives WM_HOTKEY.
        if (!CreateNativeWindow({.name = kClassName, .instance = instance},
                                {.parent = HWND_MESSAGE})) {
            return false;
        }
    }
    // MOD_NOREPEAT: a key held down toggles once, not at the keyboard's repeat rate.
    registered_ = RegisterHotKey(window_, kHotKeyId, key.modifiers | MOD_NOREPEAT, key.key) != 0;
    LogBossKey(key, registered_, registered_ ? 0 : GetLastError());
    return registered_;
}

std::string BossKey::RegisterSetting(HINSTANCE instance,
                                     const std::optional<std::string>& setting) {
    std::string notice;
    KeyChord key = kDefaultBossKey;
    if (setting) {
        if (setting->empty()) {
            Unregister();
            LogBossKeyOff();
            return notice;
        }
        if (const std::optional<KeyChord> named = ParseKeyChord(*setting)) {
            key = *named;
        } else {
            notice = kUnknownKeyNotice + *setting + kUnknownKeyNoticeEnd + FormatKeyChord(key);
        }
    }
    // A key that cannot be had matters more than a setting that was not understood.
    if (!Register(instance, key)) notice = kTakenNotice + FormatKeyChord(key) + kTakenNoticeEnd;
    return notice;
}

void BossKey::Unregister() {
    if (registered_) UnregisterHotKey(window_, kHotKeyId);
    registered_ = false;
}

void BossKey::Toggle() {
    if (hidden_) {
        Restore();
    } else {
        Hide();
    }
}

void BossKey::Hide() {
    if (hidden_) return;
    active_ = GetActiveWindow();
    focus_ = GetFocus();
    EndMenu();
    windows_.clear();
    for (HWND window : ShowingWindows()) {
        if (!IsPassing(window)) {
            windows_.push_back(window);
            SetPropW(window, kHiddenByKey, reinterpret_cast<HANDLE>(1));
        }
        ShowWindow(window, SW_HIDE);
    }
    hidden_ = true;
    // Only a sound that plays is silenced, so Restore leaves a sound muted before as it was.
    const std::optional<bool> muted = audio_.Muted();
    silenced_ = muted && !*muted && audio_.SetMuted(true);
}

void BossKey::Restore() {
    if (!hidden_) return;
    hidden_ = false;
    // Bottom first, each shown on top of the ones before, so the old order comes back. A
    // window that has gone meanwhile (a dialog that ended) or hid itself (the loading window of
    // a fetch that ended) is skipped.
    for (auto window = windows_.rbegin(); window != windows_.rend(); ++window) {
        if (!IsWindow(*window) || !RemovePropW(*window, kHiddenByKey)) continue;
        ShowWindow(*window, SW_SHOWNA);  // as it was: minimised, maximised or normal
        SetWindowPos(*window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    windows_.clear();
    // An active window that stays hidden hands the activation to its owner (the loading window
    // to the main window).
    HWND active = IsWindow(active_) ? active_ : nullptr;
    while (active && !IsWindowVisible(active))
        active = GetWindow(active, GW_OWNER);
    if (active) SetForegroundWindow(active);
    if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_)) SetFocus(focus_);
    if (silenced_) audio_.SetMuted(false);
    silenced_ = false;
}

void HideOwnWindow(HWND window) {
    RemovePropW(window, kHiddenByKey);
    ShowWindow(window, SW_HIDE);
}

LRESULT BossKey::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && wParam == kHotKeyId) {
        Toggle();
        return 0;
    }
    if (message == WM_NCDESTROY) registered_ = false;
    return DefWindowProcW(window, message, wParam, lParam);
}
