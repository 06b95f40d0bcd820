// The install run against real folders under Wine, phases 2 to 7: status lines, required space
// and the free-space check, the folder check, folder creation and every branch of the file copy.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include "core/state.h"
#include "install_fixture.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "sys/deferred_source.h"
#include "sys/error_text.h"
#include "sys/registry.h"
#include "sys/shared_dll.h"
#include "sys/sys_helpers.h"
#include "script/ini.h"
#include "support/places.h"

namespace {

using Strings = std::vector<std::string>;

// A file's permissions in the system's text form; "" when they cannot be read.
std::string PermissionsOf(const std::string& path) {
    DWORD size = 0;
    GetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::string descriptor(size, '\0');
    wchar_t* text = nullptr;
    if (size == 0 || !GetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor.data(), SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return "";
    std::string result = Narrow(text);
    LocalFree(text);
    return result;
}

// Permissions for the user alone (and the system), as a user's temporary folder hands down.
std::string UserOnlyPermissions() {
    HANDLE token = nullptr;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return "";
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::string user(size, '\0');
    wchar_t* sid = nullptr;
    bool read = size && GetTokenInformation(token, TokenUser, user.data(), size, &size) &&
                ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid);
    CloseHandle(token);
    if (!read) return "";
    std::string text = "D:(A;;FA;;;SY)(A;;FA;;;" + Narrow(sid) + ")";
    LocalFree(sid);
    return text;
}

bool SetPermissions(const std::string& path, const std::string& text) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(text).c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    bool set = SetFileSecurityW(Wide(path).c_str(), DACL_SECURITY_INFORMATION, descriptor);
    LocalFree(descriptor);
    return set;
}

TEST_F(InstallRunTest, CleanRunShowsEveryPhaseLineAndRecordsWhatItDid) {
    ComScope com;
    ForceFolders(app_);
    Source("APP.EXE", "program");
    Source("DATA.DAT", "data");
    Script("[MakeFolder]\r\nFolder1=(App)\r\nFolder2=(App)Data\r\n"
           "[CopyFile]\r\nFile1=(App)APP.EXE\r\nFile2=(App)Data\\DATA.DAT\r\n"
           "[ShortCut]\r\nMake1=(App)APP.EXE\r\nName1=Orvant Test App\r\n"
           "[Registry]\r\nKey1=Software\\OrvantTest\\Install\r\nName1=Folder\r\nValue1=(Str)(Pdd)(App)\r\n"
           "[IniFile]\r\nData1=Options,Path,(App),(App)APP.INI\r\n"
           "[Relate]\r\nName1=orvins,Orvant Test Document\r\nFile1=open,(App)APP.EXE,\"%1\",,0\r\n");
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(g_state.StatusText, CleanRunStatus());
    EXPECT_EQ(g_state.StatusTail, "完了");
    EXPECT_EQ(result.FailureCount, 0);
    EXPECT_EQ(result.FailureDetail, "");
    EXPECT_FALSE(result.LockedFileFound);
    EXPECT_EQ(g_state.InstallFolder, app_);
    EXPECT_EQ(g_state.InstallDriveRoot, "C:\\");
    EXPECT_EQ(ReadTextFile(app_ + "APP.EXE"), "program");
    EXPECT_EQ(ReadTextFile(app_ + "Data\\DATA.DAT"), "data");
    EXPECT_TRUE(FileExists(dist_ + "APP.EXE"));  // a distributor's folder is only read

    // Sizes: 7 + 4 bytes; progress by bytes.
    EXPECT_TRUE(result.SizesKnown);
    EXPECT_EQ(result.TotalBytes, 11);
    EXPECT_EQ(result.CopiedBytes, 11);
    EXPECT_EQ(ui_.labels, (Strings{"63%(1/2)", "100%(2/2)"}));
    EXPECT_EQ(ui_.positions, (std::vector<int>{63, 100}));
    EXPECT_EQ(ui_.frameCalls, (std::vector<bool>{true, false}));
    // Abort possible from the folder creation on, no longer while the log is written.
    EXPECT_EQ(ui_.abortEnabledCalls, (std::vector<bool>{true, false}));
    // Pauses: information, counting, free space, two folders, two files, one shortcut.
    EXPECT_EQ(ui_.pauses, (std::vector<long>(8, 1)));

    // What the progress window showed while items were worked on.
    const std::string copyHeader = CleanRunStatus().substr(0, CleanRunStatus().find("ファイルをコピー")) +
                                   "ファイルをコピーしています．．．";
    EXPECT_TRUE(ui_.Showed(copyHeader + "\r\n【コピー元】APP.EXE\r\n【コピー先】" + app_ + "APP.EXE\r\n"));
    EXPECT_TRUE(ui_.Showed("フォルダを作成しています．．．\r\n【作成中】 -> " + app_ + "Data\\"));
    EXPECT_TRUE(ui_.Showed("\r\n【作成元】" + app_ + "APP.EXE\r\n【作成先】" + shell_ + "Programs\\Orvant Test App\r\n"));
    // The only question is the association's.
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].title, "関連付けの確認");

    const RemovalLists& lists = result.Lists;
    EXPECT_EQ(lists.FolderLog.Items(), (Strings{app_, app_ + "Data\\"}));
    EXPECT_EQ(lists.FileLog.Items(), (Strings{app_ + "APP.EXE", app_ + "Data\\DATA.DAT", app_ + "UNSETUP.INI"}));
    EXPECT_EQ(lists.ShortcutLog.Items(), (Strings{shell_ + "Programs\\Orvant Test App.lnk"}));
    EXPECT_TRUE(lists.RegistryLog.Items().empty());
    EXPECT_TRUE(lists.AddDeleteLog.Items().empty());
    EXPECT_TRUE(FileExists(app_ + "UNSETUP.INI"));
}

