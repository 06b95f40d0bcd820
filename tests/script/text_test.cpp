// Text utilities on code page 932 byte strings: cuts, delimiters, fields and searches.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/text.h"

namespace {
// 表 and ソ end in the byte 0x5C ("\"), ポ in 0x7C ("|").
const std::string kHyo = "表";
const std::string kSo = "ソ";
const std::string kPo = "ポ";
}  // namespace

TEST(TextTest, LiteralsAreShiftJisBytes) {
    ASSERT_EQ(GetACP(), 932u) << "tests must run with the Japanese ANSI code page";
    EXPECT_EQ(kHyo, std::string("\x95\x5C"));
    EXPECT_EQ(kSo, std::string("\x83\x5C"));
    EXPECT_EQ(kPo, std::string("\x83\x7C"));
}

TEST(TextTest, CutsClampToTheText) {
    EXPECT_EQ(CopyHead("abc", 2), "ab");
    EXPECT_EQ(CopyHead("abc", 9), "abc");
    EXPECT_EQ(CopyHead("abc", 0), "");
    EXPECT_EQ(CopyHead("abc", -1), "");
    EXPECT_EQ(CopyTail("abc", 5), "abc");
    EXPECT_EQ(CopyTail("abc", 2), "bc");
    EXPECT_EQ(CopyTail("abc", 0), "");
    EXPECT_EQ(CopyTail("abc", -3), "");
    EXPECT_EQ(CopyFrom("abc", 0), "abc");
    EXPECT_EQ(CopyFrom("abc", -5), "abc");
    EXPECT_EQ(CopyFrom("abc", 2), "bc");
    EXPECT_EQ(CopyFrom("abc", 3), "c");
    EXPECT_EQ(CopyFrom("abc", 4), "");
    EXPECT_EQ(CopyFrom("", 1), "");
}

TEST(TextTest, AddDelimiterRespectsTrailBytesAndSides) {
    EXPECT_EQ(AddDelimiter("C:", "B"), "C:\\");
    EXPECT_EQ(AddDelimiter("C:\\", "B"), "C:\\");
    EXPECT_EQ(AddDelimiter("C:", "b"), "C:") << "a lower-case selector selects nothing";
    EXPECT_EQ(AddDelimiter("C:", "Bottom"), "C:\\") << "only the first byte of the selector counts";
    EXPECT_EQ(AddDelimiter("", "B"), "\\");
    EXPECT_EQ(AddDelimiter("", "T"), "\\");
    EXPECT_EQ(AddDelimiter("Foo", "T"), "\\Foo");
    EXPECT_EQ(AddDelimiter("\\Foo", "T"), "\\Foo");
    EXPECT_EQ(AddDelimiter("C:\\" + kHyo, "B"), "C:\\" + kHyo + "\\");
    EXPECT_EQ(AddDelimiter("C:\\" + kHyo + "\\", "B"), "C:\\" + kHyo + "\\");
    // ＆ is 0x81 0x95: its trail byte has a lead-byte value, so only a count of the whole run
    // tells whether the following 0x5C is a backslash (＆\) or the trail of 表 (＆表).
    EXPECT_EQ(AddDelimiter("＆\\", "B"), "＆\\");
    EXPECT_EQ(AddDelimiter("＆" + kHyo, "B"), "＆" + kHyo + "\\");
    EXPECT_EQ(AddDelimiter("A" + kSo + kSo, "B"), "A" + kSo + kSo + "\\");
}

TEST(TextTest, RemoveDelimiterRemovesOneSingleByteBackslash) {
    EXPECT_EQ(RemoveDelimiter("C:\\A\\\\", "B"), "C:\\A\\");
    EXPECT_EQ(RemoveDelimiter("C:\\A\\", "B"), "C:\\A");
    EXPECT_EQ(RemoveDelimiter("\\A", "T"), "A");
    EXPECT_EQ(RemoveDelimiter("A", "T"), "A");
    EXPECT_EQ(RemoveDelimiter("", "B"), "");
    EXPECT_EQ(RemoveDelimiter("C:\\" + kHyo, "B"), "C:\\" + kHyo) << "trail byte 0x5C is never removed";
    EXPECT_EQ(RemoveDelimiter("C:\\A\\", "x"), "C:\\A\\");
}

