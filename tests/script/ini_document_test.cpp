// The in-memory INI document against the system's profile-string functions on code page 932
// files: every read answers as GetPrivateProfileStringW does for the same file (in the test
// prefix's code page 932), and every sequence of changes leaves the bytes that key-by-key
// WritePrivateProfileStringW calls leave. Names, values and files are written here as UTF-8
// literals and handed over as code page 932 bytes (the file) or their decoded text (the calls).
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/cp932.h"
#include "base/utf.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "script/ini_differential.h"
#include "script/ini_document.h"
#include "support/test_env.h"

namespace {

using inidiff::Cp932Of;

// Names as code page 932 bytes.
struct Query {
    std::string section;
    std::string key;
};

// Names found in a file's lines, cut the simple way (at "[", "]" and "="), with variants that
// the platform's trimming and case rules should also find, and names that are absent.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string AsciiCase(std::string text, bool upper) {
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::vector<Query> QueriesFor(const std::string& bytes) {
    std::set<std::string> sections{"", "Absent", " "};
    std::set<std::string> keys{"", "absent", "x"};
    for (const std::string& line : Lines(bytes)) {
        size_t open = line.find('[');
        size_t close = line.rfind(']');
        if (open != std::string::npos && close != std::string::npos && close > open)
            sections.insert(line.substr(open + 1, close - open - 1));
        else if (open != std::string::npos)
            sections.insert(line.substr(open + 1));
        size_t equals = line.find('=');
        keys.insert(equals == std::string::npos ? line : line.substr(0, equals));
    }
    std::vector<std::string> sectionList(sections.begin(), sections.end());
    std::vector<std::string> keyList(keys.begin(), keys.end());
    for (const std::string& name : std::vector<std::string>(sections.begin(), sections.end())) {
        sectionList.push_back(AsciiCase(name, true));
        sectionList.push_back(" \t" + AsciiCase(name, false) + "  ");
    }
    for (const std::string& name : std::vector<std::string>(keys.begin(), keys.end())) {
        keyList.push_back(AsciiCase(name, true));
        keyList.push_back("  " + name + "\t");
    }
    std::vector<Query> queries;
    for (const std::string& section : sectionList)
        for (const std::string& key : keyList) queries.push_back({section, key});
    return queries;
}

std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            wsprintfA(hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out.size() > 200 ? out.substr(0, 200) + "..." : out;
}

// Files that exercise every reading rule.
std::vector<std::string> TrickyFiles() {
    std::string longValue(100000, 'v');
    longValue[0] = 'L';
    std::string longName(3000, 'n');
    std::string jpLong;
    for (int i = 0; i < 400; ++i) jpLong += Cp932Of("表ソポ");
    return {
        // Blanks, quotes, lines without "=", comments, empty names.
        "top=T\r\n=emptytop\r\n[A]\r\nx=1\r\nx=2\r\n X = 3 \r\n[a]\r\ny=2\r\n[B]]x]\r\nb=1\r\n[]\r\n"
        "nn=2\r\n[ ]\r\nmm=3\r\n[broken\r\nbr=4\r\n",
        "[Q]\r\nq1='a'\r\nq2=\"a\"\r\nq3=\"a'\r\nq4=\"\r\nq5=\"\"\r\nq6='\r\nq7=  \"a\"  \r\n"
        "q8=\"a\"b\"\r\nq9=\"\"\"\r\nq10=''\r\nq11=\"a\r\nq12= ' x ' \r\n",
        "[E]\r\n=e1\r\n=e2\r\nnoeq\r\nempty=\r\nsp=   \r\ntab=\ta\tb\t\r\nsub=\x1az\x1a\r\n"
        "fs=\x1c" "a\x1f\r\nvt=\x0b" "b\x0c\r\n;comment=1\r\n# hash=2\r\nk==v=\r\n",
        // Line ends of every kind, and none at the end.
        "[LF]\nl1=1\rl2=2\r\r\nl3=3\n\r\n\n[CR]\rc1=1\r[Last]\r\nz=9",
        "\r\n\r\n   \r\n[S]\r\n\r\n k = v \r\n\r\n",
        // Japanese names and values; trail bytes that look like "\", "|", "[", "]" and "=".
        Cp932Of("[インストール]\r\nフォルダ=C:\\表示\\ソフト\\\r\n名前 = 　全角　\r\n[ポ|ー]\r\nキー=値|ポ\r\n"
                "[　ＦＷ　]\r\n　k　=　v　\r\n[Ａ]\r\nａ=fw\r\n[ΑБ]\r\nα=greek\r\n[‐]]\r\nー=ー\r\n"),
        "[Long]\r\nvalue=" + longValue + "\r\n" + longName + "=named\r\njp=" + jpLong + "\r\n",
        // Zero bytes inside lines.
        std::string("[N]\r\nn1=a\0b\r\nn2=c\r\n\0zz=1\r\n=e\r\n\0k\r\n[M\0N]\r\nm=1\r\n", 46),
        // Bytes that are no complete characters in code page 932.
        "[Bad]\r\nlead=ab\x81\r\nhigh=\x80\xA0\xFD\xFE\xFF\r\nbadtrail=\x81\x20x\r\n\x82=k\r\n",
        // Byte-order marks choose the encoding (these bytes are UTF-8 and UTF-16 as they stand).
        "\xEF\xBB\xBF[Utf8]\r\nkey=\xE8\xA1\xA8\xE7\xA4\xBA\r\n\xC3\xA9=latin\r\n",
        std::string("\xFF\xFE[\0W\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 20),
        "",
        "\x1a",
        "[OnlySection]",
    };
}

// Random files from fragments that hit the same rules in unplanned combinations.
std::string RandomFile(std::mt19937& random) {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> list{"[A]", "[a]", "[ B ]", "[]", "[C]x", "[D", "k", "K", "k ", " k", "=", "==",
                                      "v", " v ", "\"", "'", "\"v\"", ";", "表", "ソ", "ポ", "　", "\t", "\x1a",
                                      "x=y", "[表]", "ー", "\x81"};
        for (std::string& piece : list) piece = Cp932Of(piece);
        return list;
    }();
    static const std::vector<std::string> ends{"\r\n", "\n", "\r", "\r\n\r\n", "\n\r"};
    std::string file;
    int lines = std::uniform_int_distribution<int>(0, 14)(random);
    for (int i = 0; i < lines; ++i) {
        int count = std::uniform_int_distribution<int>(1, 4)(random);
        for (int j = 0; j < count; ++j)
            file += pieces[std::uniform_int_distribution<size_t>(0, pieces.size() - 1)(random)];
        file += ends[std::uniform_int_distribution<size_t>(0, ends.size() - 1)(random)];
    }
    return file;
}

class IniDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = ScratchFolder("inidoc"); }
    void TearDown() override { RemoveTree(folder_); }

    void PutFile(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(WriteTextFile(path, bytes));
        FlushIniCache(path);
    }

    // Every query, with several defaults, answers as the profile functions do.
    void ExpectSameReads(const IniDocument& document, const std::string& path,
                         const std::vector<Query>& queries, const std::string& context) {
        static const std::vector<std::string> defaults{"", "<def>", "  d  ", "\"q\"  "};
        FlushIniCache(path);
        size_t n = 0;
        for (const Query& query : queries) {
            const std::string& fallback = defaults[n++ % defaults.size()];
            std::string section = Cp932ToUtf8(query.section), key = Cp932ToUtf8(query.key);
            std::string expected = inidiff::SystemProfileString(section, key, fallback, path);
            std::string actual = document.Get(section, key, fallback);
            ASSERT_EQ(Shown(actual), Shown(expected))
                << context << ": [" << Shown(query.section) << "] " << Shown(query.key);
        }
    }

    std::string folder_;
};

