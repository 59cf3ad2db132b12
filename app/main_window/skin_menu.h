// SkinMenu: the "更换皮肤" pop-up menu of the main window and the skin commands behind its items:
// five pictures from the skin folder of the program directory and a custom picture chosen in
// the open-file dialog SkinFileDialog. Every change fades the new skin in on the main window's
// SkinForm.
//
// The menu refers to the form it changes (owned by the application, outliving the menu). Window
// thread only; GDI+ must be started (the form needs it anyway).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "library/library.h"
#include "widgets/skin_form.h"

// SkinFileDialog: the system's open-file dialog, default title, no filter, opening in `folder`
// (the system's choice when empty). The chosen file's full path, or nothing when the user
// cancelled.
std::optional<std::wstring> ShowSkinFileDialog(HWND owner, const std::wstring& folder);

class SkinMenu {
public:
    // Item ids, in menu order; also the commands Run takes.
    enum Item : UINT {
        kBlueSkin = 1,
        kRedSkin,
        kYellowSkin,
        kWhiteSkin,
        kCuteSkin,
        kCustomSkin,
    };
    struct Entry {
        Item item;
        const char* caption;   // GBK
        const char* skinPath;  // GBK, below the program directory; nullptr: chosen by the user
    };
    static const char kCaption[];            // GBK
    static const char kNotAPictureNotice[];  // GBK: a custom file that cannot be a skin
    static const Entry kEntries[6];
    // The menu's top-left corner lies this many pixels right of and below the pointer.
    static constexpr int kCursorOffset = 3;

    using FileChooser =
        std::function<std::optional<std::wstring>(HWND owner, const std::wstring& folder)>;

    // `programDirectory` (GBK, no trailing separator) holds the skin folder; `chooser` stands in
    // for SkinFileDialog.
    SkinMenu(SkinForm& skin, std::string programDirectory,
             FileChooser chooser = ShowSkinFileDialog);

    // Pops the menu up at the pointer (left or right button choose), the skin shown checked, and
    // runs the chosen item when it closes. Returns the item, 0 when the menu was dismissed.
    UINT Show(HWND owner);
    // Runs an item's command; false when nothing was changed.
    bool Run(UINT item, HWND owner);

    // Hears of every skin the menu applied, to remember it.
    void SetAppliedHandler(std::function<void(const SkinChoice&)> handler) {
        onApplied_ = std::move(handler);
    }
    // Hears what the player should be told (GBK): a chosen file that is no picture.
    void SetNoticeHandler(std::function<void(const std::string&)> handler) {
        onNotice_ = std::move(handler);
    }
    // The item of the skin shown: kCustomSkin for a picture of the player's own, 0 for the start
    // skin, which no item names.
    UINT ShownItem() const;
    // Where the file dialog opens: the folder of the last custom picture (the one shown at start
    // included), else the player's Pictures folder.
    std::wstring DialogFolder() const;
    // The menu skin a remembered relative path names; nullptr for any other path.
    static const Entry* FindEntry(std::string_view relativePath);

    // ApplySkin: the program directory + `relativePath`, faded in.
    bool ApplySkin(std::string_view relativePath);
    // "自定义背景": a picture chosen with the file chooser, faded in. Cancelling, a path the
    // toolkit cannot open, or a file that is no picture (which the notice handler hears of)
    // keep the current skin.
    bool ApplyCustomSkin(HWND owner);

private:
    SkinForm& skin_;
    std::string programDirectory_;
    FileChooser chooser_;
    std::function<void(const SkinChoice&)> onApplied_;
    std::function<void(const std::string&)> onNotice_;
    std::wstring customFolder_;  // where the last custom picture came from in this run
};
