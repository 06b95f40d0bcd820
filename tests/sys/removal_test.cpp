// Removal of files, folders and registry keys, and deletion at the next start.
#include "sys/removal.h"

#include <gtest/gtest.h>

#include "core/state.h"
#include "edge/fileops.h"
#include "support/test_env.h"
#include "sys/error_text.h"
#include "sys_helpers.h"

namespace {

class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        folder_ = ScratchFolder("sys_removal");
    }
    void TearDown() override { RemoveTree(folder_); }
    std::string folder_;
};

TEST_F(RemovalTest, DeleteFilesOfAMissingPathOrAFolderIsFileNotFound) {
    EXPECT_EQ(DeleteFiles(folder_ + "NOPE.TXT"), 2u);
    ASSERT_TRUE(ForceFolders(folder_ + "SUB\\"));
    EXPECT_EQ(DeleteFiles(folder_ + "SUB"), 2u);
    EXPECT_TRUE(FolderExists(folder_ + "SUB"));
}

TEST_F(RemovalTest, DeleteFilesRemovesAFileForGood) {
    std::string file = folder_ + "長い名前のファイル.TXT";
    ASSERT_TRUE(MakeFile(file));
    EXPECT_EQ(DeleteFiles(file), 0u);
    EXPECT_FALSE(PathExists(file));
}

TEST_F(RemovalTest, DeleteFilesWildcardTakesMatchingFilesAndFolders) {
    ASSERT_TRUE(MakeFile(folder_ + "A.TMP"));
    ASSERT_TRUE(MakeFile(folder_ + "B.TMP"));
    ASSERT_TRUE(MakeFile(folder_ + "KEEP.TXT"));
    ASSERT_TRUE(ForceFolders(folder_ + "DIR.TMP\\INNER\\"));
    ASSERT_TRUE(MakeFile(folder_ + "DIR.TMP\\INNER\\X.DAT"));
    EXPECT_EQ(DeleteFiles(folder_ + "*.TMP"), 0u);
    EXPECT_FALSE(PathExists(folder_ + "A.TMP"));
    EXPECT_FALSE(PathExists(folder_ + "B.TMP"));
    EXPECT_FALSE(PathExists(folder_ + "DIR.TMP"));
    EXPECT_TRUE(FileExists(folder_ + "KEEP.TXT"));
}

TEST_F(RemovalTest, DeleteFilesPatternMatchingNothingLeavesEverything) {
    ASSERT_TRUE(MakeFile(folder_ + "KEEP.TXT"));
    // Wine's shell calls a pattern without matches a success.
    EXPECT_EQ(DeleteFiles(folder_ + "*.NONE"), 0u);
    EXPECT_TRUE(FileExists(folder_ + "KEEP.TXT"));
}

TEST_F(RemovalTest, DeleteFilesUnregistersAServerFirst) {
    const std::string trace = "Software\\OrvantTest\\ComServer";
    RawDeleteTree(HKEY_CURRENT_USER, trace);
    std::string server = folder_ + "SERVER.DLL";
    ASSERT_EQ(CopyFileOver(SysBinary("comserver_ok.dll"), server), 0u);
    g_state.SetupMode = "UNSETUP";
    EXPECT_EQ(DeleteFiles(server), 0u);
    EXPECT_FALSE(PathExists(server));
    DWORD calls = 0;
    EXPECT_TRUE(RawGetDword(HKEY_CURRENT_USER, trace + "\\comserver_ok", "UnregisterCalls", calls));
    EXPECT_EQ(calls, 1u);
    EXPECT_FALSE(RawGetDword(HKEY_CURRENT_USER, trace + "\\comserver_ok", "RegisterCalls", calls));
    RawDeleteTree(HKEY_CURRENT_USER, trace);
}

TEST_F(RemovalTest, DeleteFilesOfALockedFileLeavesItAndSaysSo) {
    std::string file = folder_ + "LOCKED.TXT";
    ASSERT_TRUE(MakeFile(file));
    LockedFile lock(file);
    ASSERT_TRUE(lock.IsLocked());
    // Wine's shell answers 32 without setting the thread's last error; a file that is still there
    // is never reported as deleted.
    EXPECT_EQ(DeleteFiles(file), 32u);
    EXPECT_TRUE(FileExists(file));
}