TEST_F(IniDocumentTest, ReadsEveryKeyOfTrickyFilesLikeTheProfileFunctions) {
    std::string path = folder_ + "READ.INI";
    int number = 0;
    for (const std::string& bytes : TrickyFiles()) {
        PutFile(path, bytes);
        IniDocument document;
        document.LoadBytes(bytes);
        ExpectSameReads(document, path, QueriesFor(bytes), "file " + std::to_string(number++));
    }
}

TEST_F(IniDocumentTest, ReadsRandomFilesLikeTheProfileFunctions) {
    std::mt19937 random(20240607);
    std::string path = folder_ + "RANDOM.INI";
    for (int round = 0; round < 40; ++round) {
        std::string bytes = RandomFile(random);
        PutFile(path, bytes);
        IniDocument document;
        ASSERT_TRUE(document.Load(path));
        ExpectSameReads(document, path, QueriesFor(bytes), "random file " + Shown(bytes));
    }
}

TEST_F(IniDocumentTest, MissingAndUnreadableFilesReadAsEmpty) {
    IniDocument document;
    EXPECT_TRUE(document.Load(folder_ + "MISSING.INI"));
    EXPECT_EQ(document.Get("A", "k", "default "), "default");
    EXPECT_EQ(document.Get("A", "k", "\"x\""), "x");
    EXPECT_FALSE(document.Load(folder_ + "NoFolder\\X.INI"));
    EXPECT_EQ(document.Get("A", "k", "d"), "d");
}