TEST_F(InstallRunTest, MissingSourceIsSkippedAndDetailed) {
    Source("KEEP.DAT", "keep");
    Script("[CopyFile]\r\nFile1=(App)GONE.DAT\r\nFile2=(App)KEEP.DAT\r\n");
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_FALSE(result.SizesKnown);  // no free-space line, progress by entries
    EXPECT_EQ(g_state.StatusText.find("ディスクの空き容量"), std::string::npos);
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．一部失敗\r\n"), std::string::npos);
    EXPECT_TRUE(ui_.Showed("ファイルをコピーしています．．．\r\n【コピー元】" + dist_ + "GONE.DAT\r\n【コピー先】" + app_ +
                           "GONE.DAT\r\nファイルが存在しないためコピーをスキップしています．．．"));
    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail, "<File> " + dist_ + "GONE.DAT\r\nコピー元のファイルが見つかりません。\r\n\r\n");
    EXPECT_EQ(result.ProcessedCount, 2);
    EXPECT_EQ(ui_.labels, (Strings{"50%(1/2)", "100%(2/2)"}));
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "KEEP.DAT", app_ + "UNSETUP.INI"}));
    EXPECT_FALSE(PathExists(app_ + "GONE.DAT"));
}

TEST_F(InstallRunTest, CompressedSourcesAreExpandedWithAndWithoutNewName) {
    SourceFromData("INSTDOC.TX_", "INSTDOC.TX_");
    SourceFromData("INSTNAME.TX_", "INSTNAME.TX_");
    std::string original = ReadTextFile(WindowsPathOf(EnvValue("SETUP_INSTALL_DATA")) + "\\INSTDOC.TXT");
    ASSERT_FALSE(original.empty());
    ASSERT_NE(ReadTextFile(dist_ + "INSTDOC.TX_"), original);
    Script("[MakeFolder]\r\nFolder1=(App)\r\nFolder2=(App)Docs\r\n"
           "[CopyFile]\r\nFile1=(App)INSTDOC.TX_|読んでね.TXT\r\nFile2=(App)Docs\\INSTNAME.TX_\r\n"
           "File3=(App)Docs\\INSTDOC.TX_\r\n");
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(result.FailureCount, 0) << result.FailureDetail;
    EXPECT_EQ(ReadTextFile(app_ + "読んでね.TXT"), original);
    // Without a new name the file takes the name recorded in it, in upper case; mscompress records
    // no last character, and the library then leaves it off.
    EXPECT_EQ(ReadTextFile(app_ + "Docs\\INSTNAME.TXT"), original);
    EXPECT_EQ(ReadTextFile(app_ + "Docs\\INSTDOC.TX"), original);
    EXPECT_FALSE(PathExists(app_ + "Docs\\AUTO.EXT"));
    EXPECT_FALSE(PathExists(temp_ + "EXPAND.OVT"));
    EXPECT_TRUE(ui_.Showed("【コピー元】EXPAND.OVT\r\n【コピー先】" + app_ + "読んでね.TXT\r\n"));
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "読んでね.TXT", app_ + "Docs\\INSTNAME.TXT", app_ + "Docs\\INSTDOC.TX",
                                           app_ + "UNSETUP.INI"}));
    // Progress counts the compressed sizes that were summed at the start.
    EXPECT_EQ(result.CopiedBytes, result.TotalBytes);
    EXPECT_EQ(ui_.labels.back(), "100%(3/3)");
}

