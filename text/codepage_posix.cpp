// Code page 936 on Linux, rebuilt from glibc's iconv "CP936" so that native tests and fuzzing
// convert exactly as Windows does.
//
// glibc's CP936 equals the Windows table except that it leaves out Windows' mappings of the
// user-defined areas to the Private Use Area (and of the single byte 0xFF to U+F8F5); those are
// added from kPrivateUseRuns below. Converting character by character through lookup tables also
// reproduces Windows' handling of undefined pairs and of a lead byte at the very end.
#include "text/codepage.h"

#include <iconv.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace codepage {
namespace {

constexpr char16_t kDefaultChar = u'?';
constexpr uint16_t kNoCode = 0xFFFF;  // never a GBK code: 0xFF is not a lead byte

bool IsLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Consecutive GBK codes of one row that Windows maps onto consecutive Private Use code points.
struct PrivateUseRun {
    uint16_t firstCode;
    char16_t firstUnit;
    uint16_t count;
};

constexpr PrivateUseRun kPrivateUseRuns[] = {
    {0xA140, 0xE4C6, 63}, {0xA180, 0xE505, 33}, {0xA240, 0xE526, 63}, {0xA280, 0xE565, 33},
    {0xA2AB, 0xE766, 6},  {0xA2E3, 0xE76C, 2},  {0xA2EF, 0xE76E, 2},  {0xA2FD, 0xE770, 2},
    {0xA340, 0xE586, 63}, {0xA380, 0xE5C5, 33}, {0xA440, 0xE5E6, 63}, {0xA480, 0xE625, 33},
    {0xA4F4, 0xE772, 11}, {0xA540, 0xE646, 63}, {0xA580, 0xE685, 33}, {0xA5F7, 0xE77D, 8},
    {0xA640, 0xE6A6, 63}, {0xA680, 0xE6E5, 33}, {0xA6B9, 0xE785, 8},  {0xA6D9, 0xE78D, 7},
    {0xA6EC, 0xE794, 2},  {0xA6F3, 0xE796, 1},  {0xA6F6, 0xE797, 9},  {0xA740, 0xE706, 63},
    {0xA780, 0xE745, 33}, {0xA7C2, 0xE7A0, 15}, {0xA7F2, 0xE7AF, 13}, {0xA896, 0xE7BC, 11},
    {0xA8BC, 0xE7C7, 1},  {0xA8BF, 0xE7C8, 1},  {0xA8C1, 0xE7C9, 4},  {0xA8EA, 0xE7CD, 21},
    {0xA958, 0xE7E2, 1},  {0xA95B, 0xE7E3, 1},  {0xA95D, 0xE7E4, 3},  {0xA989, 0xE7E7, 13},
    {0xA997, 0xE7F4, 13}, {0xA9F0, 0xE801, 15}, {0xAAA1, 0xE000, 94}, {0xABA1, 0xE05E, 94},
    {0xACA1, 0xE0BC, 94}, {0xADA1, 0xE11A, 94}, {0xAEA1, 0xE178, 94}, {0xAFA1, 0xE1D6, 94},
    {0xD7FA, 0xE810, 5},  {0xF8A1, 0xE234, 94}, {0xF9A1, 0xE292, 94}, {0xFAA1, 0xE2F0, 94},
    {0xFBA1, 0xE34E, 94}, {0xFCA1, 0xE3AC, 94}, {0xFDA1, 0xE40A, 94}, {0xFE50, 0xE815, 47},
    {0xFE80, 0xE844, 33}, {0xFEA1, 0xE468, 94},
};

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(handle_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // The single UTF-16 unit one GBK character converts to, or nothing when glibc rejects it or
    // needs more than one unit.
    std::optional<char16_t> ConvertCharacter(const char* bytes, size_t length) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        unsigned char out[4];
        char* outPtr = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        if (iconv(handle_, &in, &length, &outPtr, &outLeft) == static_cast<size_t>(-1)) return {};
        if (length != 0 || sizeof out - outLeft != 2) return {};
        return static_cast<char16_t>(out[0] | out[1] << 8);
    }

private:
    iconv_t handle_;
};

// Both directions of code page 936, indexed by the single byte or by lead << 8 | trail (leads
// start at 0x81, so the two kinds of index never meet) and by the UTF-16 unit.
class Cp936Tables {
public:
    Cp936Tables() : toUnit_(0x10000, kDefaultChar), toCode_(0x10000, kNoCode) {
        IconvHandle decoder("UTF-16LE", "CP936");
        if (!decoder.valid()) return;
        for (unsigned byte = 0; byte <= 0xFF; ++byte) {
            if (IsLeadByte(static_cast<unsigned char>(byte))) continue;
            const char single = static_cast<char>(byte);
            if (auto unit = decoder.ConvertCharacter(&single, 1)) Map(byte, *unit);
        }
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x01; trail <= 0xFF; ++trail) {
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                if (auto unit = decoder.ConvertCharacter(pair, 2)) Map(lead << 8 | trail, *unit);
            }
        }
        for (const PrivateUseRun& run : kPrivateUseRuns) {
            for (uint16_t i = 0; i < run.count; ++i) {
                Map(run.firstCode + i, static_cast<char16_t>(run.firstUnit + i));
            }
        }
        Map(0xFF, static_cast<char16_t>(0xF8F5));
    }

    char16_t ToUnit(unsigned code) const { return toUnit_[code]; }
    uint16_t ToCode(char16_t unit) const { return toCode_[unit]; }

private:
    void Map(unsigned code, char16_t unit) {
        toUnit_[code] = unit;
        if (toCode_[unit] == kNoCode) toCode_[unit] = static_cast<uint16_t>(code);
    }

    std::vector<char16_t> toUnit_;
    std::vector<uint16_t> toCode_;
};

const Cp936Tables& Tables() {
    static const Cp936Tables tables;
    return tables;
}

}  // namespace

std::u16string GbkToUtf16(std::string_view gbk) {
    const Cp936Tables& tables = Tables();
    std::u16string wide(gbk.size(), u'\0');
    char16_t* out = wide.data();
    for (size_t i = 0; i < gbk.size(); ++i) {
        const auto byte = static_cast<unsigned char>(gbk[i]);
        if (!IsLeadByte(byte)) {
            *out++ = tables.ToUnit(byte);
            continue;
        }
        const bool hasTrail = i + 1 < gbk.size() && gbk[i + 1] != '\0';
        if (!hasTrail) {
            *out++ = kDefaultChar;
            continue;
        }
        *out++ = tables.ToUnit(byte << 8 | static_cast<unsigned char>(gbk[++i]));
    }
    wide.resize(static_cast<size_t>(out - wide.data()));
    return wide;
}

size_t WriteGbk(std::u16string_view utf16, char* out) {
    const Cp936Tables& tables = Tables();
    char* next = out;
    for (char16_t unit : utf16) {
        const uint16_t code = tables.ToCode(unit);
        if (code <= 0xFF) {
            *next++ = static_cast<char>(code);
        } else if (code == kNoCode) {
            *next++ = static_cast<char>(kDefaultChar);
        } else {
            *next++ = static_cast<char>(code >> 8);
            *next++ = static_cast<char>(code & 0xFF);
        }
    }
    return static_cast<size_t>(next - out);
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    std::string gbk(utf16.size() * 2, '\0');
    gbk.resize(WriteGbk(utf16, gbk.data()));
    return gbk;
}

}  // namespace codepage