// One change as key-by-key profile writes make it, and the same on the document. The texts are
// literals that may hold a lone lead byte (\x81): each side gets the text a script holding those
// code page 932 bytes decodes to.
struct Change {
    enum Kind { Set, DeleteKey, DeleteSection } kind;
    std::string section;
    std::string key;
    std::string value;
};

class IniDocumentWriteTest : public IniDocumentTest {
protected:
    // Applies the changes both ways, from the same start (no file when start is null), and
    // compares the bytes after every change and the reads of the changed names.
    void ExpectSameWrites(const std::string* start, const std::vector<Change>& changes,
                          const std::string& context) {
        std::string path = folder_ + "KEYS.INI";
        std::string saved = folder_ + "ONCE.INI";
        DeleteFileW(Wide(path).c_str());
        DeleteFileW(Wide(saved).c_str());
        FlushIniCache(path);
        IniDocument document;
        if (start) {
            PutFile(path, *start);
            document.LoadBytes(*start);
        }
        std::vector<Query> touched;
        for (size_t i = 0; i < changes.size(); ++i) {
            const Change& change = changes[i];
            std::string section = Cp932ToUtf8(Cp932Of(change.section)), key = Cp932ToUtf8(Cp932Of(change.key)),
                        value = Cp932ToUtf8(Cp932Of(change.value));
            std::wstring widePath = Wide(path);
            FlushIniCache(path);
            switch (change.kind) {
                case Change::Set:
                    WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                               widePath.c_str());
                    document.Set(section, key, value);
                    break;
                case Change::DeleteKey:
                    WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), nullptr, widePath.c_str());
                    document.DeleteKey(section, key);
                    break;
                case Change::DeleteSection:
                    WritePrivateProfileStringW(Wide(section).c_str(), nullptr, nullptr, widePath.c_str());
                    document.DeleteSection(section);
                    break;
            }
            std::string where = context + ", change " + std::to_string(i) + " [" +
                                Shown(change.section) + "] " + Shown(change.key) + "=" +
                                Shown(change.value);
            bool exists = GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
            ASSERT_EQ(Shown(document.ToBytes()), exists ? Shown(ReadTextFile(path)) : std::string())
                << where;
            touched.push_back({Cp932Of(change.section), Cp932Of(change.key)});
            touched.push_back({"A", "k"});
            touched.push_back({"", "k"});
            ExpectSameReads(document, path, touched, where);
            if (HasFatalFailure()) return;
        }
        bool exists = GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
        ASSERT_EQ(document.Save(saved), 0u);
        ASSERT_EQ(GetFileAttributesW(Wide(saved).c_str()) != INVALID_FILE_ATTRIBUTES, exists) << context;
        if (exists) {
            EXPECT_EQ(Shown(ReadTextFile(saved)), Shown(ReadTextFile(path))) << context;
        }
    }
};

std::vector<Change> RandomChanges(std::mt19937& random, int count) {
    static const std::vector<std::string> sections{"A", "a", " A ", "B", "表", "", " ", "[X]", "C  ",
                                                   "Ｓ", "A]", "ポ"};
    static const std::vector<std::string> keys{"k", "K", " k", "k ", "x", "", "=k", "a=b", "[Y]",
                                               "[Z", ";c", "キー", "k2", "File1"};
    static const std::vector<std::string> values{"v", "", " v", "v ", "\"q\"", "'", "a\r\nk=inj",
                                                 "x\n[A]\ny=2", "表ソ", "C:\\ポ|ー\\", "same", "\t",
                                                 "=", " \" s \" ", "v\x81"};
    std::vector<Change> changes;
    auto pick = [&random](const std::vector<std::string>& list) {
        return list[std::uniform_int_distribution<size_t>(0, list.size() - 1)(random)];
    };
    for (int i = 0; i < count; ++i) {
        int kind = std::uniform_int_distribution<int>(0, 19)(random);
        if (kind < 17)
            changes.push_back({Change::Set, pick(sections), pick(keys), pick(values)});
        else if (kind < 19)
            changes.push_back({Change::DeleteKey, pick(sections), pick(keys), ""});
        else
            changes.push_back({Change::DeleteSection, pick(sections), "", ""});
    }
    return changes;
}