// Sources extracted from the program's own payload are moved when one entry alone needs them, and
// the moved file is what a copy would have made: content, time, plain attributes, over a
// read-only file. Others are copied and stay.
TEST_F(InstallRunTest, OwnSourcesNeededOnceAreMovedTheRestCopied) {
    Source("ONCE.DAT", "once");
    Source("TWICE.DAT", "twice");
    SourceFromData("INSTDOC.TX_", "INSTDOC.TX_");
    ForceFolders(app_ + "Again\\");
    WriteTextFile(app_ + "ONCE.DAT", "old");
    SetFileHour(app_ + "ONCE.DAT", 1);
    SetFileAttributesW(Wide(app_ + "ONCE.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    long sourceTime = FileDosDateTime(dist_ + "ONCE.DAT");
    // Extracted into the user's temporary folder, the source has that folder's permissions: in
    // place, the file has those of any file made there.
    const std::string userOnly = UserOnlyPermissions();
    ASSERT_TRUE(SetPermissions(dist_ + "ONCE.DAT", userOnly));
    ASSERT_EQ(PermissionsOf(dist_ + "ONCE.DAT"), userOnly);
    Script("[CopyFile]\r\nFile1=(App)ONCE.DAT\r\nFile2=(App)TWICE.DAT\r\nFile3=(App)Again\\TWICE.DAT\r\n"
           "File4=(App)INSTDOC.TX_|DOC.TXT\r\n");
    g_state.SourcesAreOurs = true;
    InstallResult result = Run();

    EXPECT_EQ(result.FailureCount, 0) << result.FailureDetail;
    EXPECT_EQ(ReadTextFile(app_ + "ONCE.DAT"), "once");
    EXPECT_FALSE(FileExists(dist_ + "ONCE.DAT"));
    EXPECT_EQ(FileDosDateTime(app_ + "ONCE.DAT"), sourceTime);
    EXPECT_EQ(FileAttributesOf(app_ + "ONCE.DAT") & FILE_ATTRIBUTE_READONLY, 0u);
    WriteTextFile(app_ + "MADE.DAT", "made here");
    EXPECT_EQ(PermissionsOf(app_ + "ONCE.DAT"), PermissionsOf(app_ + "MADE.DAT"));
    EXPECT_NE(PermissionsOf(app_ + "ONCE.DAT"), userOnly);
    WIN32_FIND_DATAW found;
    HANDLE probe = FindFirstFileW(Wide(app_ + "~OVACL*").c_str(), &found);
    EXPECT_EQ(probe, INVALID_HANDLE_VALUE) << "the file that finds the folder's permissions is gone";
    if (probe != INVALID_HANDLE_VALUE) FindClose(probe);
    EXPECT_EQ(ReadTextFile(app_ + "TWICE.DAT"), "twice");
    EXPECT_EQ(ReadTextFile(app_ + "Again\\TWICE.DAT"), "twice");
    EXPECT_TRUE(FileExists(dist_ + "TWICE.DAT"));
    EXPECT_TRUE(FileExists(dist_ + "INSTDOC.TX_"));
    EXPECT_TRUE(FileExists(app_ + "DOC.TXT"));
    EXPECT_EQ(result.CopiedBytes, result.TotalBytes);
}

// Sources a single file keeps in its payload until the copy: a new file is written where it goes,
// never into the work folder; over a file that is there, the source is written out and copied as
// any other; the date decides with the source's own time.
TEST_F(InstallRunTest, SourcesKeptInThePayloadAreWrittenWhereTheyGo) {
    ForceFolders(app_);
    ForceFolders(root_ + "payload\\");
    auto defer = [&](const char* name, const std::string& bytes, int hour) {
        std::string kept = root_ + "payload\\" + name;
        WriteTextFile(kept, bytes);
        SetFileHour(kept, hour);
        DeferredSource source;
        source.size = static_cast<long long>(bytes.size());
        source.dosDateTime = FileDosDateTime(kept);
        source.writeTo = [kept](const std::string& to) {
            return CopyFileW(Wide(kept).c_str(), Wide(to).c_str(), TRUE) ? 0ul : GetLastError();
        };
        DeferSource(dist_ + name, source);
    };
    defer("NEW.DAT", "new file", 12);
    defer("NEWER.DAT", "newer", 12);
    defer("OLDER.DAT", "older", 9);
    WriteTextFile(app_ + "NEWER.DAT", "old");
    SetFileHour(app_ + "NEWER.DAT", 10);
    SetFileAttributesW(Wide(app_ + "NEWER.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteTextFile(app_ + "OLDER.DAT", "old");
    SetFileHour(app_ + "OLDER.DAT", 10);
    Script("[CopyFile]\r\nFile1=(App)NEW.DAT\r\nFile2=(App)NEWER.DAT\r\nFile3=(App)OLDER.DAT\r\n");
    g_state.SourcesAreOurs = true;
    InstallResult result = Run();
    ClearDeferredSources();

    EXPECT_EQ(result.FailureCount, 0) << result.FailureDetail;
    EXPECT_EQ(ReadTextFile(app_ + "NEW.DAT"), "new file");
    EXPECT_EQ(FileDosDateTime(app_ + "NEW.DAT"), FileDosDateTime(root_ + "payload\\NEW.DAT"));
    EXPECT_EQ(ReadTextFile(app_ + "NEWER.DAT"), "newer");
    EXPECT_EQ(FileAttributesOf(app_ + "NEWER.DAT") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(ReadTextFile(app_ + "OLDER.DAT"), "old");
    for (const char* name : {"NEW.DAT", "NEWER.DAT", "OLDER.DAT"})
        EXPECT_FALSE(FileExists(dist_ + name)) << name << ": moved, or never needed in the work folder";
    EXPECT_TRUE(result.SizesKnown);
    EXPECT_EQ(result.CopiedBytes, result.TotalBytes);
}

TEST_F(InstallRunTest, DiskChangesAskForDiskTwoThenThreeUntilTheSourceIsThere) {
    Source("A.DAT");
    Source("C.DAT");
    // Disk 2 is "inserted" only at the second answer.
    int diskBoxes = 0;
    std::vector<RecordedBox> seen;
    SetMessageBoxResponder([&](const std::string& text, const std::string& title, unsigned flags) {
        seen.push_back({text, title, flags});
        if (title == "ディスク交換" && ++diskBoxes == 2) WriteTextFile(dist_ + "B.DAT", "disk two");
        return IDOK;
    });
    Script("[CopyFile]\r\nFile1=(App)A.DAT\r\nFile2=(Dch)(App)B.DAT\r\nFile3=(Dch)(App)C.DAT\r\n");
    ForceFolders(app_);
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Completed);
    ASSERT_EQ(seen.size(), 3u);
    for (const RecordedBox& box : seen) {
        EXPECT_EQ(box.title, "ディスク交換");
        EXPECT_EQ(box.flags, 65u);
    }
    EXPECT_EQ(seen[0].text, "2枚目のディスクに交換してください。");
    EXPECT_EQ(seen[1].text, "2枚目のディスクに交換してください。");
    // Asked even though C.DAT was there all along.
    EXPECT_EQ(seen[2].text, "3枚目のディスクに交換してください。");
    EXPECT_EQ(result.DiskNumber, 3);
    EXPECT_EQ(ReadTextFile(app_ + "B.DAT"), "disk two");
    EXPECT_TRUE(FileExists(app_ + "C.DAT"));
    EXPECT_FALSE(result.SizesKnown);  // B.DAT was not there when the sizes were summed
}

TEST_F(InstallRunTest, CancelledDiskChangeEndsByRefusalAndKeepsTheRecordOfWhatWasDone) {
    Source("A.DAT");
    Source("B.DAT");
    ForceFolders(app_);
    Script("[CopyFile]\r\nFile1=(App)A.DAT\r\nFile2=(Dch)(App)B.DAT\r\n");
    boxes_.Queue(IDCANCEL);
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Refused);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].text, "インストールを続行できませんでした。");
    EXPECT_EQ(boxes_.Boxes()[1].title, "致命的エラー");
    EXPECT_EQ(boxes_.Boxes()[1].flags, 16u);
    EXPECT_TRUE(FileExists(app_ + "A.DAT"));  // done before the refusal: stays
    EXPECT_FALSE(PathExists(app_ + "B.DAT"));
    // What was done can be uninstalled: the log lists it (and itself), the entry offers it.
    EXPECT_EQ(ReadIniValue("DeleteFile", "File1", "", app_ + "UNSETUP.INI"), app_ + "A.DAT");
    EXPECT_EQ(ReadIniValue("DeleteFile", "File2", "", app_ + "UNSETUP.INI"), app_ + "UNSETUP.INI");
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
}

// Rows of the overwrite table with the question (OverwriteAuto off).
TEST_F(InstallRunTest, OverwriteByQuestion) {
    ForceFolders(app_);
    for (const char* name : {"YES.DAT", "NO.DAT", "NOW.DAT"}) {
        Source(name, "new");
        WriteTextFile(app_ + name, "old");
    }
    Source("ABSENT.DAT", "new");
    Script("[CopyFile]\r\nFile1=(App)ABSENT.DAT\r\nFile2=(App)YES.DAT\r\nFile3=(App)NO.DAT\r\nFile4=(App)NOW.DAT,/W\r\n");
    options_.overwriteAuto = false;
    boxes_.Queue(IDYES);
    boxes_.Queue(IDNO);
    boxes_.Queue(IDNO);
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    ASSERT_EQ(boxes_.Boxes().size(), 3u);  // the absent file is not asked about; "/W" still is
    EXPECT_EQ(boxes_.Boxes()[0].text, app_ + "YES.DAT\r\n\r\nこのファイルは既に存在します。\r\n上書きしてもよろしいですか？");
    EXPECT_EQ(boxes_.Boxes()[0].title, "上書き確認");
    EXPECT_EQ(boxes_.Boxes()[0].flags, 36u);
    EXPECT_EQ(boxes_.Boxes()[2].text.substr(0, app_.size() + 7), app_ + "NOW.DAT");
    EXPECT_EQ(ReadTextFile(app_ + "ABSENT.DAT"), "new");
    EXPECT_EQ(ReadTextFile(app_ + "YES.DAT"), "new");
    EXPECT_EQ(ReadTextFile(app_ + "NO.DAT"), "old");
    EXPECT_EQ(ReadTextFile(app_ + "NOW.DAT"), "new");
    // Kept files are recorded like copied ones.
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "ABSENT.DAT", app_ + "YES.DAT", app_ + "NO.DAT", app_ + "NOW.DAT,/W",
                                           app_ + "UNSETUP.INI"}));
    EXPECT_EQ(result.FailureCount, 0);
}

