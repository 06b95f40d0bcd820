// The start-up steps that work on the system itself (Windows): the work folder, the program and
// script copied into it, the distributor's checker program.
#include <windows.h>

#include "app/payload_start.h"
#include "app/startup_rules.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/folders.h"
#include "script/ini.h"
#include "base/text.h"
#include "sys/launch.h"
#include "sys/removal.h"

std::string CreateWorkFolder(const std::string& tempFolder) {
    std::string candidate;
    for (int n = 1; n <= 99; ++n) {
        candidate = tempFolder + "OVTMP" + IntToStr(n) + "\\";
        if (!FolderExists(candidate)) {
            ForceFolders(candidate);
            return candidate;
        }
    }
    return candidate;
}

std::string PrepareProgramState(const std::string& programFile, const std::string& parameter,
                                std::string& proposedFolder, const ExtractProgress& progress) {
    std::string fatal;
    WindowsVersion version = QueryWindowsVersion();
    g_state.PlatformKind = version.PlatformKind;
    g_state.OsName = version.OsName;

    g_state.SourceFolder = AddDelimiter(FolderPart(programFile), "B");
    fatal += DetermineFolders(g_state, FolderSources::System());
    g_state.InstallFolder = "(App)";
    bool uninstall = IsUninstallParameter(parameter);
    g_state.SetupMode = uninstall ? "UNSETUP" : "SETUP";

    g_state.WorkFolder = CreateWorkFolder(g_state.TempFolder);
    if (!uninstall && HasOwnPayload(programFile)) {
        // A single file: its distribution is extracted into the work folder and read from there.
        std::string failure = ExtractOwnPayload(programFile, g_state.WorkFolder, progress);
        if (!failure.empty()) return fatal + failure;
        g_state.SourceFolder = ExtractedDistributionFolder(g_state.WorkFolder);
        g_state.SourceDriveRoot = CopyHead(g_state.SourceFolder, 2) + "\\";
        g_state.SourcesAreOurs = true;
    } else {
        CopyFileOver(programFile, g_state.WorkFolder + "SETUPB.EXE");
    }
    if (uninstall) {
        g_state.ScriptPath = g_state.WorkFolder + "UNSETUP.INI";
        CopyFileOver(parameter, g_state.ScriptPath);
    } else {
        g_state.ScriptPath = g_state.WorkFolder + "SETUP.INI";
        std::string source = g_state.SourceFolder + "SETUP.INI";
        if (FileExists(source)) CopyFileOver(source, g_state.ScriptPath);
    }
    if (!FileExists(g_state.ScriptPath)) fatal += "【致命的エラー → iniファイル読み込み失敗】\r\n";
    if (!fatal.empty()) return fatal;

    const std::string& script = g_state.ScriptPath;
    g_state.SetupWord = ReadIniValue("Extend", "SetupString", "インストール", script);
    g_state.UnSetupWord = ReadIniValue("Extend", "UnSetupString", "アンインストール", script);
    g_state.SetupSpeed = ParseSetupSpeed(ReadIniValue("Extend", "SetupSpeed", "350", script));
    g_state.SetupTitle = ReadIniValue("Title", "Setup", "Orvant Setup", script);
    g_state.UnSetupTitle = ReadIniValue("Title", "UnSetup", g_state.SetupTitle, script);

    std::string proposal;
    if (uninstall) {
        proposal = ReadIniValue("SetupFolder", "Folder", "", script);
        g_state.UnSetupOptionValue = ReadIniValue("UnSetupOption", "CheckBox", "0,0,0,0", script);
    } else {
        g_state.ProgramId = ReadIniValue("ProgramID", "ID", "", script);
        proposal = ProposeInstallFolder(script, g_state.ProgramId, g_state.WindowsFolder);
    }
    proposedFolder = AddDelimiter(ExpandMacros(proposal), "B");
    return fatal;
}

namespace {

std::string InstallCheckerPath() {
    std::string value = ReadIniValue("Extend", "InstallChecker", "", g_state.ScriptPath);
    if (value.empty()) return std::string();
    std::string checker = g_state.SourceFolder + RemoveDelimiter(value, "T");
    return FileExists(checker) ? checker : std::string();
}

}  // namespace

bool HasInstallChecker() { return !InstallCheckerPath().empty(); }

CheckerVerdict RunInstallCheckerProgram(unsigned long timeLimit) {
    CheckerVerdict verdict;
    std::string checker = InstallCheckerPath();
    if (checker.empty()) return verdict;
    const std::string& S = g_state.SetupWord;
    std::string resultFile = g_state.WindowsFolder + "OVRESULT.INI";
    if (RunProgram(checker, "", SW_SHOWMINIMIZED, true, timeLimit) == ERROR_TIMEOUT) {
        // No one answered the checker: the install cannot know its verdict.
        verdict.allowed = false;
        verdict.timedOut = true;
        verdict.message = S + "チェックプログラム " + checker + " が制限時間内に終わらなかったため、" + S +
                          "を中止しました。";
        DeleteFiles(resultFile);
        return verdict;
    }
    FlushIniCache(resultFile);  // written by another process just now
    std::string result = ReadIniValue("CheckResult", "Result", "", resultFile);
    std::string fallback = S + "チェック機能により、" + S + "は続行不可能と判断されました。\r\n"
                           "詳細については、プログラム配布者へご確認ください。\r\n" + S + "を続行することはできません。";
    verdict.message = ReplaceMacro(ReadIniValue("CheckResult", "Message", fallback, resultFile), "<改行>", "\r\n");
    DeleteFiles(resultFile);
    verdict.allowed = result == "ContinueInstall";
    return verdict;
}
