// An abort at each point where the install run tests for it: the run stops there, and the uninstall
// log of the earlier install, the Add/Remove entry and OVSET98.INI are left as they were.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/state.h"
#include "support/places.h"
#include "install_fixture.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "sys/sys_helpers.h"

namespace {

struct AbortPoint {
    const char* name;
    const char* trigger;      // shown text (status or counter) after which the abort flag rises
    const char* neverShown;   // the run must not get this far
    const char* notCreated;   // relative to the install folder; empty when nothing to check
};

const char kEarlierLog[] = "[Title]\r\nUnSetup=Earlier\r\n[DeleteFile]\r\nFile1=C:\\EARLIER.DAT\r\n";

class AbortFixture : public InstallRunTest {
protected:
    void SetUp() override {
        InstallRunTest::SetUp();
        ForceFolders(app_);
        ASSERT_TRUE(WriteTextFile(app_ + "UNSETUP.INI", kEarlierLog));
        Source("KEEP.DAT", "keep");
        Script("[MakeFolder]\r\nFolder1=(App)Data\r\n"
               "[CopyFile]\r\nFile1=(App)KEEP.DAT\r\nFile2=(App)GONE.DAT\r\n"
               "[ShortCut]\r\nMake1=(App)KEEP.DAT\r\nName1=(Smn)Link\r\n"
               "[Registry]\r\nKey1=Software\\OrvantTest\\Install\r\nName1=Value\r\nValue1=(Str)x\r\n"
               "[IniFile]\r\nData1=S,K,V,(App)A.INI\r\n"
               "[Relate]\r\nName1=orvins\r\nFile1=open,(App)KEEP.DAT\r\n");
    }
    void ExpectNothingOfTheFinishWritten() {
        EXPECT_EQ(ReadTextFile(app_ + "UNSETUP.INI"), kEarlierLog);
        EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
        EXPECT_FALSE(PathExists(win_ + "OVSET98.INI"));
        EXPECT_FALSE(PathExists(win_ + places::Uninstaller()));
    }
    ComScope com_;
};

class InstallAbortTest : public AbortFixture, public ::testing::WithParamInterface<AbortPoint> {};

TEST_P(InstallAbortTest, StopsThereAndLeavesTheEarlierLog) {
    const AbortPoint& point = GetParam();
    ASSERT_TRUE(WriteTextFile(work_ + "SETUPB.EXE", "uninstaller"));
    ui_.AbortWhenShown(point.trigger);
    InstallResult result = Run();

    EXPECT_EQ(result.ended, InstallEnd::Aborted);
    EXPECT_TRUE(ui_.Showed(point.trigger));
    EXPECT_FALSE(ui_.Showed(point.neverShown)) << point.name;
    EXPECT_EQ(g_state.StatusText.find("アンインストール情報を更新しています"), std::string::npos);
    if (*point.notCreated) {
        EXPECT_FALSE(PathExists(app_ + point.notCreated)) << point.name;
    }
    ExpectNothingOfTheFinishWritten();
}

INSTANTIATE_TEST_SUITE_P(
    EachPoint, InstallAbortTest,
    ::testing::Values(
        AbortPoint{"RequiredSpace", "に必要な容量を調べています．．．", "フォルダをチェックしています", ""},
        AbortPoint{"FolderCheck", "インストールフォルダをチェックしています．．．", "フォルダを作成しています", ""},
        AbortPoint{"MakeFolder", "【作成中】", "ファイルをコピーしています", "Data"},
        AbortPoint{"CopySource", "【コピー元】KEEP.DAT", "GONE.DAT", "KEEP.DAT"},
        AbortPoint{"Progress", "%(1/2)", "GONE.DAT", ""},
        AbortPoint{"MissingSource", "ファイルが存在しないため", "ショートカットを作成しています", ""},
        AbortPoint{"Shortcut", "【作成元】", "レジストリキーを作成しています", ""},
        AbortPoint{"Registry", "レジストリキーを作成しています．．．", "INIファイルを設定しています", ""},
        AbortPoint{"IniFile", "INIファイルを設定しています．．．", "関連付けを設定しています", "A.INI"},
        AbortPoint{"RelateAssociation", "関連付けを設定しています．．．", "アンインストール情報", ""}),
    [](const ::testing::TestParamInfo<AbortPoint>& info) { return std::string(info.param.name); });

// An abort confirmed while a phase ends (its last item's pause, its closing status line) or while
// the finishing step shows its first lines stops the run there, however empty the later phases
// are: no uninstall log, no OVSET98.INI, no Add/Remove entry.
struct LateAbort {
    const char* name;
    const char* script;
    const char* pauseAfter;   // the abort comes in the first pause after this text
    const char* whileShowing; // or while this status text is shown
    const char* neverShown;
};

class InstallLateAbortTest : public AbortFixture, public ::testing::WithParamInterface<LateAbort> {};

TEST_P(InstallLateAbortTest, EndsTheRunWithNothingOfTheFinishWritten) {
    const LateAbort& point = GetParam();
    ASSERT_TRUE(WriteTextFile(work_ + "SETUPB.EXE", "uninstaller"));
    Script(point.script);
    if (*point.pauseAfter) ui_.AbortInPauseAfter(point.pauseAfter);
    if (*point.whileShowing) ui_.AbortWhileShowing(point.whileShowing);
    InstallResult result = Run();
    EXPECT_TRUE(ui_.Aborted());
    EXPECT_EQ(result.ended, InstallEnd::Aborted);
    EXPECT_FALSE(ui_.Showed(point.neverShown)) << point.name;
    ExpectNothingOfTheFinishWritten();
}

INSTANTIATE_TEST_SUITE_P(
    EachPhase, InstallLateAbortTest,
    ::testing::Values(
        LateAbort{"MakeFolder", "[MakeFolder]\r\nFolder1=(App)Data\r\n", "【作成中】", "", "ファイルをコピーしています"},
        LateAbort{"Copy", "[CopyFile]\r\nFile1=(App)KEEP.DAT\r\n", "%(1/1)", "", "ショートカットを作成しています"},
        LateAbort{"Shortcut", "[ShortCut]\r\nMake1=(App)KEEP.DAT\r\nName1=(Smn)Link\r\n", "【作成元】", "",
                  "レジストリキーを作成しています"},
        LateAbort{"Registry", "[Registry]\r\nKey1=Software\\OrvantTest\\Install\r\nName1=V\r\nValue1=(Str)x\r\n", "",
                  "レジストリキーを作成しています．．．完了", "INIファイルを設定しています"},
        LateAbort{"IniFile", "[IniFile]\r\nData1=S,K,V,(App)A.INI\r\n", "", "INIファイルを設定しています．．．完了",
                  "関連付けを設定しています"},
        LateAbort{"Association", "[Relate]\r\nName1=orvins\r\nFile1=open,(App)KEEP.DAT\r\n", "",
                  "関連付けを設定しています．．．完了", "アンインストール情報を更新しています"},
        LateAbort{"FinishingHeader", "", "", "アンインストール情報を更新しています", "情報を更新しています．．．完了"},
        LateAbort{"FinishingFirstDot", "", "", "アンインストール情報を更新しています．", "情報を更新しています．．．完了"}),
    [](const ::testing::TestParamInfo<LateAbort>& info) { return std::string(info.param.name); });

TEST_F(InstallAbortTest, SideEffectsStopAtTheirPoints) {
    // Copy point: the file before the abort is copied, the failure of the missing one never counted.
    ui_.AbortWhenShown("ファイルが存在しないため");
    InstallResult result = Run();
    EXPECT_EQ(ReadTextFile(app_ + "KEEP.DAT"), "keep");
    EXPECT_EQ(result.FailureCount, 0);

    ui_ = RecordingRunUi();
    ui_.AbortWhenShown("【作成元】");
    Run();
    EXPECT_FALSE(PathExists(g_state.StartMenuFolder + "Link.lnk"));

    ui_ = RecordingRunUi();
    ui_.AbortWhenShown("レジストリキーを作成しています．．．");
    Run();
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, kTestRegistryKey, "Value"), "<absent>");

    ui_ = RecordingRunUi();
    ui_.AbortWhenShown("関連付けを設定しています．．．");
    Run();
    EXPECT_TRUE(boxes_.Boxes().empty());  // not even asked
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, std::string(".") + kTestExtension));
    ExpectNothingOfTheFinishWritten();
}

