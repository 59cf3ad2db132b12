// Text and URL routines. GBK, UTF-8 and UTF-16 texts are written as escapes with the characters
// in comments, so the expectations do not depend on the compiler's execution character set.
// The same expectations must hold natively (iconv) and on Windows/Wine (code page 936).
#include "text/text_utils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace std::string_view_literals;

// --- URL splitting

struct UrlCase {
    std::string_view url;
    std::string_view host;
    int port;
    std::string_view path;
};

TEST(TextUtilsUrl, SplitsHostPortAndPath) {
    const UrlCase cases[] = {
        {"HTTP://WWW.Example.COM:8080/a?b", "www.example.com", 8080, "/a?b"},
        {"http://example.com", "example.com", 80, "/"},
        {"http://example.com/", "example.com", 80, "/"},
        {"http://example.com/list?x=1#top", "example.com", 80, "/list?x=1#top"},
        {"example.com/x/y", "example.com", 80, "/x/y"},
        {"Example.com:81", "example.com", 81, "/"},
        // https:// is known too, with its own default port; other schemes are split as if
        // there were none.
        {"https://a.com/x", "a.com", 443, "/x"},
        {"HTTPS://A.com:8443", "a.com", 8443, "/"},
        {"https://a.com:80/", "a.com", 80, "/"},
        {"ftp://a.com/x", "ftp", 0, "//a.com/x"},
        {"httpss://a.com/x", "httpss", 0, "//a.com/x"},
        // Ports: read as a truncated decimal number; not a number or not a TCP port gives 0.
        {"http://host:80.9/", "host", 80, "/"},
        {"http://host:abc/", "host", 0, "/"},
        {"http://host:/", "host", 0, "/"},
        {"http://host:65535/", "host", 65535, "/"},
        {"http://host:65536/", "host", 0, "/"},
        {"http://host:-80/", "host", 0, "/"},
        {"http://host:99999999999999999999/", "host", 0, "/"},
        // A host that also occurs inside the scheme still gets its own path.
        {"http://t/x", "t", 80, "/x"},
        {"http://h:8/p?q", "h", 8, "/p?q"},
        {"http://tt/", "tt", 80, "/"},
        {"http:///x", "", 80, "/x"},
        {"", "", 80, "/"},
        {"http://", "", 80, "/"},
        {"http:/", "http", 0, "/"},
        // Double-byte characters are not lower-cased, not even a trail byte that looks like "A".
        {"http://\xD6\xD0"
         "Ab.COM/x" /* 中Ab.COM */,
         "\xD6\xD0"
         "ab.com",
         80, "/x"},
        {"http://\x81\x41Z/", "\x81\x41z", 80, "/"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(std::string(c.url));
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
    }
}

TEST(TextUtilsUrl, TellsABaseAddressASettingMayGive) {
    const struct {
        std::string_view url;
        bool valid;
        bool https;
    } cases[] = {
        {"http://game.example.com", true, false},
        {"HTTPS://Game.Example.com:8443", true, true},
        {"https://127.0.0.1:1/catalogue/v2", true, true},
        {"ftp://game.example.com", false, false},
        {"http://", false, false},
        {"https:///path", false, true},
        {"http://host:", false, false},
        {"http://host:0", false, false},
        {"http://host:65536", false, false},
        {"http://user@host", false, false},
        {"http://[::1]:80", false, false},
        {"http://ho st", false, false},
        {"http://host/a b", false, false},
        {"http://host/?q=1", false, false},
        {"http://.host", false, false},
        {"http://\xD6\xD0.com", false, false},
        {" http://host", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.url));
        EXPECT_EQ(IsWebBaseUrl(c.url), c.valid);
        EXPECT_EQ(UrlIsHttps(c.url), c.https);
    }
}

TEST(TextUtilsUrl, TellsTheLoopbackHosts) {
    for (std::string_view host : {"localhost", "127.0.0.1", "127.255.0.9"}) {
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    }
    for (std::string_view host :
         {"", "localhost.example.com", "128.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.256",
          "127.0.0.0001", "127..0.1", "127.0.0.1x", "10.127.0.1", "game.example.com"}) {
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
    }
}

