// The distributor's checker program: started minimised without arguments while the wizard waits,
// its answer read from OVRESULT.INI in the Windows folder, which is deleted afterwards.
#include "edge/wide.h"
#include "scenario.h"

namespace {

using wiz::Lines;

const char kTitle[] = "検査プログラム セットアップ";
const std::string kDefaultRefusal = "インストールチェック機能により、インストールは続行不可能と判断されました。\r\n"
                                    "詳細については、プログラム配布者へご確認ください。\r\n"
                                    "インストールを続行することはできません。";

class Checker : public wiz::Scenario {
protected:
    void SetUp() override {
        // A result file left by an interrupted earlier run would answer for our checker.
        DeleteFileW(Wide(wiz::OvResultPath()).c_str());
        folder_ = Scratch("checker-app") + "App\\";
    }
    void TearDown() override {
        Scenario::TearDown();
        DeleteFileW(Wide(wiz::OvResultPath()).c_str());
    }

    // A distribution whose script names the checker in its subfolder CHECK.
    void MakeDistribution(const std::string& name, const std::string& extra = {}) {
        const std::string checker = e2e::EnvironmentVariable("SETUP_E2E_CHECKER");
        ASSERT_FALSE(checker.empty()) << "SETUP_E2E_CHECKER is not set (run the test through CTest)";
        ASSERT_FALSE(Distribution(name, Lines({"[Title]", std::string("Setup=") + kTitle, "Program=検査対象アプリ",
                                               "[Extend]", "SetupSpeed=1", "InstallChecker=\\CHECK\\OVCHECK.EXE",
                                               "[DefaultFolder]", "Folder=" + folder_}) +
                                            extra)
                         .empty());
        checkerFolder_ = dist_ + "CHECK\\";
        ASSERT_TRUE(e2e::MakeFolders(checkerFolder_));
        ASSERT_TRUE(
            CopyFileW(Wide(e2e::WindowsPath(checker)).c_str(), Wide(checkerFolder_ + "OVCHECK.EXE").c_str(), FALSE));
    }

    // What the checker answers on its next start (its configuration, a code page 932 INI file like
    // the result file it writes).
    void Answer(const std::string& config) { ASSERT_TRUE(wiz::WriteText(checkerFolder_ + "CHECKER.CFG", config)); }

    // The checker's record of its starts: one line each.
    std::vector<std::string> Starts() {
        std::vector<std::string> lines;
        std::string log = wiz::ReadBytes(checkerFolder_ + "CHECKER.LOG");
        for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(log.substr(start, end - start));
        return lines;
    }

    // The refusal: a warning with the message, then the stopped state on the same page.
    void ExpectRefusal(const std::string& text, const std::string& screenshot) {
        e2e::MsgBox box = setup_.WaitMessageBox(10000);
        ASSERT_TRUE(box);
        EXPECT_TRUE(e2e::SameText(box.Title(), "警告"));
        EXPECT_TRUE(e2e::SameText(box.Text(), text));
        EXPECT_EQ(box.ButtonIds(), std::vector<int>{IDOK});
        if (!screenshot.empty()) e2e::Screenshot(screenshot);
        ASSERT_TRUE(box.Answer(IDOK));
        EXPECT_FALSE(wiz::FileExists(wiz::OvResultPath())) << "the result file is deleted after reading";
    }

    std::string folder_;
    std::string checkerFolder_;
};

// Started with no arguments and the minimised show state.
const std::string kStartLine = "Arguments=|UseShowWindow=1|ShowWindow=2|Unattended=";

}  // namespace