// Rows of the overwrite table by file dates (OverwriteAuto on).
TEST_F(InstallRunTest, OverwriteByDate) {
    ForceFolders(app_);
    auto pair = [&](const char* name, int sourceHour, int destinationHour) {
        Source(name, "new");
        WriteTextFile(app_ + name, "old");
        SetFileHour(dist_ + name, sourceHour);
        SetFileHour(app_ + name, destinationHour);
    };
    pair("NEWER.DAT", 12, 10);
    pair("SAME.DAT", 10, 10);
    pair("OLDER.DAT", 9, 10);
    pair("OLDERW.DAT", 9, 10);
    Source("ABSENT.DAT", "new");
    Script("[CopyFile]\r\nFile1=(App)ABSENT.DAT\r\nFile2=(App)NEWER.DAT\r\nFile3=(App)SAME.DAT\r\n"
           "File4=(App)OLDER.DAT\r\nFile5=(App)OLDERW.DAT,/w\r\n");
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(ReadTextFile(app_ + "ABSENT.DAT"), "new");
    EXPECT_EQ(ReadTextFile(app_ + "NEWER.DAT"), "new");
    EXPECT_EQ(ReadTextFile(app_ + "SAME.DAT"), "old");
    EXPECT_EQ(ReadTextFile(app_ + "OLDER.DAT"), "old");
    EXPECT_EQ(ReadTextFile(app_ + "OLDERW.DAT"), "new");
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "ABSENT.DAT", app_ + "NEWER.DAT", app_ + "SAME.DAT", app_ + "OLDER.DAT",
                                           app_ + "OLDERW.DAT,/w", app_ + "UNSETUP.INI"}));
}