TEST_F(RemovalTest, DeleteFilesOfAReadOnlyFileThatStaysIsAFailure) {
    std::string file = folder_ + "READONLY.TXT";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine's shell does not delete read-only files and answers 5 without a last error.
    EXPECT_EQ(DeleteFiles(file), 5u);
    EXPECT_TRUE(FileExists(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RemovalTest, WildcardsWithoutAFolderOrInARootAreRefused) {
    ASSERT_TRUE(MakeFile(folder_ + "KEEP.TXT"));
    char previous[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    EXPECT_EQ(DeleteFiles("*.*"), 5u);
    EXPECT_EQ(RemoveFolder("", "*.*|"), 5u);
    EXPECT_EQ(DeleteFiles("C:\\*.ORVTEST"), 5u);
    EXPECT_EQ(DeleteFiles("C:*.ORVTEST"), 5u);
    EXPECT_EQ(DeleteFiles("\\*.ORVTEST"), 5u);
    EXPECT_EQ(DeleteFiles("\\\\server\\share\\*.*"), 5u);
    EXPECT_EQ(RemoveFolder("C:\\", ""), 5u);
    EXPECT_EQ(RemoveFolder("C:", "*.ORVTEST|"), 5u);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(FileExists(folder_ + "KEEP.TXT"));
    EXPECT_TRUE(FolderExists("C:\\windows"));
}

TEST_F(RemovalTest, RemoveFolderWithAllFilesEmptiesAndRemovesIt) {
    std::string target = folder_ + "APP";  // without a trailing backslash
    ASSERT_TRUE(ForceFolders(target + "\\SUB\\DEEP\\"));
    ASSERT_TRUE(MakeFile(target + "\\A.EXE"));
    ASSERT_TRUE(MakeFile(target + "\\SUB\\B.INI"));
    ASSERT_TRUE(MakeFile(target + "\\SUB\\DEEP\\C.DAT"));
    EXPECT_EQ(RemoveFolder(target, "*.*|"), 0u);
    EXPECT_FALSE(PathExists(target));
}

TEST_F(RemovalTest, RemoveFolderWithoutPatternsRemovesOnlyAnEmptyFolder) {
    std::string full = folder_ + "FULL\\";
    ASSERT_TRUE(ForceFolders(full));
    ASSERT_TRUE(MakeFile(full + "A.TXT"));
    EXPECT_EQ(RemoveFolder(full, ""), 145u);
    EXPECT_TRUE(FileExists(full + "A.TXT"));

    std::string empty = folder_ + "EMPTY\\";
    ASSERT_TRUE(ForceFolders(empty));
    EXPECT_EQ(RemoveFolder(empty, ""), 0u);
    EXPECT_FALSE(PathExists(empty));
}

TEST_F(RemovalTest, RemoveFolderDeletesEachPatternAndReportsWhatRemains) {
    std::string app = folder_ + "APP\\";
    ASSERT_TRUE(ForceFolders(app + "LOGS.GID\\"));
    ASSERT_TRUE(MakeFile(app + "APP.INI"));
    ASSERT_TRUE(MakeFile(app + "HELP.GID"));
    ASSERT_TRUE(MakeFile(app + "LOGS.GID\\X"));
    ASSERT_TRUE(MakeFile(app + "DATA.DAT"));
    // The last "|" may be missing.
    EXPECT_EQ(RemoveFolder(app, "*.INI|*.GID"), 145u);
    EXPECT_FALSE(PathExists(app + "APP.INI"));
    EXPECT_FALSE(PathExists(app + "HELP.GID"));
    EXPECT_FALSE(PathExists(app + "LOGS.GID"));
    EXPECT_TRUE(FileExists(app + "DATA.DAT"));

    ASSERT_TRUE(MakeFile(app + "X.INI"));
    ASSERT_TRUE(DeleteFileA((app + "DATA.DAT").c_str()));
    EXPECT_EQ(RemoveFolder(app, "*.INI|"), 0u);
    EXPECT_FALSE(PathExists(app));
}

TEST_F(RemovalTest, RemoveFolderOfAMissingFolderSaysItIsNotThere) {
    DWORD result = RemoveFolder(folder_ + "NOPE\\", "*.*|");
    EXPECT_EQ(result, 2u);
}

class RegistryRemovalTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
};

TEST_F(RegistryRemovalTest, DeletesTheKeyWithAllSubkeys) {
    ScratchKey scratch("DelKey");
    std::string key = scratch.Path() + "\\App";
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, key + "\\A\\B", "v", 1));
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, key, "v", 1));
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\Other"));
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", key));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, key));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Other"));
    // A key that is not there is no failure.
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", key));
}

