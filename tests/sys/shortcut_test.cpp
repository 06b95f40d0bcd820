// Shell shortcuts through the shell's link object, and the system's error texts.
#include "sys/shortcut.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/state.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "support/test_env.h"
#include "sys/error_text.h"
#include "sys_helpers.h"

namespace {

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("sys_shortcut");
        app_ = folder_ + "Program Files\\Viewer\\";
        ASSERT_TRUE(ForceFolders(app_));
        target_ = app_ + "VIEW.EXE";
        ASSERT_TRUE(MakeFile(target_, "MZ"));
    }
    void TearDown() override { RemoveTree(folder_); }

    ComScope com_;
    std::string folder_, app_, target_;
};

TEST_F(ShortcutTest, WritesALinkIntoNewFoldersAndReadsBack) {
    ASSERT_TRUE(ForceFolders(app_ + "Work"));
    std::string linkName = folder_ + "Start Menu\\Programs\\ビューア\\ビューア";
    std::string result = CreateShortcut(target_, linkName, app_ + "Work", "/open \"a b.txt\"");
    EXPECT_EQ(result, linkName + ".lnk");
    ASSERT_TRUE(FileExists(result));
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(result, info));
    EXPECT_EQ(info.target, target_);
    EXPECT_EQ(info.arguments, "/open \"a b.txt\"");
    EXPECT_EQ(info.workFolder, app_ + "Work\\");  // stored with a trailing backslash
}

TEST_F(ShortcutTest, EmptyOrMissingWorkFolderBecomesTheTargetsFolder) {
    std::string empty = CreateShortcut(target_, folder_ + "Links\\Empty", "", "");
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(empty, info));
    EXPECT_EQ(info.workFolder, app_);
    EXPECT_EQ(info.arguments, "");

    std::string missing = CreateShortcut(target_, folder_ + "Links\\Missing", folder_ + "NoSuchFolder\\", "");
    ASSERT_TRUE(ReadShortcut(missing, info));
    EXPECT_EQ(info.workFolder, app_);
    EXPECT_EQ(info.target, target_);
}

TEST_F(ShortcutTest, LinkNameWithExtensionGetsASecondOne) {
    std::string result = CreateShortcut(target_, folder_ + "Links\\Viewer.lnk", "", "");
    EXPECT_EQ(result, folder_ + "Links\\Viewer.lnk.lnk");
    EXPECT_TRUE(FileExists(result));
    EXPECT_FALSE(PathExists(folder_ + "Links\\Viewer.lnk"));
}

TEST_F(ShortcutTest, ReadyMadeShortcutIsCopiedNotLinked) {
    std::string shipped = CreateShortcut(app_ + "MANUAL.HLP", app_ + "Manual", "", "");
    ASSERT_TRUE(FileExists(shipped));
    std::string renamed = app_ + "Manual.LnK";
    ASSERT_TRUE(MoveFileA(shipped.c_str(), renamed.c_str()));
    ASSERT_TRUE(SetFileAttributesA(renamed.c_str(), FILE_ATTRIBUTE_READONLY));

    std::string result = CreateShortcut(renamed, folder_ + "Group\\Manual", "", "ignored");
    EXPECT_EQ(result, folder_ + "Group\\Manual.lnk");
    EXPECT_EQ(FileBytes(result), FileBytes(renamed));
    EXPECT_EQ(GetFileAttributesA(result.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(result, info));
    EXPECT_EQ(info.target, app_ + "MANUAL.HLP");
    EXPECT_EQ(info.arguments, "");
}

TEST_F(ShortcutTest, UnsavableLinkGivesThePifName) {
    // A file stands where the link's folder should be: nothing can be written there.
    ASSERT_TRUE(MakeFile(folder_ + "Blocked"));
    std::string linkName = folder_ + "Blocked\\Group\\Viewer";
    std::string result = CreateShortcut(target_, linkName, "", "");
    EXPECT_EQ(result, linkName + ".pif");
    EXPECT_FALSE(PathExists(linkName + ".lnk"));
    EXPECT_FALSE(PathExists(result));
}

TEST_F(ShortcutTest, LinkObjectThatCannotBeCreatedRaises) {
    // A thread without COM cannot create the link object.
    std::string linkName = folder_ + "NoCom\\Viewer";
    std::string message;
    bool raised = false;
    HRESULT code = S_OK;
    std::thread worker([&] {
        try {
            CreateShortcut(target_, linkName, "", "");
        } catch (const ComError& error) {
            raised = true;
            message = error.what();
            code = error.Code();
        }
    });
    worker.join();
    EXPECT_TRUE(raised);
    EXPECT_TRUE(FAILED(code));
    EXPECT_EQ(message, ComErrorText(code));
    EXPECT_FALSE(message.empty());
    EXPECT_FALSE(PathExists(linkName + ".lnk"));
}

TEST(ComErrorTextTest, SystemTextOrTheNumber) {
    EXPECT_EQ(ComErrorText(E_OUTOFMEMORY), SystemMessageOf(static_cast<DWORD>(E_OUTOFMEMORY)));
    EXPECT_FALSE(ComErrorText(E_OUTOFMEMORY).empty());
    EXPECT_EQ(ComErrorText(static_cast<HRESULT>(0x8FFF1234)), "OLE エラー 8FFF1234");
}

TEST(SystemErrorTextTest, ZeroIsEmpty) { EXPECT_EQ(SystemErrorText(0), ""); }

TEST(SystemErrorTextTest, FileNotFoundInFullWidthJapanese) {
    // Wine's Japanese text; its full stop is the Japanese one, which stays.
    EXPECT_EQ(SystemErrorText(2), "ファイルが見つかりません。\r\n");
}

TEST(SystemErrorTextTest, TrailingStopsAndBlanksGoAndAsciiBecomesFullWidth) {
    std::string raw = SystemMessageOf(5);
    ASSERT_FALSE(raw.empty());
    EXPECT_NE(raw.back(), '.');
    EXPECT_GT(static_cast<unsigned char>(raw.back()), 32);
    std::string text = SystemErrorText(5);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    // No ASCII letter or digit is left (no byte of another UTF-8 character is an ASCII byte).
    std::string body = text.substr(0, text.size() - 2);
    for (char c : body) EXPECT_FALSE(c >= 0 && isalnum(static_cast<unsigned char>(c))) << body;
}

TEST(SystemErrorTextTest, MessagesWithInsertsKeepThemInFullWidth) {
    std::string text = SystemErrorText(ERROR_BAD_EXE_FORMAT);  // "%1 ..." in the system's table
    EXPECT_NE(text.find("％１"), std::string::npos) << text;
}

}  // namespace
