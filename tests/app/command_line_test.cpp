// The command line, the unattended answers and the exit codes of a finished run.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/run_log.h"
#include "app/unattended.h"
#include "install/install_engine.h"
#include "support/test_env.h"
#include "uninstall/uninstall_run.h"

TEST(CommandLineTest, SwitchesInAnyCaseAndTheFirstOtherParameterAsTheLog) {
    CommandLine line = ParseCommandLine("UNOVNOVA.EXE /s \"C:\\Program Files\\App\\UNSETUP.INI\" /NoRestart second");
    EXPECT_TRUE(line.unattended);
    EXPECT_TRUE(line.noRestart);
    EXPECT_EQ(line.parameter, "C:\\Program Files\\App\\UNSETUP.INI");
    EXPECT_EQ(line.unknownSwitch, "");

    line = ParseCommandLine("\"C:\\dist\\SETUP.EXE\" \"/D=C:\\Program Files\\Firm\\App\\\" /log=C:\\x.log");
    EXPECT_FALSE(line.unattended);
    EXPECT_EQ(line.installFolder, "C:\\Program Files\\Firm\\App\\") << "a quoted folder may end in a backslash";
    EXPECT_EQ(line.logFile, "C:\\x.log");
    EXPECT_EQ(line.parameter, "");

    // A value in quotes after "=", as deployment tools write it.
    EXPECT_EQ(ParseCommandLine("SETUP.EXE /S /D=\"C:\\A B\"").installFolder, "C:\\A B");

    EXPECT_EQ(ParseCommandLine("SETUP.EXE /S /X /Y").unknownSwitch, "/X");
    EXPECT_EQ(ParseCommandLine("SETUP.EXE /D").unknownSwitch, "/D") << "/D needs its folder";
    EXPECT_EQ(ParseCommandLine("SETUP.EXE").parameter, "");
}

// What a deployment's command line may say, and what ends the program with 1639 instead.
TEST(CommandLineTest, FoldersMustBeFullAndNothingIsLeftOver) {
    struct Case {
        const char* line;
        const char* folder;
        bool bad;
    } cases[] = {
        // "/D=" last takes the rest of the line, as the habit of another installer has it.
        {"SETUP.EXE /S /D=C:\\Program Files\\Firm App", "C:\\Program Files\\Firm App", false},
        {"SETUP.EXE /S /LOG=C:\\x.log /D=C:\\Program Files\\Firm\\App  ", "C:\\Program Files\\Firm\\App", false},
        {"SETUP.EXE /S /D=\\\\server\\share\\App", "\\\\server\\share\\App", false},
        {"SETUP.EXE /S \"/D=C:\\A B\" /NORESTART", "C:\\A B", false},
        // Not last: the folder ends at the blank, and the rest is left over.
        {"SETUP.EXE /S /D=C:\\Program Files\\Firm /NORESTART", "C:\\Program", true},
        {"SETUP.EXE /S /D=App", "App", true},
        {"SETUP.EXE /S /D=D:App", "D:App", true},
        {"SETUP.EXE /S /D=\\App", "\\App", true},
        {"SETUP.EXE /S /D=\\\\?\\C:\\App", "\\\\?\\C:\\App", true},
        {"SETUP.EXE /D=App", "App", true},
        {"SETUP.EXE /S stray", "", true},
        {"SETUP.EXE /S /TIMEOUT=0", "", true},
        {"SETUP.EXE /S /TIMEOUT=x", "", true},
        {"SETUP.EXE stray", "", false},  // the wizard has always let it pass
        {"UNOVNOVA.EXE /S \"C:\\App\\UNSETUP.INI\" /DELETEALL /TIMEOUT=30", "", false},
    };
    for (const Case& c : cases) {
        CommandLine line = ParseCommandLine(c.line);
        EXPECT_EQ(line.installFolder, c.folder) << c.line;
        EXPECT_EQ(!CommandLineProblem(line).empty(), c.bad) << c.line << ": " << CommandLineProblem(line);
    }
    CommandLine line = ParseCommandLine("UNOVNOVA.EXE /S \"C:\\App\\UNSETUP.INI\" /DELETEALL /TIMEOUT=30");
    EXPECT_TRUE(line.deleteAll);
    EXPECT_EQ(UnattendedTimeLimit(line), 30000u);
    EXPECT_EQ(UnattendedTimeLimit(ParseCommandLine("SETUP.EXE /S")), 300000u);
}

