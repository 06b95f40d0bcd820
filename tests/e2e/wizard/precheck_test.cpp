// The checks that start-up makes before the user may go on: a refused Windows version, and a
// previous version found by a file or by its identifier (stop or warning).
#include <shlwapi.h>

#include "scenario.h"

namespace {

using wiz::Lines;

const char kTitle[] = "事前検査 セットアップ";

class PreCheck : public wiz::Scenario {
protected:
    void SetUp() override {
        folder_ = Scratch("precheck-app");
        recorded_ = Scratch("precheck-recorded");
    }

    // The script with further lines of its [Extend] section and further sections.
    std::string Script(const std::string& extend, const std::string& sections = {}) {
        return Lines({"[Title]", std::string("Setup=") + kTitle, "Program=事前検査アプリ", "[Extend]", "SetupSpeed=1"}) +
               extend + Lines({"[DefaultFolder]", "Folder=" + folder_}) + sections;
    }

    // The message box of a pre-check, shown over the title page.
    e2e::MsgBox WaitCheckBox(const std::string& title, const std::string& text) {
        e2e::MsgBox box = setup_.WaitMessageBox(10000);
        if (!box) return box;
        EXPECT_TRUE(e2e::SameText(box.Title(), title));
        EXPECT_TRUE(e2e::SameText(box.Text(), text));
        EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
        // The title page stands behind the message.
        EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
        EXPECT_SOON_EQ(TextOf(IDC_BTN_EVENT), "インストール続行(&C)");
        return box;
    }

    // After a warning the wizard goes on to the next page as usual.
    void ExpectUsable() {
        ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));
        ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール開始(&S)"));
        EXPECT_TRUE(Control(IDC_GRP_SETUP_FOLDER).WaitVisible());
        EndWithConfirmation();
    }

    std::string folder_;
    std::string recorded_;
};

const std::string kStopByFile = "インストーラはチェック対象プログラムを検出しました。\r\n"
                                "インストールを続行するためには、前バージョンのアンインストールを行う必要があります。";
const std::string kAdvice = "インストールはこのまま続行できますが、予期せぬ結果を招く可能性があります。\r\n"
                            "できる限り中断して、前バージョンのアンインストールを行うことをお勧めします。";

}  // namespace

