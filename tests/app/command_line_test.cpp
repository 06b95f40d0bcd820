// The command line, the unattended answers and the exit codes of a finished run.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/unattended.h"
#include "install/install_engine.h"
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
    outcome.failureCount = 2;
    EXPECT_EQ(UninstallExitCode(outcome, false, true), kExitFailed);
    outcome = {};
    outcome.stopped = true;
    EXPECT_EQ(UninstallExitCode(outcome, false, false), kExitFailed);
}