TEST(UnattendedAnswerTest, EveryQuestionHasItsDocumentedAnswer) {
    std::string disk;
    EXPECT_EQ(UnattendedAnswer("C:\\A\\\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", "フォルダ作成", MB_YESNO, disk), IDYES);
    EXPECT_EQ(UnattendedAnswer("拡張子 *.x を...", "関連付けの確認", MB_YESNO, disk), IDYES);
    EXPECT_EQ(UnattendedAnswer("上書き？", "上書き確認", MB_YESNO, disk), IDNO);
    EXPECT_EQ(UnattendedAnswer("共有ファイル？", "ファイル削除の確認", MB_YESNO, disk), IDNO);
    EXPECT_EQ(UnattendedAnswer("詳細を表示しますか？", "情報", MB_YESNO, disk), IDNO);
    EXPECT_EQ(UnattendedAnswer("ディスクの空き容量が不足しているため…", "空き容量チェックエラー", MB_YESNO, disk), IDNO);
    EXPECT_EQ(UnattendedAnswer("ディスクの空き容量取得関数が失敗しました。", "空き容量チェックエラー", MB_YESNO, disk), IDYES);
    EXPECT_EQ(UnattendedAnswer("エラー", "内部エラー", MB_OK, disk), IDOK);
    // A disk is asked for: the file is looked for once; asked again, the change is cancelled.
    EXPECT_EQ(UnattendedAnswer("2枚目のディスクに交換してください。", "ディスク交換", MB_OKCANCEL, disk), IDOK);
    EXPECT_EQ(UnattendedAnswer("2枚目のディスクに交換してください。", "ディスク交換", MB_OKCANCEL, disk), IDCANCEL);
    EXPECT_EQ(UnattendedAnswer("3枚目のディスクに交換してください。", "ディスク交換", MB_OKCANCEL, disk), IDOK);
}

TEST(UnattendedAnswerTest, DefaultLogIsNamedByTheAddRemoveKey) {
    EXPECT_EQ(DefaultLogPath("C:\\TEMP\\", "OrvantSampleApp"), "C:\\TEMP\\OrvantSampleApp-setup.log");
    EXPECT_EQ(DefaultLogPath("C:\\TEMP", "Firm\\App: 2/3"), "C:\\TEMP\\Firm_App_ 2_3-setup.log");
    EXPECT_EQ(DefaultLogPath("C:\\TEMP\\", ""), "C:\\TEMP\\OrvantSetup-setup.log");
}

TEST(ExitCodeTest, FailuresBeforeRestartsBeforeSuccess) {
    InstallResult result;
    result.ended = InstallEnd::Completed;
    EXPECT_EQ(InstallExitCode(result, false, false, false), kExitSuccess);
    EXPECT_EQ(InstallExitCode(result, true, false, true), kExitRestartNeeded);
    EXPECT_EQ(InstallExitCode(result, false, true, true), kExitFailed) << "an error message was shown";
    result.FailureCount = 1;
    EXPECT_EQ(InstallExitCode(result, true, false, true), kExitFailed);
    result.ended = InstallEnd::Aborted;
    EXPECT_EQ(InstallExitCode(result, false, false, false), kExitStopped);
    // A refusal is the user's choice in the wizard, a failure when no one chose.
    result.ended = InstallEnd::Refused;
    EXPECT_EQ(InstallExitCode(result, false, false, false), kExitStopped);
    EXPECT_EQ(InstallExitCode(result, true, false, false), kExitFailed);

    UninstallOutcome outcome;
    EXPECT_EQ(UninstallExitCode(outcome, false, false), kExitSuccess);
    EXPECT_EQ(UninstallExitCode(outcome, false, true), kExitRestartNeeded);
    // Deleted at the restart, folders kept for what stays on purpose: no failure.
    outcome.noticeCount = 2;
    EXPECT_EQ(UninstallExitCode(outcome, false, true), kExitRestartNeeded);
    EXPECT_EQ(UninstallExitCode(outcome, false, false), kExitSuccess);
    outcome.failureCount = 2;
    EXPECT_EQ(UninstallExitCode(outcome, false, true), kExitFailed);
    outcome = {};
    outcome.stopped = true;
    EXPECT_EQ(UninstallExitCode(outcome, false, false), kExitFailed);
}

// A log that cannot be written (a folder of that name, a missing drive) falls back to the default
// one, which says so first.
TEST(RunLogTest, AnUnwritableLogFallsBackToTheDefaultAndSaysSo) {
    std::string folder = ScratchFolder("runlog");
    RunLog log;
    ASSERT_TRUE(log.OpenOrFallBack(folder, folder + "fallback.log"));
    log.Write("一行目");
    std::string text = ReadTextFile(folder + "fallback.log");
    // The run log is UTF-8, as the program's texts are.
    EXPECT_NE(text.find("ログファイル " + folder + " に書き込めないため、このファイルに記録します。"), std::string::npos)
        << text;
    EXPECT_NE(text.find("一行目"), std::string::npos);
    EXPECT_EQ(log.Path(), folder + "fallback.log");
}
