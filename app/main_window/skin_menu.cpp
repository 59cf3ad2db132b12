#include "app/main_window/skin_menu.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <type_traits>

#include "app/process/program_directory.h"
#include "win/wide_text.h"
#include "text/text_utils.h"
#include "widgets/picture.h"

namespace {

struct MenuDestroy {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroy>;

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

// A menu bar holding one pop-up, "更换皮肤", with the items and `checked` (0: none) checked; the
// pop-up is what is shown.
UniqueMenu BuildMenu(UINT checked) {
    UniqueMenu bar(CreateMenu());
    if (!bar) return nullptr;
    HMENU popup = CreatePopupMenu();
    if (!popup) return nullptr;
    for (const SkinMenu::Entry& entry : SkinMenu::kEntries) {
        const UINT state = entry.item == checked ? MF_CHECKED : MF_UNCHECKED;
        AppendMenuW(popup, MF_STRING | state, entry.item, GbkToWide(entry.caption).c_str());
    }
    // From here the bar owns the pop-up and destroys it with itself.
    if (!AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup),
                     GbkToWide(SkinMenu::kCaption).c_str())) {
        DestroyMenu(popup);
        return nullptr;
    }
    return bar;
}

std::wstring PicturesFolder() {
    PWSTR pictures = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &pictures))) {
        folder = pictures;
    }
    CoTaskMemFree(pictures);
    return folder;
}

std::wstring FolderOf(std::string_view gbkPath) {
    return std::filesystem::path(GbkToWide(gbkPath)).parent_path().wstring();
}

}  // namespace

std::optional<std::wstring> ShowSkinFileDialog(HWND owner, const std::wstring& folder) {
    std::wstring path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // OFN_NOCHANGEDIR: browsing must not move the process's current directory.
    dialog.Flags =
        OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // The common dialogs are loaded only for this: linked with the program they would bring the
    // print spooler into every start (under Wine with the whole of CUPS, some megabytes).
    const UniqueModule dialogs(LoadLibraryW(L"comdlg32.dll"));
    using OpenFileName = BOOL(WINAPI*)(OPENFILENAMEW*);
    const auto open = dialogs ? reinterpret_cast<OpenFileName>(reinterpret_cast<void*>(
                                    GetProcAddress(dialogs.get(), "GetOpenFileNameW")))
                              : nullptr;
    if (!open || !open(&dialog)) return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return path;
}

const char SkinMenu::kCaption[] = "更换皮肤";
const char SkinMenu::kNotAPictureNotice[] = "这个文件不是可以用作皮肤的图片";
const SkinMenu::Entry SkinMenu::kEntries[6] = {
    {kBlueSkin, "蓝色背景", "\\skin\\2.jpg"},   {kRedSkin, "红色背景", "\\skin\\3.jpg"},
    {kYellowSkin, "黄色背景", "\\skin\\4.jpg"}, {kWhiteSkin, "白色背景", "\\skin\\5.jpg"},
    {kCuteSkin, "可爱背景", "\\skin\\6.jpg"},   {kCustomSkin, "自定义背景", nullptr},
};

SkinMenu::SkinMenu(SkinForm& skin, std::string programDirectory, FileChooser chooser)
    : skin_(skin), programDirectory_(std::move(programDirectory)), chooser_(std::move(chooser)) {}

UINT SkinMenu::Show(HWND owner) {
    const UniqueMenu menu = BuildMenu(ShownItem());
    if (!menu) return 0;
    POINT cursor{};
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if its owner is in the foreground.
    SetForegroundWindow(owner);
    const UINT item = static_cast<UINT>(TrackPopupMenu(
        GetSubMenu(menu.get(), 0),
        TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
        cursor.x + kCursorOffset, cursor.y + kCursorOffset, 0, owner, nullptr));
    // Lets the owner's thread leave the menu's modal state cleanly (a known pop-up menu quirk).
    PostMessageW(owner, WM_NULL, 0, 0);
    if (item != 0) Run(item, owner);
    return item;
}

bool SkinMenu::Run(UINT item, HWND owner) {
    for (const Entry& entry : kEntries) {
        if (entry.item != item) continue;
        return entry.skinPath ? ApplySkin(entry.skinPath) : ApplyCustomSkin(owner);
    }
    return false;
}

const SkinMenu::Entry* SkinMenu::FindEntry(std::string_view relativePath) {
    for (const Entry& entry : kEntries) {
        if (entry.skinPath && entry.skinPath == relativePath) return &entry;
    }
    return nullptr;
}

UINT SkinMenu::ShownItem() const {
    const std::string& shown = skin_.CurrentSkinPath();
    if (shown.empty()) return 0;
    const std::string skinFolder = programDirectory_ + "\\skin\\";
    if (programDirectory_.empty() || !shown.starts_with(skinFolder)) return kCustomSkin;
    const Entry* entry = FindEntry(std::string_view(shown).substr(programDirectory_.size()));
    return entry ? static_cast<UINT>(entry->item) : 0u;
}

std::wstring SkinMenu::DialogFolder() const {
    if (!customFolder_.empty()) return customFolder_;
    if (ShownItem() == kCustomSkin) return FolderOf(skin_.CurrentSkinPath());
    return PicturesFolder();
}

bool SkinMenu::ApplySkin(std::string_view relativePath) {
    // Without the program directory the path would point at the root of the current drive.
    if (programDirectory_.empty()) return false;
    if (!skin_.SetSkin(JoinBytes({programDirectory_, relativePath}), 1)) return false;
    if (onApplied_) onApplied_(SkinChoice{false, std::string(relativePath)});
    return true;
}

bool SkinMenu::ApplyCustomSkin(HWND owner) {
    const std::optional<std::wstring> chosen =
        chooser_ ? chooser_(owner, DialogFolder()) : std::nullopt;
    if (!chosen || chosen->empty()) return false;
    const std::string path = GbkPathFor(*chosen);
    if (path.empty()) return false;
    // A file picked by mistake (no picture, or a damaged one) would leave a blank window; the
    // current skin stays instead.
    {
        Picture probe;
        if (!probe.LoadFromFile(path)) {
            if (onNotice_) onNotice_(kNotAPictureNotice);
            return false;
        }
    }
    if (!skin_.SetSkin(path, 1)) return false;
    customFolder_ = std::filesystem::path(*chosen).parent_path().wstring();
    if (onApplied_) onApplied_(SkinChoice{true, path});
    return true;
}
