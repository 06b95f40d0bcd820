// Code page 932: scripts, logs and INI data read and written the same on every system, as Windows
// itself converts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>

#include "base/cp932.h"
#include "base/utf.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string Code(unsigned code) {  // one byte below 0x100, else two
    std::string bytes;
    if (code >= 0x100) bytes += static_cast<char>(code >> 8);
    bytes += static_cast<char>(code & 0xFF);
    return bytes;
}

}  // namespace

TEST(Cp932, TrailByte5CIsNoSeparator) {
    struct Case {
        const char* cp932;
        const char* utf8;
        long separators;
    } cases[] = {
        {"\x83\x5C", "ソ", 0}, {"\x95\x5C", "表", 0}, {"\x94\x5C", "能", 0}, {"\x8F\x5C", "十", 0},
        {"\x97\x5C", "予", 0}, {"C:\\Users\\\x95\x5C\\Documents", "C:\\Users\\表\\Documents", 3},
    };
    for (const Case& c : cases) {
        std::string utf8 = Cp932ToUtf8(c.cp932), back;
        EXPECT_EQ(utf8, c.utf8);
        EXPECT_EQ(std::count(utf8.begin(), utf8.end(), '\\'), c.separators) << c.utf8;
        EXPECT_TRUE(Utf8ToCp932(utf8, back));
        EXPECT_EQ(back, c.cp932);
    }
}

// Every defined single byte and pair comes back as itself, or, when its character has several
// forms, as the one Windows writes, which is the same character.
TEST(Cp932, EveryCharacterRoundTrips) {
    int defined = 0, duplicates = 0;
    for (unsigned code = 0; code < 0x10000; ++code) {
        unsigned lead = code >> 8, trail = code & 0xFF;
        bool pair = code >= 0x100;
        if (pair ? !IsCp932LeadByte(lead) || trail < 0x40 || trail > 0xFC : IsCp932LeadByte(code)) continue;
        std::string bytes = Code(code), utf8 = Cp932ToUtf8(bytes), back;
        if (utf8 == "・" && code != 0x8145) continue;  // an undefined pair
        ++defined;
        ASSERT_TRUE(Utf8ToCp932(utf8, back)) << std::hex << code;
        if (back != bytes) {
            ++duplicates;
            ASSERT_EQ(Cp932ToUtf8(back), utf8) << std::hex << code;
        }
    }
    std::cout << defined << " codes, " << duplicates << " of them another form of a character\n";
}

TEST(Cp932, EncodesExactFormsOnly) {
    struct Case {
        const char* utf8;
        const char* cp932;
        bool exact;
    } cases[] = {
        {"José", "Jos?", false}, {"Zoë", "Zo?", false}, {"😀!", "?!", false}, {"€", "?", false},
        {"a\xED\xA0\x80", "a?", false},  // a lone surrogate
        {"a\xFF", "a?", false},          // no UTF-8
        {"Ω", "\x83\xB6", true}, {"ｱ", "\xB1", true}, {"", "", true},
        // Characters with several forms: JIS X 0208 before NEC row 13, IBM extensions before NEC's.
        {"≒∵￢", "\x81\xE0\x81\xE6\x81\xCA", true}, {"Ⅰ㈱", "\x87\x54\x87\x8A", true},
        {"纊ⅰ", "\xFA\x5C\xFA\x40", true},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Utf8ToCp932(c.utf8, out), c.exact) << c.utf8;
        EXPECT_EQ(out, c.cp932);
        EXPECT_EQ(IsCp932Encodable(c.utf8), c.exact) << c.utf8;
    }
}

TEST(Cp932, DecodesMalformedBytesAsWindows) {
    struct Case {
        std::string cp932;
        std::string utf8;
    } cases[] = {
        {"a\x81", "a・"},                                  // a lead byte at the end
        {"\x81 a", "・a"},                                 // a bad trail byte goes with the lead
        {std::string("\x81\0a", 3), std::string("・\0a", 5)},  // but a NUL does not
        {"\x85\x40\x81\x7F", "・・"},                      // undefined pairs
        {"\x80\xA0\xFD\xFE\xFF", "\u0080\uF8F0\uF8F1\uF8F2\uF8F3"},
        {"\xF0\x40\xF9\xFC\xA1\xDF", "\uE000\uE757｡ﾟ"},  // the user-defined area, half-width kana
    };
    for (const Case& c : cases) EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
}

#ifdef _WIN32
namespace {

std::string SystemDecode(const std::string& bytes) {
    int n = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string text(n, u'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(text.data()), n);
    return Utf16ToUtf8(text);
}

bool SystemEncode(wchar_t c, std::string& out) {
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &c, 1, nullptr, 0, nullptr, nullptr);
    out.assign(n, '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &c, 1, out.data(), n, nullptr, &usedDefault);
    return !usedDefault;
}

}  // namespace

TEST(Cp932, MatchesTheSystemConversion) {
    for (unsigned b = 0; b < 0x100; ++b) ASSERT_EQ(Cp932ToUtf8(Code(b)), SystemDecode(Code(b))) << std::hex << b;
    for (unsigned code = 0; code < 0x10000; ++code) {
        std::string pair = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        ASSERT_EQ(Cp932ToUtf8(pair), SystemDecode(pair)) << std::hex << code;
    }
    for (char32_t c = 0; c < 0x10000; ++c) {
        std::string utf8, mine, system;
        AppendUtf8(utf8, c);
        bool exact = Utf8ToCp932(utf8, mine);
        ASSERT_EQ(exact, SystemEncode(static_cast<wchar_t>(c), system)) << std::hex << static_cast<unsigned>(c);
        ASSERT_EQ(mine, system) << std::hex << static_cast<unsigned>(c);
    }
}
#endif
