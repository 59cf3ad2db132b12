// The face the program's text is drawn in, chosen from the families installed on this system.
//
// Widgets ask for faces by name (the system menu font's, or one of their own). A system without
// that face (a trimmed Windows image, Wine without font replacements) would otherwise draw no
// text at all, so the program's face is resolved once at start: the faces asked for, then the
// well-known Chinese faces, then any installed family that has glyphs for Chinese, then any
// installed family at all (Latin text and digits still show).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

// What the system has. A separate interface so the choice can be checked against made-up sets.
class FontInventory {
public:
    virtual ~FontInventory() = default;
    // GDI+ can create a family of this name (an alias or a localised name counts).
    virtual bool Has(std::wstring_view face) const = 0;
    // Every installed family, in the system's order; asked for only when no known face exists.
    virtual std::vector<std::wstring> Families() const = 0;
    virtual bool DrawsChinese(std::wstring_view face) const = 0;
};

// Well-known faces with Chinese glyphs, most common on Windows first.
extern const std::wstring_view kChineseFaces[];
extern const size_t kChineseFaceCount;

// The first of: an asked face that exists; a well-known Chinese face that exists; an installed
// family that draws Chinese; any installed family. Empty when nothing is installed.
std::wstring ChooseInstalledFace(std::span<const std::wstring> asked,
                                 const FontInventory& inventory);

// The inventory of the running system: GDI+'s installed collection, and GDI's glyph lookup for
// the Chinese test. Needs GDI+ started.
class SystemFontInventory : public FontInventory {
public:
    bool Has(std::wstring_view face) const override;
    std::vector<std::wstring> Families() const override;
    bool DrawsChinese(std::wstring_view face) const override;
};