TEST_F(RegistryRemovalTest, KeyPathsAsTheLogWritesThem) {
    ScratchKey scratch("LogForm");
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\App\\Sub"));
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", "\\" + scratch.Path() + "\\App\\"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\App"));
}

TEST_F(RegistryRemovalTest, RootComparisonIsCaseSensitive) {
    ScratchKey scratch("CaseRoot");
    const std::string machineKey = "Software\\OrvantTest\\Sys\\CaseRoot";
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\App"));
    ASSERT_TRUE(RawCreateKey(HKEY_LOCAL_MACHINE, machineKey + "\\App"));
    EXPECT_TRUE(DeleteRegistryKey("(local)", scratch.Path() + "\\App"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\App"));
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, machineKey + "\\App"));

    EXPECT_TRUE(DeleteRegistryKey("(Local)", machineKey + "\\App"));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, machineKey + "\\App"));
    RawDeleteTree(HKEY_LOCAL_MACHINE, "Software\\OrvantTest");
}

TEST_F(RegistryRemovalTest, OtherRootTextsMeanTheCurrentUser) {
    ScratchKey scratch("Cuser");
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\X\\Y"));
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", scratch.Path() + "\\X"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\X"));
    ASSERT_TRUE(RawCreateKey(HKEY_CURRENT_USER, scratch.Path() + "\\Z"));
    EXPECT_TRUE(DeleteRegistryKey("", scratch.Path() + "\\Z"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, scratch.Path() + "\\Z"));
}

TEST_F(RegistryRemovalTest, ClassKeysOfOneComponentAreDeleted) {
    const std::string extension = ".orvtestext";
    const std::string progId = "orvtestext_auto_file";
    ASSERT_TRUE(RawCreateKey(HKEY_CLASSES_ROOT, extension));
    ASSERT_TRUE(RawCreateKey(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command"));
    EXPECT_TRUE(DeleteRegistryKey("(Class)", extension));
    EXPECT_TRUE(DeleteRegistryKey("(Class)", progId));
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, extension));
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, progId));
}

TEST_F(RegistryRemovalTest, WholeHivesAndTopLevelKeysAreNeverDeleted) {
    // A top-level key of the current user's hive, made for this test only.
    const std::string top = "OrvantTestTop";
    ASSERT_TRUE(RawSetDword(HKEY_CURRENT_USER, top + "\\Inner", "v", 1));
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", top));
    EXPECT_TRUE(DeleteRegistryKey("(Cuser)", "\\" + top + "\\"));
    EXPECT_TRUE(DeleteRegistryKey("Junk!!)", top));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, top + "\\Inner"));
    RawDeleteTree(HKEY_CURRENT_USER, top);

    EXPECT_TRUE(IsProtectedRegistryKey("(Local)", "SOFTWARE"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Local)", "\\SOFTWARE\\"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Cuser)", "Software"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Local)", "\\"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Users)", ".DEFAULT"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Users)", ".DEFAULT\\Software"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Class)", "CLSID"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Class)", "*"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Class)", "\\.exe\\"));
    EXPECT_TRUE(IsProtectedRegistryKey("(Class)", ".txt")) << "Windows' own file type";
    EXPECT_FALSE(IsProtectedRegistryKey("(Class)", ".osd"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Class)", "CLSID\\{00000000-1111-2222-3333-444444444444}"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SOFTWARE\\Firm"));
    // Keys that Windows and every program share, also at two or more levels.
    for (const char* shared : {"SOFTWARE\\Microsoft", "Software\\microsoft\\Windows\\", "SOFTWARE\\Microsoft\\Windows NT",
                               "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "SOFTWARE\\Classes",
                               "SOFTWARE\\Policies", "SOFTWARE\\Wow6432Node", "SOFTWARE\\Wow6432Node\\Microsoft\\Windows",
                               "SYSTEM\\CurrentControlSet\\Services", "SECURITY\\Policy"}) {
        EXPECT_TRUE(IsProtectedRegistryKey("(Local)", shared)) << shared;
        EXPECT_TRUE(IsProtectedRegistryKey("(Cuser)", shared)) << shared;
    }
    EXPECT_TRUE(IsProtectedRegistryKey("(Users)", ".DEFAULT\\Software\\Microsoft"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Firm"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firm.exe"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SOFTWARE\\Classes\\firmfile"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SOFTWARE\\Wow6432Node\\Firm"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Local)", "SYSTEM\\CurrentControlSet\\Services\\FirmDriver"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Users)", ".DEFAULT\\Software\\Firm"));
    // A backslash inside a double-byte character separates nothing.
    EXPECT_TRUE(IsProtectedRegistryKey("(Cuser)", "表ソ"));
    EXPECT_FALSE(IsProtectedRegistryKey("(Cuser)", "表\\ソ"));
}

