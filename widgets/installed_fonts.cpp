#include "widgets/installed_fonts.h"

#include <cwchar>
#include <cwctype>

#include "widgets/gdi_handles.h"

namespace {

// Characters every Chinese face has and every Latin-only face lacks: 中文游戏页 ("Chinese game
// page"), all of them drawn by the program's own captions.
constexpr wchar_t kChineseSample[] = L"\u4e2d\u6587\u6e38\u620f\u9875";

bool SameFace(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    }
    return true;
}

}  // namespace

const std::wstring_view kChineseFaces[] = {
    L"Microsoft YaHei",
    L"SimSun",
    L"SimHei",
    L"NSimSun",
    L"Microsoft JhengHei",
    L"Noto Sans CJK SC",
    L"Noto Sans SC",
    L"Source Han Sans SC",
    L"Source Han Sans CN",
    L"WenQuanYi Micro Hei",
    L"WenQuanYi Zen Hei",
    L"Droid Sans Fallback",
};
const size_t kChineseFaceCount = std::size(kChineseFaces);

std::wstring ChooseInstalledFace(std::span<const std::wstring> asked,
                                 const FontInventory& inventory) {
    for (const std::wstring& face : asked) {
        if (!face.empty() && inventory.Has(face)) return face;
    }
    for (std::wstring_view face : kChineseFaces) {
        if (inventory.Has(face)) return std::wstring(face);
    }
    // Only now the whole collection: on a usual system one of the faces above exists, and
    // listing every family costs start-up time.
    const std::vector<std::wstring> families = inventory.Families();
    for (const std::wstring& face : families) {
        if (inventory.DrawsChinese(face)) return face;
    }
    return families.empty() ? std::wstring() : families.front();
}

bool SystemFontInventory::Has(std::wstring_view face) const {
    const std::wstring name(face);
    UniqueFontFamily family;
    return !name.empty() &&
           GdipCreateFontFamilyFromName(name.c_str(), nullptr, family.out()) == Gdiplus::Ok &&
           family;
}

std::vector<std::wstring> SystemFontInventory::Families() const {
    // The installed collection belongs to GDI+, and so do the families it lists.
    Gdiplus::GpFontCollection* collection = nullptr;
    INT count = 0;
    if (GdipNewInstalledFontCollection(&collection) != Gdiplus::Ok || !collection ||
        GdipGetFontCollectionFamilyCount(collection, &count) != Gdiplus::Ok || count <= 0) {
        return {};
    }
    std::vector<GpFontFamily*> list(static_cast<size_t>(count));
    INT found = 0;
    if (GdipGetFontCollectionFamilyList(collection, count, list.data(), &found) != Gdiplus::Ok) {
        return {};
    }
    std::vector<std::wstring> names;
    for (INT i = 0; i < found && i < count; ++i) {
        wchar_t name[LF_FACESIZE] = {};
        if (GdipGetFamilyName(list[static_cast<size_t>(i)], name, LANG_NEUTRAL) != Gdiplus::Ok) {
            continue;
        }
        const size_t length = wcsnlen(name, LF_FACESIZE);
        if (length > 0) names.emplace_back(name, length);
    }
    return names;
}

bool SystemFontInventory::DrawsChinese(std::wstring_view face) const {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTW description{};
    description.lfHeight = -16;
    description.lfCharSet = DEFAULT_CHARSET;
    face.copy(description.lfFaceName, face.size());
    UniqueFontGdi font(CreateFontIndirectW(&description));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!font || !dc) return false;
    SelectGuard select(dc.get(), font.get());
    // GDI silently substitutes another face for one it lacks; that one's glyphs do not count.
    wchar_t selected[LF_FACESIZE] = {};
    const int length = GetTextFaceW(dc.get(), LF_FACESIZE, selected);
    if (length <= 0 ||
        !SameFace(std::wstring_view(selected, wcsnlen(selected, LF_FACESIZE)), face)) {
        return false;
    }
    constexpr int kCount = static_cast<int>(std::size(kChineseSample)) - 1;
    WORD glyphs[kCount] = {};
    if (GetGlyphIndicesW(dc.get(), kChineseSample, kCount, glyphs, GGI_MARK_NONEXISTING_GLYPHS) !=
        static_cast<DWORD>(kCount)) {
        return false;
    }
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return false;
    }
    return true;
}