TEST_F(InstallRunTest, DestinationInUseIsReplacedAtRestart) {
    ForceFolders(app_);
    Source("LOCK.DAT", "new");
    WriteTextFile(app_ + "LOCK.DAT", "old");
    Script("[CopyFile]\r\nFile1=(App)LOCK.DAT\r\n");
    SetFileHour(dist_ + "LOCK.DAT", 23);
    SetFileHour(app_ + "LOCK.DAT", 1);
    InstallResult result;
    {
        LockedFile lock(app_ + "LOCK.DAT");
        ASSERT_TRUE(lock.IsLocked());
        result = Run();
    }
    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_TRUE(result.LockedFileFound);
    EXPECT_TRUE(g_state.LockedFileFound);
    EXPECT_EQ(result.FailureCount, 0);
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．ロックファイルあり\r\n"), std::string::npos);
    EXPECT_EQ(ReadTextFile(app_ + "LOCK.DAT"), "old");
    EXPECT_EQ(ReadTextFile(win_ + "OVTMP1.TMP"), "new");
    std::vector<std::string> pending = PendingRenames();
    bool scheduled = false;
    for (size_t i = 0; i + 1 < pending.size(); i += 2)
        if (pending[i] == "\\??\\" + win_ + "OVTMP1.TMP" && pending[i + 1] == "!\\??\\" + app_ + "LOCK.DAT") scheduled = true;
    EXPECT_TRUE(scheduled);
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "LOCK.DAT", app_ + "UNSETUP.INI"}));
}

