// Program entry: one instance, the four windows, the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/bitness_handover.h"
#include "app/command_line.h"
#include "app/payload_start.h"
#include "app/exit_codes.h"
#include "app/forms.h"
#include "app/frm_back.h"
#include "app/frm_custom_dlg.h"
#include "app/frm_main.h"
#include "app/frm_status.h"
#include "app/run_log.h"
#include "app/startup_rules.h"
#include "app/unattended.h"
#include "core/state.h"
#include "edge/wide.h"
#include "edge/fileops.h"
#include "sys/server_host.h"
#include "sys/system_library.h"
#include "sys/win_reboot.h"
#include "ui/application.h"
#include "edge/handles.h"

namespace {

// Black-box tests must see the restart request without restarting anything: with this variable
// set, the request is written to the named file instead of going to Windows.
void InstallRestartRecorder() {
    DWORD length = GetEnvironmentVariableW(L"ORVANT_SETUP_RESTART_RECORD", nullptr, 0);
    if (length == 0) return;
    std::wstring file(length, L'\0');
    file.resize(GetEnvironmentVariableW(L"ORVANT_SETUP_RESTART_RECORD", file.data(), length));
    SetExitWindowsCall([file](UINT flags, DWORD) {
        FileHandle out(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr));
        if (!out.Valid()) return FALSE;
        std::string line = "ExitWindowsEx " + std::to_string(flags) + "\r\n";
        DWORD written = 0;
        WriteFile(out.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return TRUE;
    });
}

}  // namespace

// One instance on the whole machine: a deployment system's run (as SYSTEM, in a session of its own)
// and a user's wizard never run at once. Whoever creates the name first runs; a name that exists
// already, or that this user may not open, means another installation is in progress. The
// session's own name is taken too, as earlier versions of the program look only for that one.
bool TakeInstanceNames(Handle& global, Handle& local) {
    HANDLE name = CreateMutexW(nullptr, FALSE, L"Global\\ORVSETUP");
    DWORD error = GetLastError();
    global.Reset(name);
    if ((global.Valid() && error == ERROR_ALREADY_EXISTS) || (!global.Valid() && error == ERROR_ACCESS_DENIED))
        return false;
    name = CreateMutexW(nullptr, FALSE, L"ORVSETUP");
    error = GetLastError();
    local.Reset(name);
    return !((local.Valid() && error == ERROR_ALREADY_EXISTS) || (!local.Valid() && error == ERROR_ACCESS_DENIED));
}

std::string WindowsFolderOfSystem() {
    UINT size = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(size, L'\0');
    UINT length = size ? GetWindowsDirectoryW(folder.data(), size) : 0;
    return length && length < size ? Narrow(folder.substr(0, length)) : std::string();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    // Started by itself to call one COM server's entry point: nothing else happens.
    const std::string commandLine = Narrow(GetCommandLineW());
    if (IsServerHostCommandLine(commandLine)) return RunServerHost(commandLine);
    CommandLine line = ParseCommandLine(commandLine);
    std::string problem = CommandLineProblem(line);
    if (!problem.empty()) {
        if (!line.unattended) ShowMessageBox(problem, "Orvant Setup Nova", MB_OK | MB_ICONHAND);
        return kExitBadCommandLine;
    }
    // Taken now: the run changes its current folder later.
    line.logFile = FullPath(line.logFile);

    // A single file is checked whole before anything else: a cut or changed download installs
    // nothing.
    OwnPayload payload = CheckOwnPayload(ProgramFilePath());
    if (payload.check == PayloadCheck::Damaged) {
        if (line.unattended) return RefuseUnattended(line, payload.problem, kExitBadPackage);
        ShowMessageBox(payload.problem, "Orvant Setup Nova", MB_OK | MB_ICONSTOP);
        return kExitBadPackage;
    }

    // A log of the other build's install is removed by that build's uninstaller, before this
    // program takes the instance names (the other one takes them).
    BitnessDecision bitness = DecideBitness(line.parameter, WindowsFolderOfSystem());
    if (bitness.handOver) return RunOtherUninstaller(bitness.uninstaller);
    if (bitness.refuse) {
        if (line.unattended) return RefuseUnattended(line, bitness.message, kExitFailed);
        ShowMessageBox(bitness.message, "致命的エラー", MB_OK | MB_ICONSTOP);
        return kExitFailed;
    }

    // A second instance, in either mode, leaves without a window while the first one runs; its exit
    // code tells a deployment system to try again later.
    Handle global, local;
    if (!TakeInstanceNames(global, local)) return kExitAlreadyRunning;
    InstallRestartRecorder();
    if (line.unattended) return RunUnattended(line);

    // The wizard keeps a log only when one is asked for.
    if (!line.logFile.empty()) {
        TheRunLog().OpenOrFallBack(line.logFile, DefaultLogPath(SystemTemporaryFolder(), ""));
        SetMessageObserver([](const std::string& text, const std::string& title, unsigned) {
            TheRunLog().Write("【" + title + "】" + text);
        });
    }
    CoInitialize(nullptr);
    InitCommonControlClasses(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);
    {
        Application application;
        application.SetTitle("Orvant Setup Nova");
        frmBack = &application.CreateForm<TfrmBack>();
        frmMain = &application.CreateForm<TfrmMain>();
        frmStatus = &application.CreateForm<TfrmStatus>();
        frmCustomDlg = &application.CreateForm<TfrmCustomDlg>();
        frmMain->SetCommandLineParameter(line.parameter);
        frmMain->SetInstallFolder(line.installFolder);
        frmMain->SetRestartAllowed(!line.noRestart);
        frmBack->SetWizard(frmMain);
        application.Run();
        frmBack = nullptr;
        frmMain = nullptr;
        frmStatus = nullptr;
        frmCustomDlg = nullptr;
    }
    CoUninitialize();
    TheRunLog().Write("終了コード: " + std::to_string(g_state.ExitCode));
    return g_state.ExitCode;
}