TEST_F(Checker, RefusalShowsItsMessageOnThreeLines) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("checker-refuse"));
    ASSERT_NO_FATAL_FAILURE(Answer(Lines({"[Checker]", "HoldUntil=RELEASE", "[CheckResult]", "Result=NG",
                                          "Message=検査の結果、<改行>このコンピュータには<改行>インストールできません。"})));
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));

    // While the checker runs the wizard waits, disabled, on its page.
    ASSERT_TRUE(e2e::WaitUntil([&] { return wiz::FileExists(checkerFolder_ + "CHECKER.RUN"); }, "the checker to start",
                               [&] { return setup_.DescribeWindows(); }, 10000));
    EXPECT_SOON(wizard_, Enabled, false);
    EXPECT_SOON(wizard_, Visible, true);
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    ASSERT_TRUE(wiz::WriteBytes(checkerFolder_ + "RELEASE", "go"));

    ASSERT_NO_FATAL_FAILURE(ExpectRefusal("検査の結果、\r\nこのコンピュータには\r\nインストールできません。", "refusal"));
    EXPECT_EQ(Starts(), std::vector<std::string>{kStartLine});
    // Nothing changed: the title page, and only the way out.
    EXPECT_SOON(Control(IDC_FRA_TITLE), Visible, true);
    EXPECT_SOON_EQ(TextOf(IDC_BTN_EVENT), "インストール続行(&C)");
    ExpectStoppedAndLeave();
    EXPECT_FALSE(wiz::FolderExists(folder_));
}

TEST_F(Checker, ContinueInstallGoesOnAndTheCheckerRunsAgainBeforeTheStart) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("checker-continue"));
    ASSERT_NO_FATAL_FAILURE(Answer(Lines({"[CheckResult]", "Result=ContinueInstall", "Message=この文は表示されません。"})));
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール開始(&S)", 10000));
    ASSERT_TRUE(Control(IDC_GRP_OPTION).WaitVisible());
    EXPECT_TRUE(setup_.ExpectNoMessageBox(300));
    EXPECT_FALSE(wiz::FileExists(wiz::OvResultPath())) << "the result file is deleted after reading";
    EXPECT_EQ(Starts(), std::vector<std::string>{kStartLine});
    EXPECT_SOON(wizard_, Enabled, true);
    e2e::Screenshot("options-after-check");

    // The start button asks the checker again; now it writes no answer at all, which refuses
    // with the default text, and the install does not start.
    ASSERT_NO_FATAL_FAILURE(Answer(Lines({"[Checker]", "Write=No"})));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール開始(&S)"));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(kDefaultRefusal, "default-refusal"));
    EXPECT_EQ(Starts(), (std::vector<std::string>{kStartLine, kStartLine}));
    EXPECT_SOON(Control(IDC_GRP_OPTION), Visible, true);
    EXPECT_FALSE(setup_.FindTopWindow("TfrmStatus"));
    ExpectStoppedAndLeave();
    EXPECT_FALSE(wiz::FolderExists(folder_)) << "no install folder was made";
}

TEST_F(Checker, ContinueInstallInOtherLetterCaseRefuses) {
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("checker-case"));
    ASSERT_NO_FATAL_FAILURE(Answer(Lines({"[CheckResult]", "Result=continueinstall"})));
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));
    ASSERT_NO_FATAL_FAILURE(ExpectRefusal(kDefaultRefusal, ""));
    ExpectStoppedAndLeave();
}

TEST_F(Checker, ShowStateIsHandedOnWithTheInstallersOwnStartFlags) {
    // The installer passes its own start-up flags on and only replaces the show state: started
    // from a command prompt (no show state of its own), the checker's minimised state is offered
    // but not in force.
    ASSERT_NO_FATAL_FAILURE(MakeDistribution("checker-noshow"));
    ASSERT_NO_FATAL_FAILURE(Answer(Lines({"[CheckResult]", "Result=ContinueInstall"})));
    setup_.SetShowState(e2e::TargetProcess::kNoShowState);
    ASSERT_TRUE(StartWizard(kTitle));
    ASSERT_TRUE(Press(IDC_BTN_EVENT, "インストール続行(&C)"));
    ASSERT_TRUE(Control(IDC_BTN_EVENT).WaitText("インストール開始(&S)", 10000));
    EXPECT_EQ(Starts(), std::vector<std::string>{"Arguments=|UseShowWindow=0|ShowWindow=2|Unattended="});
    EndWithConfirmation();
}