TEST_F(IniDocumentWriteTest, WritesAFileFromNothingLikeKeyByKeyWrites) {
    std::vector<Change> changes{
        {Change::Set, "Information", "Message1", "Orvant"},
        {Change::Set, "Title", "UnSetup", "  lead and trail  "},
        {Change::Set, "Information", "Message2", "！！！　警告　！！！"},
        {Change::Set, "information", "MESSAGE1", "again"},
        {Change::Set, "Empty", "K", ""},
        {Change::Set, "  Spaced  ", "  key  ", "v"},
        {Change::Set, "spaced", "KEY", "v2"},
        {Change::Set, "Q", "q", "\"quoted\""},
        {Change::Set, "Q", "q", "\"quoted\""},
        {Change::Set, "ProgramID", "ID", ""},
    };
    ExpectSameWrites(nullptr, changes, "from nothing");
}

TEST_F(IniDocumentWriteTest, ChangesExistingFilesLikeKeyByKeyWrites) {
    std::vector<Change> changes{
        {Change::Set, "A", "k", "new"},
        {Change::Set, "Two", "d", "4"},
        {Change::Set, "", "top", "T2"},
        {Change::Set, "E", "noeq", "now"},
        {Change::Set, "a", "y", "dup"},
        {Change::Set, "表", "キー", "値"},
    };
    int number = 0;
    for (const std::string& start : TrickyFiles()) {
        ExpectSameWrites(&start, changes, "tricky file " + std::to_string(number++));
        if (HasFatalFailure()) return;
    }
    // An unchanged value leaves the file as it was, unusual lines and all.
    std::string odd = "[A]\r\n\r\nk = v\r\n";
    ExpectSameWrites(&odd, {{Change::Set, "A", "k", "v"}}, "no change");
}

TEST_F(IniDocumentWriteTest, RandomChangesMatchKeyByKeyWrites) {
    std::mt19937 random(7);
    for (int round = 0; round < 25; ++round) {
        std::vector<Change> changes = RandomChanges(random, 16);
        if (round % 3 == 0) {
            ExpectSameWrites(nullptr, changes, "random round " + std::to_string(round));
        } else {
            std::string start = RandomFile(random);
            ExpectSameWrites(&start, changes, "random round " + std::to_string(round) + " on " + Shown(start));
        }
        if (HasFatalFailure()) return;
    }
}

TEST_F(IniDocumentWriteTest, DeletesKeysAndSectionsLikeTheProfileFunctions) {
    std::string start = "top=1\r\n[A]\r\nk=1\r\n[B]\r\nk=2\r\n[a]\r\nk=3\r\nm=4\r\n[ C ]\r\nc=5\r\n";
    ExpectSameWrites(&start,
                     {{Change::DeleteKey, "a", "M", ""},
                      {Change::DeleteKey, " A", "k", ""},
                      {Change::DeleteSection, " C ", "", ""},
                      {Change::DeleteSection, "c", "", ""},
                      {Change::DeleteSection, "A", "", ""},
                      {Change::DeleteKey, "", "top", ""},
                      {Change::DeleteSection, "Absent", "", ""},
                      {Change::DeleteSection, "", "", ""},
                      {Change::Set, "A", "k", "back"}},
                     "deletions");
}