TEST_F(RegistryRemovalTest, EmptyKeyPathDoesNothing) {
    EXPECT_TRUE(DeleteRegistryKey("(Local)", ""));
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE"));
}

TEST_F(RemovalTest, ShortPathOfAnExistingLongName) {
    std::string file = folder_ + "A long file name.text";
    ASSERT_TRUE(MakeFile(file));
    std::string shortPath = ShortPathOf(file);
    ASSERT_FALSE(shortPath.empty());
    EXPECT_NE(shortPath, file);
    EXPECT_NE(shortPath.find('~'), std::string::npos) << shortPath;
    EXPECT_EQ(shortPath.find(' '), std::string::npos) << shortPath;
    // It names the same file.
    EXPECT_TRUE(FileExists(shortPath));
    EXPECT_EQ(ShortPathOf(folder_ + "MISSING.TXT"), "");
}

// ---- Deletion at the next start ----

class RestartDeletionTest : public RemovalTest {
protected:
    void SetUp() override {
        RemovalTest::SetUp();
        g_state.WindowsFolder = folder_ + "WIN\\";
        ForceFolders(g_state.WindowsFolder);
        wininit_ = g_state.WindowsFolder + "WININIT.INI";
    }
    void TearDown() override {
        RemovePendingRenames("sys_removal");
        RemovalTest::TearDown();
    }
    std::string wininit_;
};

TEST_F(RestartDeletionTest, NTRecordsTheDelayedDeletionWhereWindowsLooksForIt) {
    g_state.PlatformKind = "NT";
    std::string file = folder_ + "INUSE.DLL";
    ASSERT_TRUE(MakeFile(file));
    MessageBoxRecorder boxes;
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_TRUE(boxes.Boxes().empty());
    std::vector<std::string> pending = PendingRenames();
    bool found = false;
    for (size_t i = 0; i + 1 < pending.size(); i += 2)
        if (pending[i] == "\\??\\" + file && pending[i + 1].empty()) found = true;
    EXPECT_TRUE(found);
    EXPECT_TRUE(FileExists(file));  // nothing happens before the restart
    EXPECT_FALSE(PathExists(wininit_));
}

TEST_F(RestartDeletionTest, NTReportsARefusedScheduling) {
    g_state.PlatformKind = "NT";
    MessageBoxRecorder boxes;
    EXPECT_FALSE(DeleteAtRestart(""));  // the system refuses an empty name
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "MoveFileEx関数が失敗しました。");
    EXPECT_EQ(boxes.Boxes()[0].title, "内部エラー");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
}

TEST_F(RestartDeletionTest, Windows9xWithoutWininitMakesTheFile) {
    g_state.PlatformKind = "notNT";
    std::string first = folder_ + "First long name.dll";
    std::string second = folder_ + "SECOND.DLL";
    ASSERT_TRUE(MakeFile(first));
    ASSERT_TRUE(MakeFile(second));
    ASSERT_NE(ShortPathOf(first), first);
    EXPECT_TRUE(DeleteAtRestart(first));
    EXPECT_EQ(FileBytes(wininit_), "[Rename]\r\nNul=" + ShortPathOf(first) + "\r\n");
    EXPECT_TRUE(DeleteAtRestart(second));
    EXPECT_EQ(FileBytes(wininit_),
              "[Rename]\r\nNul=" + ShortPathOf(first) + "\r\nNul=" + ShortPathOf(second) + "\r\n");
    EXPECT_TRUE(FileExists(first));
    for (const std::string& entry : PendingRenames()) EXPECT_EQ(entry.find("sys_removal"), std::string::npos);
}

