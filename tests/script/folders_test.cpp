// Standard folders with their fallbacks, and macro expansion.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <map>

#include "core/state.h"
#include "script/folders.h"
#include "base/text.h"
#include "edge/wide.h"
#include "support/places.h"

namespace {

// Sources answering from a table, so every fallback can be reached.
struct FakeShell {
    std::map<int, std::string> folders;
    std::string temp = "C:\\TEMP\\";
    std::string windows = "C:\\WINDOWS";
    std::string system = "C:\\WINDOWS\\SYSTEM";
    std::string registryProgramFiles;
    bool shfolder = false;
    bool programFilesExists = true;

    FolderSources Sources() {
        FolderSources s;
        s.specialFolder = [this](int csidl) {
            auto it = folders.find(csidl);
            return it == folders.end() ? std::string() : it->second;
        };
        s.tempPath = [this] { return temp; };
        s.windowsDirectory = [this] { return windows; };
        s.systemDirectory = [this] { return system; };
        s.programFilesDirFromRegistry = [this] { return registryProgramFiles; };
        s.fileExists = [this](const std::string& path) { return shfolder && EqualsNoCase(FileNamePart(path), "Shfolder.dll"); };
        s.folderExists = [this](const std::string&) { return programFilesExists; };
        return s;
    }
};

FakeShell FullShell() {
    FakeShell shell;
    shell.folders = {{CSIDL_WINDOWS, "C:\\WINNT"},
                     {CSIDL_SYSTEM, "C:\\WINNT\\system32"},
                     {CSIDL_PROGRAM_FILES, "C:\\Program Files"},
                     {CSIDL_PERSONAL, "C:\\Users\\me\\Documents"},
                     {CSIDL_STARTMENU, "C:\\Users\\me\\Start Menu"},
                     {CSIDL_PROGRAMS, "C:\\Users\\me\\Start Menu\\Programs"},
                     {CSIDL_DESKTOPDIRECTORY, "C:\\Users\\me\\Desktop"},
                     {CSIDL_STARTUP, "C:\\Users\\me\\Start Menu\\Programs\\Startup"},
                     {CSIDL_SENDTO, "C:\\Users\\me\\SendTo"},
                     {CSIDL_COMMON_STARTMENU, "C:\\All\\Start Menu"},
                     {CSIDL_COMMON_PROGRAMS, "C:\\All\\Start Menu\\Programs"},
                     {CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\All\\Desktop"},
                     {CSIDL_COMMON_STARTUP, "C:\\All\\Startup"},
                     {CSIDL_COMMON_DOCUMENTS, "C:\\All\\Documents"}};
    return shell;
}

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        g_state.SourceFolder = "D:\\DIST\\";
    }
    void TearDown() override { ResetProgramState(); }
};

}  // namespace

TEST_F(FoldersTest, NtUsesAllUsersFoldersOthersCopyTheUsersOnes) {
    FakeShell shell = FullShell();
    g_state.PlatformKind = "NT";
    EXPECT_EQ(DetermineFolders(g_state, shell.Sources()), "");
    EXPECT_EQ(g_state.DesktopFolder, "C:\\Users\\me\\Desktop\\");
    EXPECT_EQ(g_state.CommonDesktopFolder, "C:\\All\\Desktop\\");
    EXPECT_EQ(g_state.CommonProgramsFolder, "C:\\All\\Start Menu\\Programs\\");
    EXPECT_EQ(g_state.CommonDocumentsFolder, "C:\\All\\Documents\\");
    EXPECT_EQ(g_state.WindowsDriveRoot, "C:\\");
    EXPECT_EQ(g_state.SourceDriveRoot, "D:\\");
    EXPECT_EQ(g_state.InstallFolder, "(App)");

    ResetProgramState();
    g_state.PlatformKind = "notNT";
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.CommonDesktopFolder, "C:\\Users\\me\\Desktop\\");
    EXPECT_EQ(g_state.CommonStartupFolder, g_state.StartupFolder);
    EXPECT_EQ(g_state.CommonDocumentsFolder, "C:\\Users\\me\\Documents\\") << "(C_Myd) equals (Myd) without Shfolder.dll";
}

TEST_F(FoldersTest, ShfolderGivesAllUsersDocumentsEvenWhenTheLookupFails) {
    FakeShell shell = FullShell();
    shell.shfolder = true;
    g_state.PlatformKind = "notNT";
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.CommonDocumentsFolder, "C:\\All\\Documents\\");
    shell.folders.erase(CSIDL_COMMON_DOCUMENTS);
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.CommonDocumentsFolder, "\\") << "the variant replaces the value even when it fails";
    EXPECT_EQ(ExpandMacros("(C_Myd)x.txt"), "\\x.txt");
}

TEST_F(FoldersTest, FallbacksWhenTheShellKnowsNothing) {
    FakeShell shell;  // no shell folders at all
    shell.temp = "";
    g_state.PlatformKind = "notNT";
    EXPECT_EQ(DetermineFolders(g_state, shell.Sources()), "");
    EXPECT_EQ(g_state.TempFolder, "D:\\DIST\\") << "the source folder stands in for the temporary folder";
    EXPECT_EQ(g_state.WindowsFolder, "C:\\WINDOWS\\");
    EXPECT_EQ(g_state.SystemFolder, "C:\\WINDOWS\\SYSTEM\\");
    EXPECT_EQ(g_state.ProgramFilesFolder, "C:\\Program Files\\");
    EXPECT_EQ(g_state.DocumentsFolder, "C:\\My Documents\\");
    EXPECT_EQ(g_state.DesktopFolder, "\\");
    EXPECT_EQ(g_state.SendToFolder, "\\");
}