TEST(TextTest, GetFieldSplitsAtOneByteSeparators) {
    EXPECT_EQ(GetField("a,,c", ",", 1), "a");
    EXPECT_EQ(GetField("a,,c", ",", 2), "");
    EXPECT_EQ(GetField("a,,c", ",", 3), "c");
    EXPECT_EQ(GetField("a,,c", ",", 4), "");
    EXPECT_EQ(GetField("a,,c", ",", 0), "");
    EXPECT_EQ(GetField("a,,c", ",,", 1), "a,,c") << "a two-byte separator never matches";
    EXPECT_EQ(GetField("IDCheck:MyApp", ":", 2), "MyApp");
    EXPECT_EQ(GetField(",lead", ",", 1), "");
    EXPECT_EQ(GetField(",lead", ",", 2), "lead");
    // The byte 0x7C inside ポ is no separator for a "," split, and the character stays whole.
    EXPECT_EQ(GetField(kPo + "|x," + kPo, ",", 1), kPo + "|x");
    EXPECT_EQ(GetField(kPo + "|x," + kPo, ",", 2), kPo);
}

TEST(TextTest, FindMbcsOnlyMatchesAtCharacterBoundaries) {
    EXPECT_EQ(FindMbcs("\\", kSo), 0u) << "the 0x5C inside ソ is not a backslash";
    EXPECT_EQ(FindMbcs("\\", kSo + "\\"), 3u);
    EXPECT_EQ(FindMbcs("", "abc"), 0u);
    EXPECT_EQ(FindMbcs("bc", "abc"), 2u);
    EXPECT_EQ(FindMbcs("abcd", "abc"), 0u);
    EXPECT_EQ(FindMbcs("|", kPo + "|"), 3u);
}

TEST(TextTest, FindNoCaseIgnoresLetterCase) {
    EXPECT_EQ(FindNoCase("Dsk)", "(c_dsk)\\App.lnk"), 4u) << "1-based: ( c _ d";
    EXPECT_EQ(FindNoCase("SETUP ONLY.", "my setup only. title"), 4u);
    EXPECT_EQ(FindNoCase("x", "abc"), 0u);
    EXPECT_TRUE(ContainsNoCase("C:\\A.DLLS\\README.TXT", ".dll"));
    EXPECT_TRUE(EqualsNoCase("c:\\Windows\\", "C:\\WINDOWS\\"));
    EXPECT_FALSE(EqualsNoCase("c:\\Windows", "C:\\WINDOWS\\"));
}

TEST(TextTest, MapTextUpperCasesAndWidens) {
    EXPECT_EQ(MapText("abc", LCMAP_UPPERCASE), "ABC");
    EXPECT_EQ(MapText("", LCMAP_UPPERCASE), "");
    EXPECT_EQ(MapText("abc", LCMAP_FULLWIDTH), "ａｂｃ");
    EXPECT_EQ(MapText(kHyo + "a", LCMAP_UPPERCASE), kHyo + "A") << "double-byte characters keep their bytes";
    EXPECT_EQ(MapText("abc", 0xFFFFFFFF), "abc") << "invalid flags give the unchanged text";
}

TEST(TextTest, PathPartsAreLeadByteAware) {
    EXPECT_EQ(FileNamePart("C:\\Program Files\\App\\APP.EXE"), "APP.EXE");
    EXPECT_EQ(FileNamePart("A:X.TXT"), "X.TXT");
    EXPECT_EQ(FileNamePart("C:\\" + kHyo + ".TXT"), kHyo + ".TXT");
    EXPECT_EQ(FolderPart("C:\\" + kSo + "\\" + kHyo + ".TXT"), "C:\\" + kSo + "\\");
    EXPECT_EQ(FolderPart("NAME"), "");
    EXPECT_EQ(DrivePart("D:\\X"), "D:");
    EXPECT_EQ(DrivePart("\\\\server\\share"), "");
}

TEST(TextTest, NumbersParseAndFormat) {
    long value = 0;
    EXPECT_TRUE(TryStrToInt32("12", value));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(TryStrToInt32("-7", value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(TryStrToInt32("$FF", value));
    EXPECT_EQ(value, 255);
    EXPECT_TRUE(TryStrToInt32("$FFFFFFFF", value));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(TryStrToInt32("abc", value));
    EXPECT_FALSE(TryStrToInt32("", value));
    EXPECT_FALSE(TryStrToInt32("$", value));
    EXPECT_FALSE(TryStrToInt32("3000000000", value));
    EXPECT_FALSE(TryStrToInt32("12x", value));
    EXPECT_EQ(FormatThousands(1234567890), "1,234,567,890");
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
}
