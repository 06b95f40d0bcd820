#include "app/unattended.h"

#include <windows.h>
#include <objbase.h>

#include <exception>

#include "app/cleanup.h"
#include "app/exit_codes.h"
#include "app/run_log.h"
#include "app/startup_rules.h"
#include "core/run_ui.h"
#include "core/state.h"
#include "edge/wide.h"
#include "install/completion.h"
#include "install/install_engine.h"
#include "install/install_log.h"
#include "install/script_values.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "sys/server_host.h"
#include "uninstall/uninstall_run.h"

namespace {

// The engines' window interface with no window: status lines go to the log, nothing pauses, no
// one aborts, and shared files are kept without asking.
class UnattendedUi : public RunUi {
public:
    void ShowStatus(const std::string&) override { TheRunLog().Status(g_state.StatusText); }
    void ProcessMessages() override {
        // The shell and COM may post messages to the thread even without a window.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    void Pause(long) override {}
    bool AbortRequested() override { return false; }
    void EnableAbort(bool) override {}
    void ShowProgressFrame(bool) override {}
    int SetProgressPosition(int percent) override { return percent < 0 ? 0 : (percent > 100 ? 100 : percent); }
    void SetProgressLabel(const std::string&) override {}
    std::string SharedAnswer() override { return "Save"; }
    void SetSharedAnswer(const std::string&) override {}
    void AskSharedFile(const std::string&) override {}
};

std::string Sanitized(const std::string& name) {
    std::string text;
    for (char c : name) {
        unsigned char byte = static_cast<unsigned char>(c);
        text += byte < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos ? '_' : c;
    }
    return text.empty() ? "OrvantSetup" : text;
}

// The Add/Remove key name of the script or of the log being run.
std::string UninstallKeyName() {
    const std::string root = UninstallKeyPathOf("");
    std::string key;
    if (g_state.SetupMode == "UNSETUP") {
        key = ReadIniValue("UnSetupRegistryKey", "Key", "", g_state.ScriptPath);
        if (key.size() > root.size() && EqualsNoCase(key.substr(0, root.size()), root)) return key.substr(root.size());
        return g_state.UnSetupTitle;
    }
    ScriptValues script;
    script.Load(g_state.ScriptPath);
    key = DecideUninstallEntry(script).keyPath;
    return key.substr(root.size());
}

void OpenLog(const CommandLine& line) {
    std::string name = g_state.ScriptPath.empty() ? std::string() : UninstallKeyName();
    std::string fallback = DefaultLogPath(g_state.TempFolder.empty() ? SystemTemporaryFolder() : g_state.TempFolder, name);
    if (line.logFile.empty())
        TheRunLog().Open(fallback);
    else
        TheRunLog().OpenOrFallBack(line.logFile, fallback);
}

int Install(const std::string& folder, unsigned long timeLimit) {
    const std::string& script = g_state.ScriptPath;
    PreCheckResult check = RunPreChecks(script, folder, g_state.OsName, g_state.WindowsFolder, g_state.SetupWord,
                                        g_state.UnSetupWord);
    if (check.fired) ShowMessageBox(check.text, check.title, MB_OK | MB_ICONEXCLAMATION);
    if (check.fired && check.stop) return kExitStopped;
    if (HasInstallChecker()) {
        CheckerVerdict verdict = RunInstallCheckerProgram(timeLimit);
        if (!verdict.allowed) {
            ShowMessageBox(verdict.message, "警告", MB_OK | MB_ICONEXCLAMATION);
            // A checker that had to be ended gave no verdict: that is a failure, not a refusal.
            return verdict.timedOut ? kExitFailed : kExitStopped;
        }
    }
    if (!ReadIniValue("EULA", "File", "", script).empty())
        TheRunLog().Write("[EULA]: 配布する者が同意したものとして扱います。");

    InstallOptions options;
    options.folderText = folder;
    options.overwriteAuto = true;
    options.shortcuts = DecideShortcutBoxes(script);
    UnattendedUi ui;
    unsigned errorsBefore = ErrorMessageCount();
    InstallResult result = RunInstall(ui, options);
    TheRunLog().Status(g_state.StatusText);
    if (!result.FailureDetail.empty()) TheRunLog().Write(result.FailureDetail);
    bool errorsShown = ErrorMessageCount() != errorsBefore;
    if (result.ended != InstallEnd::Completed) return InstallExitCode(result, true, errorsShown, false);

    InstallCompletionPage page = BuildInstallCompletionPage(result.ExecuteFile, result.LockedFileFound, g_state.SetupWord);
    if (!page.execute.program.empty())
        TheRunLog().Write("[ExecuteFile]: 無人実行のため起動しません: " + page.execute.program);
    if (page.restartOffered) TheRunLog().Write("Windowsの再起動が必要です(再起動は行いません)。");
    return InstallExitCode(result, true, errorsShown, page.restartOffered);
}

int Uninstall(const std::string& folder, bool deleteAll) {
    g_state.StatusText = UninstallEngine::OpeningStatus();
    g_state.StatusTail.clear();
    g_state.InstallFolder = folder;
    UnattendedUi ui;
    // No one chose what the log does not list: it stays, unless /DELETEALL asks for everything.
    UninstallOptions options;
    options.deleteAllMode = deleteAll;
    options.keepUnlisted = !deleteAll;
    UninstallEngine engine(ui, g_state.ScriptPath, folder, options);
    unsigned errorsBefore = ErrorMessageCount();
    UninstallOutcome outcome = engine.Run();
    TheRunLog().Status(g_state.StatusText);
    if (!outcome.failureDetail.empty()) TheRunLog().Write(outcome.failureDetail);
    for (const std::string& kept : outcome.keptFiles) TheRunLog().Write("削除せずに残したファイル: " + kept);
    if (outcome.restartNeeded) TheRunLog().Write("Windowsの再起動が必要です(再起動は行いません)。");
    return UninstallExitCode(outcome, ErrorMessageCount() != errorsBefore, outcome.restartNeeded);
}

}  // namespace

int UnattendedAnswer(const std::string& text, const std::string& title, unsigned flags, std::string& lastDiskRequest) {
    if (title == "ディスク交換") {
        // The first time the engine looks for the file in the source folder; a second request for
        // the same disk means that it is not there.
        bool again = text == lastDiskRequest;
        lastDiskRequest = text;
        return again ? IDCANCEL : IDOK;
    }
    if (title == "フォルダ作成" || title == "関連付けの確認") return IDYES;
    if (title == "空き容量チェックエラー")
        return FindMbcs("不足", text) != 0 ? IDNO : IDYES;  // too little space: stop; unknown: go on
    switch (flags & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDNO;  // overwrite, delete a shared or server file, show the details: no
    case MB_OKCANCEL:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

std::string DefaultLogPath(const std::string& tempFolder, const std::string& uninstallKeyName) {
    return AddDelimiter(tempFolder, "B") + Sanitized(uninstallKeyName) + "-setup.log";
}

int RefuseUnattended(const CommandLine& line, const std::string& message, int exitCode) {
    IniDocument log;
    if (IsUninstallParameter(line.parameter)) log.Load(line.parameter);
    std::string key = log.Get("UnSetupRegistryKey", "Key", "");
    const std::string root = UninstallKeyPathOf("");
    std::string name = key.size() > root.size() && EqualsNoCase(key.substr(0, root.size()), root) ? key.substr(root.size()) : "";
    std::string fallback = DefaultLogPath(SystemTemporaryFolder(), name);
    if (line.logFile.empty())
        TheRunLog().Open(fallback);
    else
        TheRunLog().OpenOrFallBack(line.logFile, fallback);
    std::string mode = IsUninstallParameter(line.parameter) ? "アンインストール" : "インストール";
    TheRunLog().Write("Orvant Setup Nova: " + mode + " (/S) " + Narrow(GetCommandLineW()));
    TheRunLog().Write(message);
    TheRunLog().Write("終了コード: " + IntToStr(exitCode));
    return exitCode;
}

int RunUnattended(const CommandLine& line) {
    // Programs that the run starts (the checker, the registration hosts) learn that no one watches.
    SetEnvironmentVariableW(L"ORVANT_SETUP_UNATTENDED", L"1");
    unsigned long timeLimit = UnattendedTimeLimit(line);
    SetServerTimeLimit(timeLimit);
    std::string lastDiskRequest;
    SetMessageBoxResponder([&lastDiskRequest](const std::string& text, const std::string& title, unsigned flags) {
        int answer = UnattendedAnswer(text, title, flags, lastDiskRequest);
        TheRunLog().Write("【" + title + "】" + text);
        return answer;
    });
    CoInitialize(nullptr);

    std::string proposedFolder;
    std::string fatal = PrepareProgramState(ProgramFilePath(), line.parameter, proposedFolder);
    // The work folder's copy hosts the servers: the medium may be gone after a disk change.
    if (!g_state.WorkFolder.empty()) SetServerHost(g_state.WorkFolder + "SETUPB.EXE");
    OpenLog(line);
    TheRunLog().Write(std::string("Orvant Setup Nova: ") + (g_state.SetupMode == "UNSETUP" ? "アンインストール" : "インストール") +
                      " (/S) " + Narrow(GetCommandLineW()));
    if (fatal.empty() && g_state.SourceFolder == ExtractedDistributionFolder(g_state.WorkFolder))
        TheRunLog().Write("セットアップファイルを " + g_state.SourceFolder + " に展開しました。");
    int code = kExitFailed;
    if (!fatal.empty()) {
        TheRunLog().Write(fatal);
    } else {
        try {
            if (g_state.SetupMode == "UNSETUP") {
                code = Uninstall(proposedFolder, line.deleteAll);
            } else {
                std::string folder = line.installFolder.empty() ? proposedFolder : AddDelimiter(line.installFolder, "B");
                code = Install(folder, timeLimit);
            }
        } catch (const std::exception& error) {
            TheRunLog().Write(error.what());
            code = kExitFailed;
        }
    }
    NotifyShellOfChanges();
    RemoveWorkFolders(g_state.TempFolder);
    TheRunLog().Write("終了コード: " + IntToStr(code));
    CoUninitialize();
    SetMessageBoxResponder(nullptr);
    return code;
}