TEST_F(IniDocumentTest, SavingWritesOnceAndTheSystemReadsTheNewContentAtOnce) {
    std::string path = folder_ + "SAVED.INI";
    PutFile(path, "[Old]\r\nkey=old\r\n");
    EXPECT_EQ(inidiff::SystemProfileString("Old", "key", "", path), "old");  // now in the system's cache

    IniDocument document;
    document.Set("New", "キー", "値");
    ASSERT_EQ(document.Save(path), 0u);
    EXPECT_EQ(ReadTextFile(path), Cp932Of("[New]\r\nキー=値\r\n"));
    EXPECT_EQ(inidiff::SystemProfileString("Old", "key", "gone", path), "gone");
    EXPECT_EQ(inidiff::SystemProfileString("New", "キー", "", path), "値");

    IniDocument untouched;
    EXPECT_EQ(untouched.Save(folder_ + "NOTHING.INI"), 0u);
    EXPECT_EQ(GetFileAttributesW(Wide(folder_ + "NOTHING.INI").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(document.Save(folder_ + "NoFolder\\X.INI"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// Text that code page 932 cannot hold turns the file into UTF-16 (little-endian, with its mark),
// which keeps every character and which the system reads too.
TEST_F(IniDocumentTest, TextBeyondCodePage932IsSavedAsUtf16) {
    struct Case {
        std::string start;  // UTF-8 text of a code page 932 file; empty: no file
        std::string section, key, value;
        std::string saved;  // the text of the saved file
    } cases[] = {
        {"", "SetupFolder", "Folder", "C:\\Users\\José\\", "[SetupFolder]\r\nFolder=C:\\Users\\José\\\r\n"},
        {"", "A", "k", "😀", "[A]\r\nk=😀\r\n"},
        {"[インストール]\r\nフォルダ=C:\\表\\\r\n", "インストール", "Owner", "José",
         "[インストール]\r\nフォルダ=C:\\表\\\r\nOwner=José\r\n"},
        {"[Users]\r\nx=1\r\n", "Users", "José", "表😀", "[Users]\r\nx=1\r\nJosé=表😀\r\n"},
    };
    std::string path = folder_ + "WIDE.INI";
    for (const Case& c : cases) {
        DeleteFileW(Wide(path).c_str());
        IniDocument document;
        if (!c.start.empty()) {
            PutFile(path, Cp932Of(c.start));
            ASSERT_TRUE(document.Load(path));
        }
        document.Set(c.section, c.key, c.value);
        ASSERT_EQ(document.Save(path), 0u) << c.value;
        std::u16string units = Utf8ToUtf16(c.saved);
        std::string expected = "\xFF\xFE";
        for (char16_t unit : units) expected += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        EXPECT_EQ(Shown(ReadTextFile(path)), Shown(expected)) << c.value;
        IniDocument reread;
        ASSERT_TRUE(reread.Load(path));
        EXPECT_EQ(reread.Get(c.section, c.key, ""), c.value);
        EXPECT_EQ(inidiff::SystemProfileString(c.section, c.key, "", path), c.value);
    }
}

TEST_F(IniDocumentTest, ThousandsOfKeysKeepTheirOrderAndValues) {
    IniDocument document;
    for (int n = 1; n <= 5000; ++n) document.Set("DeleteFile", "File" + std::to_string(n), "C:\\App\\F" + std::to_string(n));
    for (int n = 1; n <= 5000; ++n)
        ASSERT_EQ(document.Get("deletefile", "file" + std::to_string(n), ""), "C:\\App\\F" + std::to_string(n));
    std::string path = folder_ + "BIG.INI";
    ASSERT_EQ(document.Save(path), 0u);
    EXPECT_EQ(inidiff::SystemProfileString("DeleteFile", "File4321", "", path), "C:\\App\\F4321");
}

TEST_F(IniDocumentTest, OutlineNamesEveryLineAsAnEditorCountsAndWhichOnesAreRead) {
    IniDocument document;
    // CR LF, LF and a lone CR each end a line; an empty line still counts.
    document.LoadBytes("Stray=1\r\n[CopyFile]\nFile1=A\rFile1=B\r\n\r\n[copyfile]\r\nFile2=C\r\nNoValue\r\n");
    std::vector<IniDocument::OutlineLine> lines = document.Outline();
    std::vector<std::string> seen;
    for (const IniDocument::OutlineLine& line : lines)
        seen.push_back(std::to_string(line.line) + (line.isSection ? " [" + line.section + "]" : " " + line.key) +
                       (line.hasValue ? "=" + line.value : "") + (line.read ? " read" : ""));
    EXPECT_EQ(seen, (std::vector<std::string>{"1 Stray=1 read", "2 [CopyFile] read", "3 File1=A read", "4 File1=B",
                                              "6 [copyfile]", "7 File2=C", "8 NoValue"}));
    EXPECT_EQ(document.KeyLine("COPYFILE", "file1"), 3);
    EXPECT_EQ(document.KeyLine("CopyFile", "File2"), 0);  // in the second section, which is never searched
    EXPECT_EQ(document.SectionLine("copyFile"), 2);
    EXPECT_EQ(document.SectionLine("Absent"), 0);
}

}  // namespace
