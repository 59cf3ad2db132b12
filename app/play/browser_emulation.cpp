#include "app/play/browser_emulation.h"

#include <memory>
#include <string>
#include <type_traits>

#include "app/process/program_directory.h"

namespace {

struct KeyClose {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyClose>;

}  // namespace

bool WriteBrowserEmulation(std::wstring_view exeName) {
    if (exeName.empty()) return false;
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserEmulationKey, 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &raw, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueKey key(raw);
    const std::wstring name(exeName);
    const DWORD mode = kBrowserEmulationMode;
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&mode), sizeof(mode)) == ERROR_SUCCESS;
}

bool WriteBrowserEmulation() {
    return WriteBrowserEmulation(ExecutableFileName());
}
