// Text utilities over UTF-8: cuts, delimiters, fields, searches without case, widths and the
// parts of a path. 表, ソ and 能 end in the byte "\" in code page 932; in UTF-8 they are plain
// characters that no search for "\" or "|" can split.
#include <gtest/gtest.h>

#include <string>

#include "base/cp932.h"
#include "base/text.h"

namespace {

// A text and what a function makes of it.
struct Mapping {
    std::string text;
    std::string expected;
};

}  // namespace

TEST(Text, CutsClampToTheText) {
    struct Case {
        long long n;
        const char *head, *tail, *from;
    } cases[] = {
        {-5, "", "", "abc"}, {0, "", "", "abc"}, {1, "a", "c", "abc"}, {2, "ab", "bc", "bc"},
        {3, "abc", "abc", "c"}, {4, "abc", "abc", ""}, {9, "abc", "abc", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CopyHead("abc", c.n), c.head) << c.n;
        EXPECT_EQ(CopyTail("abc", c.n), c.tail) << c.n;
        EXPECT_EQ(CopyFrom("abc", c.n), c.from) << c.n;
    }
    EXPECT_EQ(CopyFrom("", 1), "");
}

TEST(Text, DelimitersAreBackslashesNeverPartOfACharacter) {
    struct Case {
        std::string text, side, added, removed;
    } cases[] = {
        {"C:", "B", "C:\\", "C:"},
        {"C:\\", "B", "C:\\", "C:"},
        {"C:\\A\\\\", "B", "C:\\A\\\\", "C:\\A\\"},
        {"C:", "b", "C:", "C:"},            // a lower-case selector selects nothing
        {"C:", "Bottom", "C:\\", "C:"},     // only the first byte of the selector counts
        {"C:\\A\\", "x", "C:\\A\\", "C:\\A\\"},
        {"", "B", "\\", ""},
        {"", "T", "\\", ""},
        {"Foo", "T", "\\Foo", "Foo"},
        {"\\Foo", "T", "\\Foo", "Foo"},
        {"C:\\表", "B", "C:\\表\\", "C:\\表"},
        {"C:\\表\\", "B", "C:\\表\\", "C:\\表"},
        {"＆表", "B", "＆表\\", "＆表"},
        {"Aソソ", "B", "Aソソ\\", "Aソソ"},
        {"能", "T", "\\能", "能"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AddDelimiter(c.text, c.side), c.added) << c.text << " " << c.side;
        EXPECT_EQ(RemoveDelimiter(c.text, c.side), c.removed) << c.text << " " << c.side;
    }
}