TEST_F(FoldersTest, ProgramFilesFromRegistryOnlyWhenTheFolderExists) {
    FakeShell shell;
    shell.windows = "E:\\WIN";
    shell.registryProgramFiles = "E:\\Programme";
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.ProgramFilesFolder, "E:\\Programme\\");
    shell.programFilesExists = false;
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.ProgramFilesFolder, "E:\\Program Files\\");
    shell.registryProgramFiles = "";
    shell.programFilesExists = true;
    DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(g_state.ProgramFilesFolder, "E:\\Program Files\\");
}

TEST_F(FoldersTest, MissingWindowsAndSystemFoldersAreFatalButTheRestGoesOn) {
    FakeShell shell = FullShell();
    shell.folders.erase(CSIDL_WINDOWS);
    shell.folders.erase(CSIDL_SYSTEM);
    shell.windows = "";
    shell.system = "";
    std::string fatal = DetermineFolders(g_state, shell.Sources());
    EXPECT_EQ(fatal, "【致命的エラー → Windowsフォルダ取得失敗】\r\n【致命的エラー → WindowsSystemフォルダ取得失敗】\r\n");
    EXPECT_EQ(g_state.DesktopFolder, "C:\\Users\\me\\Desktop\\");
}

TEST_F(FoldersTest, RealSystemFoldersUnderWine) {
    g_state.PlatformKind = "NT";
    EXPECT_EQ(DetermineFolders(g_state, FolderSources::System()), "");
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(g_state.TempFolder, Narrow(std::wstring_view(temp, length))) << "exactly the returned length";
    EXPECT_TRUE(EqualsNoCase(g_state.WindowsFolder, "C:\\windows\\"));
    // A 32-bit program is shown system32 too (its files land in syswow64), but gets the 32-bit
    // programs' Program Files folder.
    EXPECT_TRUE(EqualsNoCase(g_state.SystemFolder, "C:\\windows\\system32\\"));
    EXPECT_TRUE(EqualsNoCase(g_state.ProgramFilesFolder, places::ProgramFiles())) << g_state.ProgramFilesFolder;
    EXPECT_EQ(g_state.DesktopFolder.back(), '\\');
    EXPECT_NE(g_state.DesktopFolder, "\\");
    EXPECT_EQ(GetSpecialFolder(CSIDL_WINDOWS) + "\\", g_state.WindowsFolder);
    EXPECT_EQ(GetSpecialFolder(-12345), "");
}

TEST_F(FoldersTest, MacroExpansion) {
    g_state.ProgramFilesFolder = "C:\\Program Files\\";
    g_state.SystemFolder = "C:\\WINDOWS\\SYSTEM32\\";
    g_state.InstallFolder = "C:\\APP\\";
    g_state.ProgramsFolder = "C:\\Start\\Programs\\";
    EXPECT_EQ(ExpandMacros("(Prg)\\Firm\\App\\"), "C:\\Program Files\\Firm\\App\\");
    EXPECT_EQ(ExpandMacros("(prg)Firm"), "C:\\Program Files\\Firm") << "case-insensitive macro names";
    EXPECT_EQ(ExpandMacros("(App)A.TXT|(app)\\B.TXT"), "C:\\APP\\A.TXT|C:\\APP\\B.TXT");
    EXPECT_EQ(ExpandMacros("(Sys)X.DLL,/S/R"), "C:\\WINDOWS\\SYSTEM32\\X.DLL,/S/R");
    EXPECT_EQ(ExpandMacros("(Dch)(App)DATA.DAT"), "(Dch)C:\\APP\\DATA.DAT") << "unknown tokens stay";
    EXPECT_EQ(ExpandMacros("(Sta)表\\App"), "C:\\Start\\Programs\\表\\App");
    EXPECT_EQ(ExpandMacros("(Set)"), "") << "(Set) is empty until the install run sets it";
    EXPECT_EQ(ExpandMacros("no macros"), "no macros");
    EXPECT_EQ(ReplaceMacro("a<改行>b<改行>c", "<改行>", "\r\n"), "a\r\nb\r\nc");
    EXPECT_EQ(ReplaceMacro("(Pdd)(App)(pdd)", "(Pdd)", ""), "(App)");
}

TEST_F(FoldersTest, SelfReferenceDoesNotLoop) {
    g_state.InstallFolder = "(App)";
    g_state.ProgramFilesFolder = "C:\\PF\\";
    EXPECT_EQ(ExpandMacros("(App)\\x"), "(App)\\x");
    EXPECT_EQ(ExpandMacros("(App)(APP)(Prg)"), "(App)(App)C:\\PF\\");
    EXPECT_EQ(ReplaceMacro("(A)(A)", "(A)", "x(A)y"), "x(A)yx(A)y");
}