// A file in use whose replacement cannot be scheduled (here the restart list of the older family
// cannot be written) stays old for good: a failure, no restart offer, no copy left waiting.
TEST_F(InstallRunTest, InUseFileWhoseReplacementCannotBeScheduledIsAFailure) {
    ForceFolders(app_);
    ForceFolders(win_ + "WININIT.INI\\");
    g_state.PlatformKind = "notNT";
    Source("LOCK.DAT", "new");
    WriteTextFile(app_ + "LOCK.DAT", "old");
    Script("[CopyFile]\r\nFile1=(App)LOCK.DAT,/W\r\n");
    InstallResult result;
    {
        LockedFile lock(app_ + "LOCK.DAT");
        ASSERT_TRUE(lock.IsLocked());
        result = Run();
    }
    EXPECT_FALSE(result.LockedFileFound);
    EXPECT_FALSE(g_state.LockedFileFound);
    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail,
              "<File> " + app_ + "LOCK.DAT\r\n" + SystemErrorText(ERROR_SHARING_VIOLATION) + "\r\n");
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．一部失敗\r\n"), std::string::npos);
    EXPECT_EQ(ReadTextFile(app_ + "LOCK.DAT"), "old");
    EXPECT_FALSE(FileExists(win_ + "OVTMP1.TMP")) << "no replacement left waiting for a move that never comes";
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "UNSETUP.INI"}));
}

TEST_F(InstallRunTest, LockedFileAndFailureGiveBothWords) {
    ForceFolders(app_);
    Source("LOCK.DAT", "new");
    WriteTextFile(app_ + "LOCK.DAT", "old");
    Script("[CopyFile]\r\nFile1=(App)GONE.DAT\r\nFile2=(App)LOCK.DAT,/W\r\n");
    InstallResult result;
    {
        LockedFile lock(app_ + "LOCK.DAT");
        result = Run();
    }
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．一部失敗・ロックファイルあり\r\n"), std::string::npos);
    EXPECT_EQ(result.FailureCount, 1);
}

TEST_F(InstallRunTest, CopyFailureOtherThanInUseIsDetailed) {
    ForceFolders(app_ + "DIR.DAT\\");  // a folder where the file should go
    Source("DIR.DAT");
    Script("[CopyFile]\r\nFile1=(App)DIR.DAT\r\n");
    InstallResult result = Run();
    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail.substr(0, 7 + app_.size() + 9), "<File> " + app_ + "DIR.DAT\r\n");
    EXPECT_NE(result.FailureDetail.size(), 7 + app_.size() + 9 + 2);  // the system's text follows
    EXPECT_EQ(result.FailureDetail.substr(result.FailureDetail.size() - 4), "\r\n\r\n");
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．一部失敗\r\n"), std::string::npos);
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{app_ + "UNSETUP.INI"}));
}

TEST_F(InstallRunTest, SharedCountAndRegistrationOfAComServer) {
    ASSERT_EQ(CopyFileOver(SysBinary("comserver_ok.dll"), dist_ + "ORVCOM.DLL"), 0u);
    ASSERT_EQ(CopyFileOver(SysBinary("comserver_ok.dll"), dist_ + "ORVCOM2.DLL"), 0u);
    Script("[CopyFile]\r\nFile1=(Sys)ORVCOM.DLL,/S/R\r\nFile2=(Sys)ORVCOM2.DLL,/S,/R\r\n");
    InstallResult result = Run();

    ASSERT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_EQ(GetSharedCount(sys_ + "ORVCOM.DLL"), 1);
    EXPECT_EQ(GetSharedCount(sys_ + "ORVCOM2.DLL"), 1);
    const std::string counts = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    EXPECT_EQ(places::StoredAs(HKEY_LOCAL_MACHINE, counts, (sys_ + "ORVCOM.DLL").c_str()), places::MachineKey(counts));
    DWORD calls = 0;
    EXPECT_TRUE(RawGetDword(HKEY_CURRENT_USER, "Software\\OrvantTest\\ComServer\\comserver_ok", "RegisterCalls", calls));
    EXPECT_EQ(calls, 1u);  // only the first entry has "/R" in its options field
    EXPECT_EQ(result.Lists.FileLog.Items(), (Strings{sys_ + "ORVCOM.DLL,/S/R", sys_ + "ORVCOM2.DLL,/S", app_ + "UNSETUP.INI"}));
    EXPECT_TRUE(boxes_.Boxes().size() <= 1u);  // at most the folder question
}