// --- Escapes

struct TextCase {
    std::string_view input;
    std::string_view expected;
};

TEST(TextUtilsEscapes, UrlEncodeKeepsOnlyLettersAndDigits) {
    const TextCase cases[] = {
        {"", ""},
        {"azAZ09", "azAZ09"},
        {" ", "%20"},
        {"\n", "%0A"},
        {"-_.~", "%2D%5F%2E%7E"},
        {"\xD6\xD0" /* 中 */, "%D6%D0"},
        {"a b&c=d", "a%20b%26c%3Dd"},
        {"\x01\x7F\x80\xFF", "%01%7F%80%FF"},
        {"a\0b"sv, "a%00b"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(UrlEncode(c.input), c.expected);
    }
}

TEST(TextUtilsEscapes, UrlEncodeUnreservedKeepsWhatLinksKeep) {
    const TextCase cases[] = {
        {"-_.~azAZ09", "-_.~azAZ09"},
        {" /?&=%+", "%20%2F%3F%26%3D%25%2B"},
        {"\xE4\xB8\xAD" /* 中, UTF-8 */, "%E4%B8%AD"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(UrlEncodeUnreserved(c.input), c.expected);
    }
}

TEST(TextUtilsEscapes, PercentDecodeReadsUtf8Escapes) {
    const TextCase cases[] = {
        {"", ""},
        {"%E4%B8%AD" /* 中 in UTF-8 */, "\xD6\xD0"},
        {"%e4%b8%ad%E6%96%87" /* 中文 */, "\xD6\xD0\xCE\xC4"},
        {"%41%42c", "ABc"},
        {"a+b", "a+b"},
        {"%E2%82%AC" /* euro sign */, "\x80"},
        // Literal UTF-8 between escapes is converted too.
        {"\xE4\xB8\xAD%20" /* 中 + blank */, "\xD6\xD0 "},
        // A character whose bytes come partly escaped, partly literal.
        {"\xE4%B8\xAD%E6\x96%87" /* 中文 */, "\xD6\xD0\xCE\xC4"},
        // A zero byte is dropped.
        {"a%00b", "ab"},
        // Only "%" with two hexadecimal digits is an escape; any other "%" stays with what follows.
        {"100%;x", "100%;x"},
        {"%4g", "%4g"},
        {"%g4", "%g4"},
        {"width:100%\"><b>", "width:100%\"><b>"},
        {"100%\xE5\xA4\xA7" /* 100%大 */, "100%\xB4\xF3"},
        {"a%&b", "a%&b"},
        {"%%41", "%A"},
        // An escape cut short by the end of the text is text too.
        {"abc%", "abc%"},
        {"%", "%"},
        {"abc%4", "abc%4"},
        {"%E4%B8", "?"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(PercentDecode(c.input), c.expected);
    }
}

TEST(TextUtilsEscapes, HexGroupsToText) {
    const TextCase cases[] = {
        {"", ""},
        {"4e2d", "\xD6\xD0"},              // 中
        {"4E2D6587", "\xD6\xD0\xCE\xC4"},  // 中文
        {"00410042", "AB"},
        {"4e2", "\x81\x9D"},  // three digits: U+4EE2 仢
        {"4e", "\xBA\xF5"},   // two digits: U+4E4E 乎
        {"4", "?"},           // one digit: U+0404 has no GBK form
        {"41", "?"},          // U+4141 has no GBK form
        {"00004e2d", ""},     // the text ends at the first NUL unit
        {"zz41", "A"},        // non-hexadecimal digits count as 0
        {"d83dde00", "??"},   // each surrogate on its own
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(HexGroupsToText(c.input), c.expected);
    }
}

TEST(TextUtilsEscapes, DecodeUnicodeEscapes) {
    const TextCase cases[] = {
        {"", ""},
        {"\\u4e2d\\u6587", "\xD6\xD0\xCE\xC4"},  // 中文
        {"\\u4e2dabc",
         "\xD6\xD0"
         "abc"},  // 中abc
        {"\\u4E2D, \\u0041!", "\xD6\xD0, A!"},
        // The halves of a surrogate pair in adjacent escapes are one character (U+1F600, which
        // GBK cannot hold); halves apart or in the wrong order are a character each.
        {"\\ud83d\\ude00", "?"},
        {"\\ud83d\\ude00\\u4e2d", "?\xD6\xD0"},
        {"\\ud83dx\\ude00", "?x?"},
        {"\\ude00\\ud83d", "??"},
        {"\\ud83d\\ud83d\\ude00", "??"},
        // Empty pieces between and after markers add nothing.
        {"\\u\\u4e2d\\u", "\xD6\xD0"},
        // Text in front of the first marker is read as a group too.
        {"x\\u4e2d", "\xD6\xD0"},
        // Groups cut short by the end of the text.
        {"\\u4e2d\\u4e", "\xD6\xD0\xBA\xF5"},   // 中乎
        {"\\u4e2d\\u4e2", "\xD6\xD0\x81\x9D"},  // 中仢
        // A result that comes out empty gives back the input.
        {"\\u", "\\u"},
        {"\\u0000", "\\u0000"},
        // A backslash that is the trail byte of U+661E (bytes 95 5C) starts no escape.
        {"\\u4e2d\x95\\u6587", "\xD6\xD0\x95\\u6587"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::string(c.input));
        EXPECT_EQ(DecodeUnicodeEscapes(c.input), c.expected);
    }
}

TEST(TextUtilsEscapes, JoinBytes) {
    EXPECT_EQ(JoinBytes({}), "");
    EXPECT_EQ(JoinBytes({"", ""}), "");
    EXPECT_EQ(JoinBytes({"a", "", "bc", "d"}), "abcd");
    EXPECT_EQ(JoinBytes({"a\0"sv, "\0b"sv}), "a\0\0b"sv);
}

// --- Code pages

struct Utf8Case {
    std::string_view utf8;
    std::u16string_view utf16;
};

// Malformed input is expected exactly as Windows' MultiByteToWideChar(CP_UTF8, 0) decodes it.
TEST(TextUtilsCodePage, Utf8ToWideMatchesWindows) {
    const Utf8Case cases[] = {
        {"", u""},
        {"a\0b"sv, u"a\0b"sv},
        {"\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},  // 中文
        {"\xDF\xBF\xE0\xA0\x80", u"\u07FF\u0800"},
        {"\xEF\xBB\xBF"
         "a",
         u"\uFEFF"
         "a"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        // Bytes that cannot start a sequence.
        {"\x80", u"\uFFFD"},
        {"\xA0\xA1", u"\uFFFD\uFFFD"},
        {"\xFF", u"\uFFFD"},
        {"\xFE\xFF", u"\uFFFD\uFFFD"},
        {"\xC0\x80", u"\uFFFD\uFFFD"},
        {"\xC1\xBF", u"\uFFFD\uFFFD"},
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        // Overlong forms, surrogates and values above U+10FFFF.
        {"\xE0\x80\x80", u"\uFFFD\uFFFD"},
        {"\xE0\x9F\xBF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD"},
        {"\xED\xBF\xBF", u"\uFFFD\uFFFD"},
        {"\xF0\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF0\x8F\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
        // A sequence broken by a byte that does not continue it.
        {"\xE4\xB8\x41",
         u"\uFFFD"
         "A"},
        {"\xC3\x28", u"\uFFFD("},
        {"\xE2\x82\x28", u"\uFFFD("},
        {"\xC2\xC2\xA9", u"\uFFFD\u00A9"},
        {"\xF0\x28\x8C\xBC", u"\uFFFD(\uFFFD\uFFFD"},
        {"\xF0\x90\x28\xBC", u"\uFFFD(\uFFFD"},
        {"\xF0\x28\x8C\x28", u"\uFFFD(\uFFFD("},
        {"\xE4\xB8\xAD\x80\xAD", u"\u4E2D\uFFFD\uFFFD"},
        // A sequence cut short by the end of the input takes the rest with it.
        {"\xC2", u"\uFFFD"},
        {"a\xE4\xB8", u"a\uFFFD"},
        {"\xF0\x9F\x98", u"\uFFFD"},
        {"\xE4\x41", u"\uFFFD"},
        {"\xF0\x41\x42", u"\uFFFD"},
    };
    for (const Utf8Case& c : cases) {
        SCOPED_TRACE(UrlEncode(c.utf8));
        EXPECT_EQ(Utf8ToWide(c.utf8), c.utf16);
    }
}

TEST(TextUtilsCodePage, Utf8ToAnsi) {
    const TextCase cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},  // 中文
        {"\xC3\xA9", "\xA8\xA6"},                          // é
        {"\xE2\x82\xAC", "\x80"},                          // euro sign
        {"\xF0\x9F\x98\x80", "??"},                        // U+1F600: two units, no GBK form
        {"\xE3\x83\xBB", "?"},                             // U+30FB: no GBK form
        {"\xC2\xA5", "?"},                                 // U+00A5: no look-alike substitute
        {"\xFF\xE4\xB8\xAD", "?\xD6\xD0"},                 // malformed byte, then 中
        {"a\0b"sv, "a"},                                   // ends at the first NUL
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(UrlEncode(c.input));
        EXPECT_EQ(Utf8ToAnsi(c.input), c.expected);
    }
}

struct GbkCase {
    std::string_view gbk;
    std::u16string_view utf16;
};

TEST(TextUtilsCodePage, GbkAndUtf16RoundTrip) {
    const GbkCase cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},                // 中文
        {"Zentori\xCD\xF8\xD2\xB3", u"Zentori\u7F51\u9875"},  // Zentori网页
        {"\xA1\xA4\xA1\xAA", u"\u00B7\u2014"},                // middle dot, em dash
        {"\xA3\xA4", u"\uFFE5"},                              // full-width yen sign
        {"\x80", u"\u20AC"},                                  // euro sign
        {"\x81\x40", u"\u4E02"},                              // trail byte 0x40 ("@")
        {"\x95\x5C", u"\u661E"},                              // trail byte 0x5C ("\")
        // Windows maps the user-defined areas to the Private Use Area.
        {"\xAA\xA1\xFE\xFE\xA1\x40", u"\uE000\uE4C5\uE4C6"},
        {"\xFF", u"\uF8F5"},
    };
    for (const GbkCase& c : cases) {
        SCOPED_TRACE(UrlEncode(c.gbk));
        EXPECT_EQ(AnsiToWide(c.gbk), c.utf16);
        EXPECT_EQ(WideToAnsi(c.utf16), c.gbk);
        EXPECT_EQ(Utf8ToWide(AnsiToUtf8(c.gbk)), c.utf16);
    }
}

TEST(TextUtilsCodePage, WideToAnsiReplacesWhatGbkCannotHold) {
    const std::pair<std::u16string_view, std::string_view> cases[] = {
        {u"\U0001F600", "??"},  // each surrogate on its own
        {u"\xD83D"
         "a",
         "?a"},                                 // lone high surrogate
        {u"a\xDE00", "a?"},                     // lone low surrogate
        {u"\u00A5\u00B2\u00E0", "??\xA8\xA4"},  // yen and superscript two have no form, à has
        {u"\uFFFD", "?"},
        {u"a\0b"sv, "a"},  // ends at the first NUL
    };
    for (const auto& [utf16, gbk] : cases) {
        EXPECT_EQ(WideToAnsi(utf16), gbk) << UrlEncode(gbk);
    }
}

TEST(TextUtilsCodePage, AnsiToWideHandlesBrokenPairs) {
    const GbkCase cases[] = {
        {"\x81", u"?"},  // lead byte at the very end
        {"a\x81", u"a?"},   {"\xD6\xD0\xD6", u"\u4E2D?"},
        {"\x81\x20", u"?"},  // undefined pair: one default character
        {"\x81\x7F", u"?"}, {"\xD6\xD0\0\xCE\xC4"sv, u"\u4E2D"},  // ends at the first NUL
    };
    for (const GbkCase& c : cases) {
        SCOPED_TRACE(UrlEncode(c.gbk));
        EXPECT_EQ(AnsiToWide(c.gbk), c.utf16);
    }
}

// The conversions copy plain ASCII without looking it up, which relies on this.
TEST(TextUtilsCodePage, AsciiIsTheSameInGbk) {
    for (int c = 1; c <= 0x7F; ++c) {
        const std::string ansi(1, static_cast<char>(c));
        const std::u16string wide(1, static_cast<char16_t>(c));
        EXPECT_EQ(WideToAnsi(wide), ansi);
        EXPECT_EQ(AnsiToWide(ansi), wide);
    }
}

// FNV-1a over the conversion of every GBK character and every UTF-16 unit. The expected values
// were taken from Windows' code page 936 tables; the native build must reach the same ones.
TEST(TextUtilsCodePage, WholeCodePageMatchesWindows) {
    auto mix = [](uint64_t hash, unsigned value) { return (hash ^ value) * 0x100000001B3ULL; };
    uint64_t toWide = 0xCBF29CE484222325ULL;
    for (unsigned code = 1; code <= 0xFFFF; ++code) {
        const unsigned lead = code >> 8;
        const bool single = lead == 0 && (code < 0x81 || code == 0xFF);
        const bool pair = lead >= 0x81 && lead <= 0xFE && (code & 0xFF) != 0;
        if (!single && !pair) continue;
        std::string gbk;
        if (pair) gbk += static_cast<char>(lead);
        gbk += static_cast<char>(code & 0xFF);
        for (char16_t unit : AnsiToWide(gbk))
            toWide = mix(toWide, unit);
        toWide = mix(toWide, 0x10000);
    }
    uint64_t toGbk = 0xCBF29CE484222325ULL;
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) {
        for (char byte : WideToAnsi(std::u16string(1, static_cast<char16_t>(unit)))) {
            toGbk = mix(toGbk, static_cast<unsigned char>(byte));
        }
        toGbk = mix(toGbk, 0x100);
    }
    EXPECT_EQ(toWide, 6105860439526170822ULL);
    EXPECT_EQ(toGbk, 9340789382908637854ULL);
}

// --- Searches

struct FindCase {
    std::string_view text;
    std::string_view needle;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(TextUtilsSearch, FindText) {
    const FindCase cases[] = {
        {"abcabc", "bc", 1, false, 2},
        {"abcabc", "bc", 2, false, 2},
        {"abcabc", "bc", 3, false, 5},
        {"abcabc", "bc", 6, false, -1},
        {"abcabc", "abc", 4, false, 4},
        {"abcabc", "c", 6, false, 6},
        {"abcabc", "bc", 7, false, -1},
        {"abcabc", "bc", 1000, false, -1},
        {"abcabc", "bc", 0, false, 2},
        {"abcabc", "bc", -5, false, 2},
        {"abc", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"", "", 1, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"aaa", "aa", 2, false, 2},
        // Never on a trail byte.
        {"\xD6\xD0", "\xD0", 1, false, -1},
        {"\xD0\xD6\xD0", "\xD6", 1, false, -1},
        {"a\xD6\xD0\xD6", "\xD6", 1, false, 2},
        {"a\xD6\xD0\xD6", "\xD6", 3, false, 4},
        {"\xD6\xD0\xD6\xD0", "\xD0\xD6", 1, false, -1},
        {"\xB0\x40@", "@", 1, false, 3},  // 0x40 is "@" as a trail byte
        {"\x81\x40", "@", 1, false, -1},
        {"\x95\x5Cu", "\\u", 1, false, -1},  // 0x5C is a backslash as a trail byte
        {"x\xD6\xD0y", "\xD6\xD0y", 1, false, 2},
        {"\xD6\xD0"
         "abc",
         "a", 1, false, 3},
        // Starting inside a run of double-byte characters.
        {"\xD6\xD0\xD6\xD0", "\xD6\xD0", 2, false, 3},
        {"\xD6\xD0\xD6\xD0", "\xD6\xD0", 3, false, 3},
        {"\xD6\xD0\xD6\xD0", "\xD6\xD0", 4, false, -1},
        {"\xD6\xD0\xD6\xD0", "\xD0", 2, false, -1},
        {"a\xD6\xD0\xD6\xD0"
         "b",
         "b", 3, false, 6},
        // Letter case.
        {"ABC", "abc", 1, false, -1},
        {"xAccept: */*", "accept: ", 1, true, 2},
        {"Referer: x", "REFERER: ", 1, true, 1},
        {"\x81\x41", "\x81\x61", 1, true, -1},  // trail bytes compare exactly
        {"\x81\x61X", "\x81\x61x", 1, true, 1},
        {"\xD6\xD0"
         "A",
         "\xD0"
         "a",
         1, true, -1},
        {"a\xD6\xD0"
         "A",
         "a", 2, true, 4},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(UrlEncode(c.text) + " / " + UrlEncode(c.needle) + " from " +
                     std::to_string(c.start) + (c.ignoreCase ? " ignoring case" : ""));
        EXPECT_EQ(FindText(c.text, c.needle, c.start, c.ignoreCase), c.expected);
    }
}

TEST(TextUtilsSearch, FindTextBackward) {
    const std::string_view pager = "a\">b\">c</a>";
    const FindCase cases[] = {
        {pager, "\">", 13, false, 5},
        {pager, "\">", 1000, false, 5},
        {pager, "\">", 7, false, 5},  // ends at byte 6, wholly within the first 6
        {pager, "\">", 6, false, 2},
        {pager, "\">", 4, false, 2},
        {pager, "\">", 3, false, -1},
        {pager, "\">", 1, false, -1},
        {pager, "\">", 0, false, -1},
        {pager, "\">", -3, false, -1},
        {pager, "", 13, false, -1},
        {"", "a", 5, false, -1},
        {"aaaa", "aa", 5, false, 3},
        {"\xB0\x40@", "@", 4, false, 3},
        {"\xB0\x40", "@", 3, false, -1},
        {"@\xB0\x40", "@", 4, false, 1},
        {"\xD6\xD0\xD6\xD0", "\xD0\xD6", 5, false, -1},
        {"\xD6\xD0\xD6\xD0", "\xD6\xD0", 5, false, 3},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(UrlEncode(c.text) + " / " + UrlEncode(c.needle) + " before " +
                     std::to_string(c.start));
        EXPECT_EQ(FindTextBackward(c.text, c.needle, c.start), c.expected);
    }
}

// A long run of double-byte characters where every candidate lies on a trail byte.
TEST(TextUtilsSearch, LongDoubleByteRun) {
    std::string text = "\xB0";
    for (int i = 0; i < 100000; ++i)
        text += "\xA1\xB0";  // 啊啊... then a lone lead byte
    const int end = static_cast<int>(text.size()) + 1;
    EXPECT_EQ(FindText(text, "\xA1\xB0"), -1);
    EXPECT_EQ(FindText(text, "\xB0\xA1", 2), 3);
    EXPECT_EQ(FindText(text, "\xB0\xA1", 100001), 100001);
    EXPECT_EQ(FindText(text, "\xB0", end - 1), end - 1);
    EXPECT_EQ(FindTextBackward(text, "\xA1\xB0", end), -1);
    EXPECT_EQ(FindTextBackward(text, "\xB0\xA1", end), end - 3);
}

}  // namespace
