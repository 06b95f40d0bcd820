// The progress window during an install run: it cannot be closed from its title bar, and its
// abort button asks first; a confirmed abort ends the program without writing an uninstall log.
#include <shlwapi.h>

#include "scenario.h"

namespace {

using wiz::Lines;

const char kTitle[] = "中断検査 セットアップ";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2EWizardAbort";
const char kProgramId[] = "E2EWIZ_ABORT";
constexpr int kFolders = 30;
constexpr int kFiles = 8;

std::string Numbered(const char* word, int n) {
    return word + std::string(n < 10 ? "0" : "") + std::to_string(n);
}

class Progress : public wiz::Scenario {
protected:
    void SetUp() override {
        app_ = Scratch("progress-app") + "App\\";
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
        sections_.push_back(kProgramId);
    }
    void TearDown() override {
        Scenario::TearDown();
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    // A slow install: many folders and files, each step paced by 400 ms, so that a user can act
    // while it runs.
    void MakeDistribution() {
        std::string script = Lines({"[Title]", std::string("Setup=") + kTitle, "Program=中断検査アプリ",
                                    "UnSetupKey=E2EWizardAbort", "[ProgramID]", std::string("ID=") + kProgramId,
                                    "[Extend]", "SetupSpeed=400", "UnSetupString=削除", "[DefaultFolder]",
                                    "Folder=" + app_, "[MakeFolder]"});
        for (int n = 1; n <= kFolders; ++n) script += "Folder" + std::to_string(n) + "=(App)" + Numbered("SUB", n) + "\r\n";
        script += "[CopyFile]\r\n";
        for (int n = 1; n <= kFiles; ++n)
            script += "File" + std::to_string(n) + "=(App)" + Numbered("DATA", n) + ".TXT\r\n";
        ASSERT_FALSE(Distribution("progress-abort", script).empty());
        for (int n = 1; n <= kFiles; ++n)
            ASSERT_TRUE(wiz::WriteBytes(dist_ + Numbered("DATA", n) + ".TXT", "検査データ " + std::to_string(n) + "\r\n"));
    }

    // From the title page through the options page into the run, up to the abortable state.
    e2e::Window StartRun() {
        if (!StartWizard(kTitle)) return {};
        if (!Press(IDC_BTN_EVENT, "インストール続行(&C)") || !Press(IDC_BTN_EVENT, "インストール開始(&S)")) return {};
        e2e::MsgBox create = setup_.WaitMessageBox(10000);
        if (!create) return {};
        EXPECT_TRUE(e2e::SameText(create.Title(), "フォルダ作成"));
        EXPECT_SOON(create, Text, app_ + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？");
        // The progress window stands in for the wizard; the run cannot be aborted before it
        // starts making folders.
        e2e::Window status = setup_.WaitWindow("TfrmStatus", "進行状況");
        if (!status) return {};
        EXPECT_SOON(wizard_, Visible, false);
        e2e::Window abort = status.ControlById(IDC_STATUS_BTN_ABORT);
        EXPECT_SOON(abort, Text, "中断(&A)");
        EXPECT_SOON(abort, Enabled, false) << "abortable only from the folder step on";
        EXPECT_SOON(status.ControlById(IDC_STATUS_FRA_STATUS), Visible, false);
        if (!create.Answer(IDYES)) return {};
        if (!abort.WaitEnabled(true, 10000)) return {};
        return status;
    }

    // Waits until the run has shown a further status text: it goes on.
    bool RunGoesOn(const e2e::Window& status, e2e::Where where = e2e::Where::current()) {
        e2e::Window message = status.ControlById(IDC_STATUS_LBL_MESSAGE);
        std::string before = message.Text();
        return e2e::WaitUntil([&] { return message.Text() != before; }, "the run to show its next step",
                              [&] { return message.Text(); }, e2e::kWait, where);
    }

    std::string app_;
};

const std::string kAbortQuestion = "ここで処理を中断すると、すでにコピー済みのファイルなどは削除されません。\r\n"
                                   "一度、処理を完了してから、削除することをおすすめします。\r\n\r\n"
                                   "本当にここで処理を中断しますか？";

}  // namespace

TEST_F(Progress, TitleBarCannotCloseAndAbortAsksFirst) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution());
    e2e::Window status = StartRun();
    ASSERT_TRUE(status);
    e2e::Window abort = status.ControlById(IDC_STATUS_BTN_ABORT);
    EXPECT_SOON(status.ControlById(IDC_STATUS_GRP_MESSAGE), Text, "メッセージ");
    e2e::Screenshot("1-progress");

    // Neither the title bar's close nor Alt+F4 does anything; the run goes on.
    ASSERT_TRUE(status.SystemClose());
    ASSERT_TRUE(status.PressAltF4());
    EXPECT_TRUE(setup_.ExpectNoMessageBox(500));
    EXPECT_SOON(status, Visible, true);
    EXPECT_TRUE(RunGoesOn(status));
    EXPECT_SOON(abort, Enabled, true);

    // Abort, answered No: nothing changes and the run continues.
    ASSERT_TRUE(abort.Click());
    e2e::MsgBox question = setup_.WaitMessageBox();
    ASSERT_TRUE(question);
    EXPECT_TRUE(e2e::SameText(question.Title(), "中断の確認"));
    EXPECT_TRUE(e2e::SameText(question.Text(), kAbortQuestion));
    EXPECT_EQ(question.ButtonIds(), (std::vector<int>{IDYES, IDNO}));
    e2e::Screenshot("2-abort-question");
    ASSERT_TRUE(question.Answer(IDNO));
    EXPECT_SOON(status, Visible, true);
    EXPECT_TRUE(RunGoesOn(status));
    EXPECT_TRUE(setup_.Running());

    // Abort, answered Yes: the progress window goes, the user is told, the program ends.
    ASSERT_TRUE(abort.Click());
    question = setup_.WaitMessageBox();
    ASSERT_TRUE(question);
    EXPECT_TRUE(e2e::SameText(question.Title(), "中断の確認"));
    ASSERT_TRUE(question.Answer(IDYES));
    e2e::MsgBox told = setup_.WaitMessageBox();
    ASSERT_TRUE(told);
    EXPECT_TRUE(e2e::SameText(told.Title(), "中断"));
    EXPECT_SOON(told, Text, "処理を中断しました。");
    EXPECT_EQ(told.ButtonIds(), std::vector<int>{IDOK});
    EXPECT_SOON(status, Visible, false) << "the progress window is closed before the message";
    e2e::Screenshot("3-aborted");
    ASSERT_TRUE(told.Answer(IDOK));
    ASSERT_TRUE(setup_.WaitForExit(10000));
    EXPECT_EQ(setup_.ExitCode(), static_cast<DWORD>(kExitStopped));

    // What was made stays; nothing records an install.
    EXPECT_TRUE(wiz::FolderExists(app_ + "SUB01"));
    EXPECT_FALSE(wiz::FileExists(app_ + Numbered("DATA", kFiles) + ".TXT")) << "the run stopped before its end";
    EXPECT_FALSE(wiz::FileExists(app_ + "UNSETUP.INI")) << "no uninstall log after an abort";
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "no Add/Remove Programs entry after an abort";
    if (key) RegCloseKey(key);
    EXPECT_EQ(wiz::IniValue(wiz::OvSet98Path(), kProgramId, "Folder"), "<absent>");
}