TEST_F(RestartDeletionTest, Windows9xFoldersGetDirNul) {
    g_state.PlatformKind = "notNT";
    std::string sub = folder_ + "Program Group";
    ASSERT_TRUE(ForceFolders(sub));
    EXPECT_TRUE(DeleteAtRestart(sub));
    EXPECT_EQ(FileBytes(wininit_), "[Rename]\r\nDirNul=" + ShortPathOf(sub) + "\r\n");
}

TEST_F(RestartDeletionTest, Windows9xInsertsBeforeTheEmptyLineInsideRename) {
    g_state.PlatformKind = "notNT";
    std::string file = folder_ + "B.DLL";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(MakeFile(wininit_, "[Rename]\r\nNul=C:\\OLD.DLL\r\n\r\n[Other]\r\nKey=Value\r\n"));
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(FileBytes(wininit_), "[Rename]\r\nNul=C:\\OLD.DLL\r\nNul=" + ShortPathOf(file) +
                                       "\r\n\r\n[Other]\r\nKey=Value\r\n");
}

TEST_F(RestartDeletionTest, Windows9xWithoutRenameSectionAddsOne) {
    // The entry must land in [Rename]; under another section Windows would never delete the file.
    g_state.PlatformKind = "notNT";
    std::string file = folder_ + "C.DLL";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(MakeFile(wininit_, "[Other]\r\nKey=Value\r\n"));
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(FileBytes(wininit_), "[Other]\r\nKey=Value\r\n[Rename]\r\nNul=" + ShortPathOf(file) + "\r\n");
    // The platform reads it back in the right section.
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Rename", "Nul", "", value, sizeof(value), wininit_.c_str());
    EXPECT_EQ(std::string(value), ShortPathOf(file));
}

TEST_F(RestartDeletionTest, Windows9xRenameFollowedDirectlyByASection) {
    g_state.PlatformKind = "notNT";
    std::string file = folder_ + "D.DLL";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(MakeFile(wininit_, "[rename]\nNul=C:\\OLD.DLL\n[Other]\nKey=Value"));
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(FileBytes(wininit_),
              "[rename]\r\nNul=C:\\OLD.DLL\r\nNul=" + ShortPathOf(file) + "\r\n[Other]\r\nKey=Value\r\n");
}

TEST_F(RestartDeletionTest, Windows9xRenameAsLastSectionGetsTheLineAtTheEnd) {
    g_state.PlatformKind = "notNT";
    std::string file = folder_ + "E.DLL";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(MakeFile(wininit_, "[Other]\r\nKey=Value\r\n\r\n[Rename]\r\nNul=C:\\OLD.DLL\r\n"));
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_EQ(FileBytes(wininit_),
              "[Other]\r\nKey=Value\r\n\r\n[Rename]\r\nNul=C:\\OLD.DLL\r\nNul=" + ShortPathOf(file) + "\r\n");
}

TEST_F(RestartDeletionTest, Windows9xLockedWininitIsReportedAndLeftAlone) {
    g_state.PlatformKind = "notNT";
    std::string file = folder_ + "F.DLL";
    ASSERT_TRUE(MakeFile(file));
    ASSERT_TRUE(MakeFile(wininit_, "[Rename]\r\n"));
    MessageBoxRecorder boxes;
    {
        LockedFile lock(wininit_);
        ASSERT_TRUE(lock.IsLocked());
        EXPECT_FALSE(DeleteAtRestart(file));
    }
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].title, "内部エラー");
    EXPECT_EQ(boxes.Boxes()[0].flags, 48u);
    EXPECT_EQ(boxes.Boxes()[0].text, wininit_ + "を読み込めませんでした。\r\n\r\n" + SystemErrorText(32));
    EXPECT_EQ(FileBytes(wininit_), "[Rename]\r\n");
}

TEST_F(RestartDeletionTest, OtherPlatformKindsScheduleNothing) {
    g_state.PlatformKind = "";
    std::string file = folder_ + "G.DLL";
    ASSERT_TRUE(MakeFile(file));
    size_t before = PendingRenames().size();
    EXPECT_TRUE(DeleteAtRestart(file));
    EXPECT_FALSE(PathExists(wininit_));
    EXPECT_EQ(PendingRenames().size(), before);
}

}  // namespace
