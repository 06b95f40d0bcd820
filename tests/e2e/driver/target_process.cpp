#include "driver/target_process.h"

#include "driver/environment.h"
#include "edge/wide.h"

namespace e2e {

namespace {

BOOL CALLBACK CollectTopWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

std::string QuoteIfBlank(const std::string& parameter) {
    if (parameter.find_first_of(" \t") == std::string::npos) return parameter;
    return "\"" + parameter + "\"";
}

bool IsMessageBox(const Window& window) {
    if (window.ClassName() != "#32770") return false;
    Window text = window.FindControlById(MsgBox::kTextId);
    return text && _stricmp(text.ClassName().c_str(), "Static") == 0;
}

}  // namespace

std::vector<Window> TopWindowsOf(DWORD processId, bool visibleOnly) {
    std::vector<HWND> handles;
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&handles));
    std::vector<Window> windows;
    for (HWND handle : handles) {
        DWORD owner = 0;
        GetWindowThreadProcessId(handle, &owner);
        if (owner != processId || (visibleOnly && !IsWindowVisible(handle))) continue;
        windows.emplace_back(handle);
    }
    return windows;
}

TargetProcess::~TargetProcess() { Close(); }

bool TargetProcess::Start(const std::string& program, const std::string& firstParameter,
                          const std::string& workingFolder, Where where) {
    std::string path = WindowsPath(program);
    std::string commandLine = "\"" + path + "\"";
    if (!firstParameter.empty()) {
        commandLine += " ";
        commandLine += QuoteIfBlank(firstParameter);
    }
    std::string folder = workingFolder.empty() ? FolderOf(path) : WindowsPath(workingFolder);
    return Launch(path, commandLine, folder, where);
}

bool TargetProcess::StartCommandLine(const std::string& commandLine, const std::string& workingFolder,
                                     Where where) {
    return Launch({}, commandLine, WindowsPath(workingFolder), where);
}

bool TargetProcess::Launch(const std::string& applicationName, const std::string& commandLine,
                           const std::string& folder, const Where& where) {
    Close();
    program_ = applicationName.empty() ? commandLine : applicationName;
    // The virtual desktop (Wine's explorer.exe) is started by the first process that needs it; it
    // must be ours, or it would join the target's job and die with the target.
    GetDesktopWindow();
    // Everything the program starts (a checker, the program launched at the end) belongs to the
    // job and ends with it.
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (showState_ != kNoShowState) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(showState_);
    }
    PROCESS_INFORMATION info{};
    // Now and then (about once in a few hundred starts) Wine's new process dies while it is being
    // set up, before any of the program's code has run; CreateProcess then reports an internal
    // error. Such a start is tried again; every other failure counts.
    bool started = false;
    DWORD error = 0;
    const std::wstring application = Wide(applicationName), workingFolder = Wide(folder);
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        std::wstring line = Wide(commandLine);  // CreateProcessW may write into it
        started = CreateProcessW(application.empty() ? nullptr : application.c_str(), line.data(), nullptr, nullptr,
                                 FALSE, CREATE_SUSPENDED, nullptr,
                                 workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info) != 0;
        error = started ? 0 : GetLastError();
        if (error != ERROR_INTERNAL_ERROR) break;
    }
    if (!started) {
        Fail("Start: " + commandLine + " in " + Quoted(folder) + " could not be started (error " +
                 std::to_string(error) + ")",
             where);
        Close();
        return false;
    }
    if (job_ && !AssignProcessToJobObject(job_, info.hProcess)) {
        CloseHandle(job_);
        job_ = nullptr;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool TargetProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD TargetProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

bool TargetProcess::WaitForExit(DWORD timeoutMs, Where where) {
    if (!process_) {
        Fail("WaitForExit: no process was started", where);
        return false;
    }
    if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) return true;
    Fail(program_ + " still runs after " + std::to_string(timeoutMs) + " ms; its windows:" + DescribeWindows(),
         where);
    return false;
}

bool TargetProcess::WaitIdle(DWORD timeoutMs) const {
    return process_ && WaitForInputIdle(process_, timeoutMs) == 0;
}

void TargetProcess::Kill() {
    if (job_) TerminateJobObject(job_, 1);
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kWait);
    }
}

void TargetProcess::Close() {
    Kill();
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
    process_ = nullptr;
    job_ = nullptr;
    processId_ = 0;
}

std::vector<Window> TargetProcess::TopWindows(bool visibleOnly) const {
    if (!process_) return {};
    return TopWindowsOf(processId_, visibleOnly);
}

Window TargetProcess::FindTopWindow(const std::string& className, const std::string& caption,
                                    bool visibleOnly) const {
    for (const Window& window : TopWindows(visibleOnly)) {
        if (!className.empty() && _stricmp(window.ClassName().c_str(), className.c_str()) != 0) continue;
        if (!caption.empty() && window.Text() != caption) continue;
        return window;
    }
    return {};
}

std::string TargetProcess::DescribeWindows() const {
    std::string text;
    for (const Window& window : TopWindows(true)) {
        text += "\n  " + window.ClassName() + " " + Quoted(window.Text());
        if (IsMessageBox(window)) text += " saying " + Quoted(MsgBox(window).Text());
    }
    if (text.empty()) text = " none";
    if (process_ && !Running()) text += " (the process has ended with exit code " + std::to_string(ExitCode()) + ")";
    return text;
}

Window TargetProcess::WaitWindow(const std::string& className, const std::string& caption, DWORD timeoutMs,
                                 Where where) const {
    Window found;
    if (PollUntil([&] { return static_cast<bool>(found = FindTopWindow(className, caption)); }, timeoutMs))
        return found;
    Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for a window " +
             (className.empty() ? std::string("of any class") : className) +
             CaptionPart(caption) + "; windows seen:" + DescribeWindows(),
         where);
    return {};
}

bool TargetProcess::WaitNoWindow(const std::string& className, const std::string& caption, DWORD timeoutMs,
                                 Where where) const {
    if (PollUntil([&] { return !FindTopWindow(className, caption); }, timeoutMs)) return true;
    Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for the window " + className +
             CaptionPart(caption) + " to go; windows seen:" + DescribeWindows(),
         where);
    return false;
}

MsgBox TargetProcess::FindMessageBox() const {
    for (const Window& window : TopWindows(true))
        if (IsMessageBox(window)) return MsgBox(window);
    return {};
}

MsgBox TargetProcess::WaitMessageBox(DWORD timeoutMs, Where where) const {
    MsgBox box;
    if (PollUntil([&] { return static_cast<bool>(box = FindMessageBox()); }, timeoutMs)) return box;
    Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for a message box; windows seen:" +
             DescribeWindows(),
         where);
    return {};
}

bool TargetProcess::ExpectNoMessageBox(DWORD durationMs, Where where) const {
    MsgBox box;
    if (!PollUntil([&] { return static_cast<bool>(box = FindMessageBox()); }, durationMs)) return true;
    Fail("a message box appeared where none was expected: " + box.Describe(), where);
    return false;
}

}  // namespace e2e
