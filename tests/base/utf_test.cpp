// UTF-8 and UTF-16 conversion: every code point and every 16-bit unit round-trips, and bytes that
// are no UTF-8 never stop the decoder.
#include <gtest/gtest.h>

#include "base/utf.h"

TEST(Utf, EveryUnitAndCodePointRoundTrips) {
    for (char32_t c = 0; c <= 0x10FFFF; c += (c < 0x20000 ? 1 : 97)) {
        std::string utf8;
        AppendUtf8(utf8, c);
        std::u16string utf16 = Utf8ToUtf16(utf8);
        ASSERT_EQ(Utf16ToUtf8(utf16), utf8) << std::hex << static_cast<unsigned long>(c);
        size_t at = 0;
        ASSERT_EQ(NextCodePoint(utf8, at), c);
        ASSERT_EQ(at, utf8.size());
    }
    // A lone surrogate, as a Windows file name may hold, comes back as the same unit.
    std::u16string lone = {u'a', 0xD800, u'b', 0xDC01};
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(lone)), lone);
    EXPECT_FALSE(IsValidUtf8(Utf16ToUtf8(lone)));
    EXPECT_EQ(Utf16ToUtf8(u"Jos\u00E9\\\U0001F600"), "Jos\xC3\xA9\\\xF0\x9F\x98\x80");
}

TEST(Utf, MalformedBytesBecomeReplacementCharacters) {
    struct Case {
        std::string bytes;
        std::u16string expected;
        bool valid = false;
    } cases[] = {
        {"\xFF", u"\uFFFD"},
        {"a\xC3", u"a\uFFFD"},                 // cut at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},         // overlong "/"
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xE8\xA1\xA8\\", u"\u8868\\", true},  // 表 and a separator stay apart
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.bytes;
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
    }
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD plain \xE8\xA1\xA8"));
}