TEST_F(PreCheck, RefusedWindowsStopsTheInstall) {
    // The refusal is a substring test of the system's name in the value.
    ASSERT_FALSE(Distribution("precheck-rejectos",
                              Script(Lines({"RejectOS=Windows 95/" + wiz::ExpectedOsName() + "/その他"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox(
        "警告",
        "このオペレーティングシステムへのインストールは、プログラム配布者により認められていません。\r\n"
        "詳細については、プログラム配布者へご確認ください。\r\nインストールを続行することはできません。");
    ASSERT_TRUE(box);
    e2e::Screenshot("refused-windows");
    ASSERT_TRUE(box.Answer(IDOK));
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    ExpectStoppedAndLeave();
}

TEST_F(PreCheck, OtherRefusedSystemsLetTheInstallGoOn) {
    ASSERT_FALSE(Distribution("precheck-otheros", Script(Lines({"RejectOS=Win95,Win98,WinMe"}))).empty());
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_TRUE(setup_.ExpectNoMessageBox(1000));
    EXPECT_SOON(Control(IDC_BTN_EVENT), Enabled, true);
    ASSERT_NO_FATAL_FAILURE(ExpectUsable());
}

TEST_F(PreCheck, PreviousVersionFileStopsTheInstall) {
    ASSERT_TRUE(wiz::WriteBytes(folder_ + "OLDAPP.EXE", "MZ"));
    ASSERT_FALSE(Distribution("precheck-ex-file",
                              Script({}, Lines({"[Caution]", "UnInstallCheckEx=\\OLDAPP.EXE", "UnInstallCheck=OLDAPP.EXE"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox("エラー", kStopByFile);
    ASSERT_TRUE(box);
    e2e::Screenshot("previous-version-file");
    ASSERT_TRUE(box.Answer(IDOK));
    // The first check that fires ends the checks: no warning follows.
    EXPECT_TRUE(setup_.ExpectNoMessageBox(500));
    ExpectStoppedAndLeave();
}

TEST_F(PreCheck, MissingPreviousVersionFileFiresNothing) {
    ASSERT_FALSE(Distribution("precheck-ex-missing",
                              Script({}, Lines({"[Caution]", "UnInstallCheckEx=OLDAPP.EXE", "UnInstallCheck=OLDAPP.EXE"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_TRUE(setup_.ExpectNoMessageBox(1000));
    ASSERT_NO_FATAL_FAILURE(ExpectUsable());
}

TEST_F(PreCheck, InstalledIdentifierStopsTheInstall) {
    AddProgramRecord("E2EWIZ_OLD", recorded_);
    ASSERT_TRUE(wiz::WriteText(recorded_ + "UNSETUP.INI", Lines({"[Title]", "UnSetup=旧版アプリ アンインストール"})));
    ASSERT_FALSE(Distribution("precheck-ex-id", Script({}, Lines({"[Caution]", "UnInstallCheckEx=IDCheck:E2EWIZ_OLD"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox("エラー",
                                   "インストーラはチェック対象プログラム識別子を検出しました。\r\n【旧版アプリ アンインストール】\r\n"
                                   "インストールを続行するためには、上記プログラムのアンインストールを行う必要があります。");
    ASSERT_TRUE(box);
    e2e::Screenshot("installed-identifier");
    ASSERT_TRUE(box.Answer(IDOK));
    ExpectStoppedAndLeave();
}

TEST_F(PreCheck, PreviousVersionFileWarnsAndTheWizardStaysUsable) {
    ASSERT_TRUE(wiz::WriteBytes(folder_ + "OLDAPP.EXE", "MZ"));
    ASSERT_FALSE(Distribution("precheck-file-warn", Script({}, Lines({"[Caution]", "UnInstallCheck=\\OLDAPP.EXE"}))).empty());
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox("警告", "インストーラはチェック対象プログラムを検出しました。\r\n"
                                           "パッケージ配布者は、前バージョンのプログラムのアンインストールを推奨しています。\r\n" +
                                               kAdvice);
    ASSERT_TRUE(box);
    e2e::Screenshot("previous-version-warning");
    ASSERT_TRUE(box.Answer(IDOK));
    EXPECT_SOON(Control(IDC_BTN_EVENT), Enabled, true);
    ASSERT_NO_FATAL_FAILURE(ExpectUsable());
}

TEST_F(PreCheck, UnrecordedIdentifierPassesAndTheWarningNamesAnUnknownTitle) {
    // The stop check names an identifier without a record: nothing fires, and the warning check
    // runs. Its program is recorded in a folder without a log: the title is not known.
    wiz::RemoveIniSection(wiz::OvSet98Path(), "E2EWIZ_NONE");
    AddProgramRecord("E2EWIZ_BARE", recorded_);
    ASSERT_FALSE(Distribution("precheck-id-warn", Script({}, Lines({"[Caution]", "UnInstallCheckEx=idcheck:E2EWIZ_NONE",
                                                                "UnInstallCheck=IDCheck:E2EWIZ_BARE"})))
                     .empty());
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox("警告", "インストーラはチェック対象プログラム識別子を検出しました。\r\n【不明なタイトル】\r\n"
                                           "パッケージ配布者は、上記プログラムのアンインストールを推奨しています。\r\n" +
                                               kAdvice);
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectUsable());
}

namespace {

// Wine reports the Windows version per program from this key.
const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\SETUP.EXE";

class PreCheckOnXp : public PreCheck {
protected:
    void SetUp() override {
        PreCheck::SetUp();
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const wchar_t version[] = L"winxp";
        LONG result =
            RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
        RegCloseKey(key);
        ASSERT_EQ(result, ERROR_SUCCESS);
    }
    void TearDown() override {
        PreCheck::TearDown();
        SHDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
    }
};

}  // namespace

TEST_F(PreCheckOnXp, SystemIsNamedAndRefusedByName) {
    // "Windows 2003" does not name this system; "Windows XP" does.
    ASSERT_FALSE(Distribution("precheck-xp", Script(Lines({"RejectOS=Windows 2003,Windows 98"}))).empty());
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Control(IDC_LBL_TITLE_A2).WaitText("Orvant Setup Nova(on Windows XP)"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール続行(&C)"));
    EXPECT_TRUE(setup_.ExpectNoMessageBox(1000));
    EndWithConfirmation();

    ASSERT_TRUE(wiz::WriteText(dist_ + "SETUP.INI", Script(Lines({"RejectOS=Windows 2003,Windows XP"}))));
    ASSERT_TRUE(StartWizard(kTitle));
    e2e::MsgBox box = WaitCheckBox(
        "警告",
        "このオペレーティングシステムへのインストールは、プログラム配布者により認められていません。\r\n"
        "詳細については、プログラム配布者へご確認ください。\r\nインストールを続行することはできません。");
    ASSERT_TRUE(box);
    ASSERT_TRUE(box.Answer(IDOK));
    ExpectStoppedAndLeave();
}
