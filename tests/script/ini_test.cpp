// Single INI values as the profile strings read and write them: long values, defaults,
// write-then-read, code page 932 files.
#include <gtest/gtest.h>
#include <windows.h>

#include "base/cp932.h"
#include "script/ini.h"
#include "support/test_env.h"

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = ScratchFolder("ini"); }
    std::string folder_;
};

TEST_F(IniTest, ReadsValuesOfAnyLength) {
    std::string file = folder_ + "LONG.INI";
    for (size_t length : {254u, 255u, 256u, 300u, 511u, 512u, 1000u, 5000u}) {
        std::string value(length, 'x');
        value[0] = 'A';
        value[length - 1] = 'Z';
        ASSERT_TRUE(WriteTextFile(file, "[S]\r\nK=" + value + "\r\nQ=\"" + value + "\"\r\n"));
        FlushIniCache(file);
        EXPECT_EQ(ReadIniValue("S", "K", "", file), value) << "length " << length;
        // In quotes: the platform cuts the last character when the quotes just overflow a buffer.
        EXPECT_EQ(ReadIniValue("S", "Q", "", file), value) << "quoted, length " << length;
    }
}

// The profile functions cut a name down to its length modulo 65,536 bytes (the write would land on
// section "A", the read would find it) and delete a key whose new value is 32 KB or more, answering
// success.
TEST_F(IniTest, NamesAndValuesTooLongForTheSystemNeverReachIt) {
    std::string file = folder_ + "CUT.INI";
    ASSERT_TRUE(WriteIniValue("A", "k", "old", file));
    std::string section = "A" + std::string(65536, 'x');
    EXPECT_FALSE(WriteIniValue(section, "k", "new", file));
    EXPECT_FALSE(WriteIniValue("A", "k", std::string(40000, 'v'), file));
    EXPECT_FALSE(DeleteIniSection(section, file));
    EXPECT_EQ(ReadIniValue("A", "k", "", file), "old");
    EXPECT_EQ(ReadIniValue(section, "k", "absent", file), "absent");
}

TEST_F(IniTest, AbsentKeysGiveTheDefaultAndEmptyValuesStayEmpty) {
    std::string file = folder_ + "SETUP.INI";
    std::string bytes;  // a distributor's script: code page 932
    ASSERT_TRUE(Utf8ToCp932("[Title]\r\nSetup=  \"テスト　アプリ\"  \r\nEmpty=\r\n", bytes));
    ASSERT_TRUE(WriteTextFile(file, bytes));
    FlushIniCache(file);
    EXPECT_EQ(ReadIniValue("Title", "Setup", "x", file), "テスト　アプリ");
    EXPECT_EQ(ReadIniValue("Title", "Empty", "default", file), "");
    EXPECT_EQ(ReadIniValue("Title", "Missing", "default", file), "default");
    EXPECT_EQ(ReadIniValue("Nope", "Setup", "", file), "");
    EXPECT_EQ(ReadIniValue("Title", "Setup", "d", folder_ + "MISSING.INI"), "d");
}

TEST_F(IniTest, WriteIsVisibleThroughAnotherPathAtOnce) {
    std::string file = folder_ + "OVSET98.INI";
    ASSERT_TRUE(WriteIniValue("アプリ", "Folder", "C:\\表\\", file));
    EXPECT_EQ(ReadIniValue("アプリ", "Folder", "", file), "C:\\表\\");
    // The same file named another way: the system must not answer from a stale cache.
    std::string other = folder_ + "sub\\..\\ovset98.ini";
    CreateDirectoryA((folder_ + "sub").c_str(), nullptr);
    ASSERT_TRUE(WriteIniValue("アプリ", "Folder", "D:\\New\\", other));
    EXPECT_EQ(ReadIniValue("アプリ", "Folder", "", file), "D:\\New\\");
    std::string text = ReadTextFile(file);
    EXPECT_NE(text.find("Folder=D:\\New\\"), std::string::npos) << text;
}

TEST_F(IniTest, EmptyValueKeepsTheKeyAndSectionsCanBeDeleted) {
    std::string file = folder_ + "LOG.INI";
    ASSERT_TRUE(WriteIniValue("ProgramID", "ID", "", file));
    ASSERT_TRUE(WriteIniValue("Other", "Key", "1", file));
    EXPECT_NE(ReadTextFile(file).find("ID="), std::string::npos);
    EXPECT_EQ(ReadIniValue("ProgramID", "ID", "absent", file), "");
    ASSERT_TRUE(DeleteIniSection("ProgramID", file));
    EXPECT_EQ(ReadIniValue("ProgramID", "ID", "absent", file), "absent");
    EXPECT_EQ(ReadIniValue("Other", "Key", "", file), "1");
}