TEST_F(InstallRunTest, SharedCountRisesEvenWhenTheFileIsKept) {
    ASSERT_EQ(CopyFileOver(SysBinary("comserver_ok.dll"), dist_ + "ORVCOM.DLL"), 0u);
    ASSERT_EQ(CopyFileOver(dist_ + "ORVCOM.DLL", sys_ + "ORVCOM.DLL"), 0u);
    SetFileHour(dist_ + "ORVCOM.DLL", 1);
    SetFileHour(sys_ + "ORVCOM.DLL", 2);
    Script("[CopyFile]\r\nFile1=(Sys)ORVCOM.DLL,/S\r\n");
    InstallResult result = Run();
    // An existing file without a count counts as one earlier user.
    EXPECT_EQ(GetSharedCount(sys_ + "ORVCOM.DLL"), 2);
    EXPECT_EQ(result.Lists.FileLog.Items().front(), sys_ + "ORVCOM.DLL,/S");
}

TEST_F(InstallRunTest, FreeSpaceEqualToTheTotalWarns) {
    Source("TEN.DAT", "0123456789");
    Source("EMPTY.DAT", "");  // counts as one byte
    Script("[CopyFile]\r\nFile1=(App)TEN.DAT\r\nFile2=(App)EMPTY.DAT\r\n");
    freeBytes_ = 11;
    InstallResult result = Run();

    EXPECT_EQ(result.TotalBytes, 11);
    ASSERT_GE(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text,
              "ディスクの空き容量が不足しているため、エラーになる可能性があります。\r\nこのままインストールを続行しますか？");
    EXPECT_EQ(boxes_.Boxes()[0].title, "空き容量チェックエラー");
    EXPECT_EQ(boxes_.Boxes()[0].flags, 36u);
    EXPECT_NE(g_state.StatusText.find("ディスクの空き容量をチェックしています．．．不足の可能性あり\r\n"), std::string::npos);
    EXPECT_EQ(result.ended, InstallEnd::Completed);
}

TEST_F(InstallRunTest, FreeSpaceOneByteMorePasses) {
    Source("TEN.DAT", "0123456789");
    Script("[CopyFile]\r\nFile1=(App)TEN.DAT\r\n");
    ForceFolders(app_);
    freeBytes_ = 11;
    InstallResult result = Run();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_NE(g_state.StatusText.find("ディスクの空き容量をチェックしています．．．完了\r\n"), std::string::npos);
    EXPECT_EQ(result.ended, InstallEnd::Completed);
}

TEST_F(InstallRunTest, FreeSpaceBeyondThirtyTwoBits) {
    // Six GiB of sources would wrap a 32-bit sum; the drive's free space is measured by the test.
    Source("TEN.DAT", "0123456789");
    Script("[CopyFile]\r\nFile1=(App)TEN.DAT\r\n");
    ForceFolders(app_);
    freeBytes_ = 6LL << 30;
    InstallResult result = Run();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(result.ended, InstallEnd::Completed);
}

TEST_F(InstallRunTest, ExtendedMeasureFailingFallsBackToTheClassicOne) {
    Source("TEN.DAT", "0123456789");
    Script("[CopyFile]\r\nFile1=(App)TEN.DAT\r\n");
    ForceFolders(app_);
    std::vector<std::string> drives;
    measures_.extended = [&](const std::string& drive, long long& bytes) {
        drives.push_back(drive);
        bytes = -1;
        return false;
    };
    measures_.classic = [&](const std::string& drive, long long& bytes) {
        drives.push_back(drive);
        bytes = 10;
        return true;
    };
    boxes_.Queue(IDYES);
    Run();
    EXPECT_EQ(drives, (Strings{"C:", "C:"}));
    ASSERT_GE(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].title, "空き容量チェックエラー");
    EXPECT_NE(g_state.StatusText.find("不足の可能性あり"), std::string::npos);
}

TEST_F(InstallRunTest, UnmeasurableFreeSpaceAsksWithTheRequiredSizeAndNoRefuses) {
    Source("TEN.DAT", "0123456789");
    Script("[CopyFile]\r\nFile1=(App)TEN.DAT\r\n");
    freeBytes_ = -1;
    boxes_.Queue(IDNO);
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Refused);
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[0].text,
              "ディスクの空き容量取得関数が失敗しました。\r\nインストールに必要なディスク容量は 10Byteです。\r\n"
              "空き容量があるようであれば、インストールを続行してください。\r\n\r\nインストールを続行しますか？");
    EXPECT_EQ(g_state.StatusTail, "関数失敗");
    EXPECT_EQ(boxes_.Boxes()[1].text, "インストールを続行できませんでした。");
    EXPECT_EQ(boxes_.Boxes()[1].title, "インストール中止");
    EXPECT_EQ(boxes_.Boxes()[1].flags, 16u);
    EXPECT_FALSE(PathExists(app_));
}