TEST(Text, FieldsSplitAtOneByteSeparators) {
    struct Case {
        std::string text, separator;
        long long n;
        std::string field;
    } cases[] = {
        {"a,,c", ",", 1, "a"}, {"a,,c", ",", 2, ""}, {"a,,c", ",", 3, "c"}, {"a,,c", ",", 4, ""},
        {"a,,c", ",", 0, ""}, {"a,,c", ",,", 1, "a,,c"},  // a two-byte separator never matches
        {"IDCheck:MyApp", ":", 2, "MyApp"}, {",lead", ",", 1, ""}, {",lead", ",", 2, "lead"},
        {"ポ|x,ポ", ",", 1, "ポ|x"}, {"ポ|x,ポ", ",", 2, "ポ"}, {"ポ|ソ|表", "|", 2, "ソ"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetField(c.text, c.separator, c.n), c.field) << c.text << " " << c.n;
}

TEST(Text, SearchesFindWholeCharactersInAnyLetterCase) {
    struct Case {
        std::string needle, haystack;
        size_t exact, noCase;
    } cases[] = {
        {"\\", "ソ", 0, 0},
        {"\\", "ソ\\", 4, 4},  // 1-based byte positions
        {"|", "ポ|", 4, 4},
        {"", "abc", 0, 0},
        {"bc", "abc", 2, 2},
        {"abcd", "abc", 0, 0},
        {"Dsk)", "(c_dsk)\\App.lnk", 0, 4},
        {"SETUP ONLY.", "my setup only. title", 0, 4},
        {"ÉCOLE", "la école", 0, 4},
        {"ΣΟΦΊΑ", "η σοφία", 0, 4},
        {"МИР", "Привет, мир", 0, 15},
        {"ＡＢＣ", "xａｂｃ", 0, 2},
        {"表", "ソ表", 4, 4},
        {"a", "ａ", 0, 0},  // a full-width letter is another letter
        {"ア", "ｱ", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindMbcs(c.needle, c.haystack), c.exact) << c.needle << " in " << c.haystack;
        EXPECT_EQ(FindNoCase(c.needle, c.haystack), c.noCase) << c.needle << " in " << c.haystack;
        EXPECT_EQ(ContainsNoCase(c.haystack, c.needle), c.noCase != 0) << c.needle << " in " << c.haystack;
    }
}

TEST(Text, LettersOfEveryScriptAJapaneseNameHoldsCompareWithoutCase) {
    const Mapping upper[] = {
        {"abc xyz", "ABC XYZ"},
        {"josé ñ à ÿ", "JOSÉ Ñ À Ÿ"},
        {"ß ÷", "ß ÷"},  // no capital of one character; no letter
        {"ā ć ł ő ž", "Ā Ć Ł Ő Ž"},
        {"αβγ ω ς ά έ ό ώ", "ΑΒΓ Ω Σ Ά Έ Ό Ώ"},
        {"привет ё ђ", "ПРИВЕТ Ё Ђ"},
        {"ａｂｚ", "ＡＢＺ"},
        {"表ソ能ｱア漢字", "表ソ能ｱア漢字"},
        {"\xFF" "a", "\xFF" "A"},  // a byte that starts no character stays
        {"", ""},
    };
    for (const Mapping& m : upper) {
        EXPECT_EQ(UpperCase(m.text), m.expected) << m.text;
        EXPECT_TRUE(EqualsNoCase(m.text, m.expected)) << m.text;
    }
    struct Pair {
        std::string a, b;
        bool equal;
    } pairs[] = {
        {"c:\\Windows\\", "C:\\WINDOWS\\", true},  {"c:\\Windows", "C:\\WINDOWS\\", false},
        {"C:\\Users\\José\\", "c:\\users\\JOSÉ\\", true}, {"Σοφία", "ΣΟΦΊΑ", true},
        {"Москва", "МОСКВА", true},                   {"ＭＳ Ｐゴシック", "ｍｓ ｐゴシック", true},
        {"a", "ａ", false},                            {"ア", "ｱ", false},
    };
    for (const Pair& p : pairs) EXPECT_EQ(EqualsNoCase(p.a, p.b), p.equal) << p.a << " " << p.b;
}

TEST(Text, FullWidthAndDisplayWidth) {
    const Mapping wide[] = {
        {"abc", "ａｂｃ"}, {"A b~!", "Ａ　ｂ～！"}, {"C:\\", "Ｃ：＼"}, {"表a", "表ａ"}, {"ｱ", "ｱ"}, {"", ""},
    };
    for (const Mapping& m : wide) EXPECT_EQ(FullWidth(m.text), m.expected) << m.text;
    // As many columns as the text's code page 932 form has bytes.
    for (const char* text : {"", "abc", "表", "ｱｲｳ", "ＡＢＣ", "C:\\ソ\\能.TXT", "テスト　アプリ", "～①Ⅰ㈱"}) {
        std::string cp932;
        ASSERT_TRUE(Utf8ToCp932(text, cp932)) << text;
        EXPECT_EQ(DisplayWidth(text), cp932.size()) << text;
    }
    for (int byte = 1; byte <= 0xFF; ++byte) {
        if (IsCp932LeadByte(static_cast<unsigned char>(byte))) continue;
        EXPECT_EQ(DisplayWidth(Cp932ToUtf8(std::string(1, static_cast<char>(byte)))), 1u) << byte;
    }
    EXPECT_EQ(DisplayWidth("José"), 5u);
    EXPECT_EQ(DisplayWidth("😀"), 2u);
}

TEST(Text, NamesTooLongForTheSystemCountUtf16Units) {
    auto times = [](const std::string& piece, size_t n) {
        std::string text;
        for (size_t i = 0; i < n; ++i) text += piece;
        return text;
    };
    struct Case {
        std::string name;
        bool tooLong;
    } cases[] = {
        {times("a", 32766), false}, {times("a", 32767), true},
        {times("表", 32766), false}, {times("表", 32767), true},  // three bytes, one unit
        {times("😀", 16383), false}, {times("😀", 16383) + "a", true},  // four bytes, two units
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(TooLongForTheSystem(c.name), c.tooLong) << c.name.size() << " bytes";
}

TEST(Text, PathPartsNeverSplitACharacter) {
    struct Case {
        std::string path, folder, file, drive;
    } cases[] = {
        {"C:\\Program Files\\App\\APP.EXE", "C:\\Program Files\\App\\", "APP.EXE", "C:"},
        {"A:X.TXT", "A:", "X.TXT", "A:"},
        {"C:\\表.TXT", "C:\\", "表.TXT", "C:"},
        {"C:\\ソ\\表.TXT", "C:\\ソ\\", "表.TXT", "C:"},
        {"D:\\能\\十\\予", "D:\\能\\十\\", "予", "D:"},
        {"ソ", "", "ソ", ""},
        {"NAME", "", "NAME", ""},
        {"\\\\server\\share", "\\\\server\\", "share", ""},
        {"表:", "表:", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.file) << c.path;
        EXPECT_EQ(DrivePart(c.path), c.drive) << c.path;
        EXPECT_EQ(FolderPart(c.path) + FileNamePart(c.path), c.path);
        EXPECT_EQ(IsPathDelimiterAt(c.path, c.folder.size() - 1), !c.folder.empty() && c.folder.back() == '\\');
    }
}

TEST(Text, NumbersParseAndFormat) {
    struct Case {
        std::string text;
        bool ok;
        long value;
    } cases[] = {
        {"12", true, 12}, {"-7", true, -7}, {"$FF", true, 255}, {"$FFFFFFFF", true, -1},
        {"abc", false, 0}, {"", false, 0}, {"$", false, 0}, {"3000000000", false, 0}, {"12x", false, 0},
        {"１２", false, 0},  // full-width digits are no number
    };
    for (const Case& c : cases) {
        long value = 0;
        EXPECT_EQ(TryStrToInt32(c.text, value), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(value, c.value) << c.text;
    }
    EXPECT_EQ(FormatThousands(1234567890), "1,234,567,890");
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
}
