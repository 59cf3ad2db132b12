#include "app/play/screenshot.h"

#include <shlobj.h>

#include <cwchar>
#include <system_error>

#include "widgets/image_file.h"
#include "win/environment.h"
#include "win/handles.h"

namespace {

constexpr size_t kNameLimit = 80;
constexpr int kMostCopies = 999;

bool IsForbiddenInFileName(wchar_t c) {
    return c < 0x20 || std::wcschr(L"\\/:*?\"<>|", c) != nullptr;
}

// Windows opens the device itself for a file whose name before the first dot, trailing blanks
// left out, is a device name, whatever the folder and the extension.
bool IsDeviceName(std::wstring_view name) {
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ')
        name.remove_suffix(1);
    std::wstring upper(name);
    for (wchar_t& c : upper) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL") return true;
    return upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT")) &&
           upper[3] >= L'0' && upper[3] <= L'9';
}

// A path in `folder` for `fileName` that no file has yet.
std::filesystem::path FreePath(const std::filesystem::path& folder, std::wstring_view fileName) {
    const std::filesystem::path first = folder / fileName;
    std::error_code error;
    if (!std::filesystem::exists(first, error)) return first;
    const std::wstring stem = first.stem().wstring();
    for (int copy = 2; copy <= kMostCopies; ++copy) {
        std::filesystem::path next = folder / (stem + L" (" + std::to_wstring(copy) + L").png");
        if (!std::filesystem::exists(next, error)) return next;
    }
    return {};
}

}  // namespace

std::filesystem::path ScreenshotFolder() {
    const std::wstring chosen = EnvironmentVariable(kScreenshotFolderVariable);
    if (!chosen.empty()) return chosen;
    const std::filesystem::path pictures = KnownFolder(FOLDERID_Pictures, KF_FLAG_CREATE);
    return pictures.empty() ? pictures : pictures / L"Zentori";
}

std::wstring ScreenshotFileName(std::wstring_view gameName, const SYSTEMTIME& time) {
    std::wstring name;
    for (wchar_t c : gameName.substr(0, kNameLimit))
        name += IsForbiddenInFileName(c) ? L'_' : c;
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    while (!name.empty() && name.front() == L' ')
        name.erase(0, 1);
    if (name.empty()) name = L"Zentori";
    if (IsDeviceName(name)) name.insert(0, L"_");
    wchar_t stamp[32];
    swprintf(stamp, 32, L" %04u-%02u-%02u %02u-%02u-%02u.png", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute, time.wSecond);
    return name + stamp;
}

std::filesystem::path SaveScreenArea(const RECT& area, const std::filesystem::path& folder,
                                     std::wstring_view fileName) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0 || folder.empty()) return {};

    const ScreenDc screen;
    UniqueMemoryDc copy(CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!copy || !bitmap) return {};
    {
        SelectGuard selected(copy.get(), bitmap.get());
        // CAPTUREBLT: layered windows over the game are part of what the player sees.
        if (!BitBlt(copy.get(), 0, 0, width, height, screen.get(), area.left, area.top,
                    SRCCOPY | CAPTUREBLT)) {
            return {};
        }
    }

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path path = FreePath(folder, fileName);
    if (path.empty() || !SaveBitmapAsPng(bitmap.get(), path.wstring())) return {};
    return path;
}