TEST_F(InstallAbortTest, WithoutAbortTheSameRunRewritesTheLog) {
    ASSERT_TRUE(WriteTextFile(work_ + "SETUPB.EXE", "uninstaller"));
    InstallResult result = Run();
    EXPECT_EQ(result.ended, InstallEnd::Completed);
    EXPECT_NE(ReadTextFile(app_ + "UNSETUP.INI"), kEarlierLog);
    EXPECT_EQ(ReadIniValue("DeleteFile", "File1", "", app_ + "UNSETUP.INI"), "C:\\EARLIER.DAT");
    EXPECT_TRUE(RawKeyExists(HKEY_LOCAL_MACHINE, kTestUninstallKey));
    // Abort cannot be pressed once the log is being written.
    ASSERT_FALSE(ui_.abortEnabledCalls.empty());
    EXPECT_FALSE(ui_.abortEnabledCalls.back());
    // Every abort test came before that, and one right after it: one before each of the nine
    // phases, the associations and the finishing step, then counting, folder check, one folder,
    // two files at the item and at the counter, one shortcut, registry entry, INI entry and
    // association, and the one after the button went.
    EXPECT_EQ(ui_.abortChecks, 11 + 1 + 1 + 1 + 4 + 1 + 1 + 1 + 1 + 1);
}

}  // namespace