TEST_F(InstallRunTest, MissingInstallFolderIsCreatedAfterTheQuestion) {
    options_.folderText = root_ + "new\\deep\\app";
    Script("");
    InstallResult result = Run();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, root_ + "new\\deep\\app\\\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？");
    EXPECT_EQ(boxes_.Boxes()[0].title, "フォルダ作成");
    EXPECT_EQ(boxes_.Boxes()[0].flags, 36u);
    EXPECT_TRUE(FolderExists(root_ + "new\\deep\\app\\"));
    EXPECT_EQ(result.ended, InstallEnd::Completed);
}

TEST_F(InstallRunTest, InstallFolderRefusedOrNotCreatable) {
    Script("");
    boxes_.Queue(IDNO);
    EXPECT_EQ(Run().ended, InstallEnd::Refused);
    EXPECT_FALSE(PathExists(app_));
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].title, "インストール中止");

    // A drive that does not exist: the creation fails, then the run ends by refusal.
    boxes_.Clear();
    options_.folderText = "R:\\Orvant\\App";
    EXPECT_EQ(Run().ended, InstallEnd::Refused);
    ASSERT_EQ(boxes_.Boxes().size(), 3u);
    EXPECT_EQ(boxes_.Boxes()[1].text, "インストールフォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。");
    EXPECT_EQ(boxes_.Boxes()[1].title, "致命的エラー");
    EXPECT_EQ(boxes_.Boxes()[1].flags, 16u);
    EXPECT_EQ(g_state.StatusTail, "作成失敗");
    EXPECT_EQ(boxes_.Boxes()[2].title, "インストール中止");
}

TEST_F(InstallRunTest, MakeFolderChildBeforeParentFailsAndExistingFoldersAreRecorded) {
    ForceFolders(app_);
    Script("[MakeFolder]\r\nFolder1=(App)\r\nFolder2=(App)Parent\\Child\r\nFolder3=(App)Parent\\\r\n"
           "Folder5=(App)Gap\r\n");
    InstallResult result = Run();

    EXPECT_EQ(result.FailureCount, 1);
    EXPECT_EQ(result.FailureDetail, "<Folder> " + app_ + "Parent\\Child\\\r\n" + SystemErrorText(ERROR_PATH_NOT_FOUND) + "\r\n");
    EXPECT_NE(SystemErrorText(ERROR_PATH_NOT_FOUND), "");
    EXPECT_NE(g_state.StatusText.find("フォルダを作成しています．．．一部失敗\r\n"), std::string::npos);
    EXPECT_EQ(result.Lists.FolderLog.Items(), (Strings{app_, app_ + "Parent\\"}));
    EXPECT_TRUE(FolderExists(app_ + "Parent\\"));
    EXPECT_FALSE(PathExists(app_ + "Parent\\Child"));
    EXPECT_FALSE(PathExists(app_ + "Gap"));  // the list ends at the first gap
}

TEST_F(InstallRunTest, EntryBasedProgressCountsEntries) {
    std::string entries;
    for (int n = 1; n <= 20; ++n) {
        std::string name = "F" + std::to_string(n) + ".DAT";
        if (n != 1) Source(name);  // the first is missing: sizes unknown, progress by entries
        entries += "File" + std::to_string(n) + "=(App)" + name + "\r\n";
    }
    Script("[CopyFile]\r\n" + entries);
    ForceFolders(app_);
    InstallResult result = Run();

    EXPECT_FALSE(result.SizesKnown);
    ASSERT_EQ(ui_.labels.size(), 20u);
    EXPECT_EQ(ui_.labels[0], "5%(1/20)");
    EXPECT_EQ(ui_.labels[8], "45%(9/20)");
    EXPECT_EQ(ui_.labels[19], "100%(20/20)");
    EXPECT_EQ(result.EntryCount, 20);
}

TEST_F(InstallRunTest, EmptyCopyListStillChecksFreeSpace) {
    Script("");
    ForceFolders(app_);
    InstallResult result = Run();
    EXPECT_EQ(result.EntryCount, 0);
    EXPECT_EQ(result.TotalBytes, 0);
    EXPECT_NE(g_state.StatusText.find("ディスクの空き容量をチェックしています．．．完了\r\nインストールフォルダ"), std::string::npos);
    EXPECT_NE(g_state.StatusText.find("ファイルをコピーしています．．．完了\r\n"), std::string::npos);
    EXPECT_TRUE(ui_.labels.empty());
}

}  // namespace
