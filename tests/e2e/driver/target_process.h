#pragma once
// The program under test as a process: started as a user starts it, its top-level windows and
// message boxes found by polling, its exit awaited; killed (with every process it started) when
// the test is over, so that one failed test cannot disturb the next.
#include <windows.h>

#include <string>
#include <vector>

#include "driver/message_box.h"
#include "driver/window.h"

namespace e2e {

class TargetProcess {
public:
    TargetProcess() = default;
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    // Starts the program with an optional first parameter (quoted when it holds a blank), in the
    // working folder (default: the program's own folder). Linux paths are taken as drive Z: paths.
    bool Start(const std::string& program, const std::string& firstParameter = {},
               const std::string& workingFolder = {}, Where where = Where::current());
    // Starts a whole command line as given, e.g. an uninstall entry's UninstallString.
    bool StartCommandLine(const std::string& commandLine, const std::string& workingFolder,
                          Where where = Where::current());
    // The show state handed to the next start: SW_SHOWNORMAL by default, as Explorer or a shortcut
    // starts a program; kNoShowState starts it as a plain CreateProcess from a command prompt does,
    // without any (STARTF_USESHOWWINDOW not set).
    static constexpr int kNoShowState = -1;
    void SetShowState(int showState) { showState_ = showState; }

    DWORD Id() const { return processId_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;
    // Waits until the process has ended; a failure listing its windows when it has not.
    bool WaitForExit(DWORD timeoutMs = kWait, Where where = Where::current());
    // The exit code, or STILL_ACTIVE while running.
    DWORD ExitCode() const;
    // Ends the process and every process it started, and waits for them.
    void Kill();
    // Until the program waits for input (GUI programs only).
    bool WaitIdle(DWORD timeoutMs = kWait) const;

    // Top-level windows of the process (owned windows such as message boxes included).
    std::vector<Window> TopWindows(bool visibleOnly = true) const;
    // Immediate look-up; an empty class or caption matches any.
    Window FindTopWindow(const std::string& className, const std::string& caption = {},
                         bool visibleOnly = true) const;
    // Waits for a visible top-level window; a failure listing the windows seen when none comes.
    Window WaitWindow(const std::string& className, const std::string& caption = {}, DWORD timeoutMs = kWait,
                      Where where = Where::current()) const;
    // Waits until no visible top-level window of that class and caption is left.
    bool WaitNoWindow(const std::string& className, const std::string& caption = {}, DWORD timeoutMs = kWait,
                      Where where = Where::current()) const;

    // Waits for a visible message box of the process.
    MsgBox WaitMessageBox(DWORD timeoutMs = kWait, Where where = Where::current()) const;
    // The message box now on screen, if any.
    MsgBox FindMessageBox() const;
    // Watches for the whole duration that no message box appears; a failure naming the box that did.
    bool ExpectNoMessageBox(DWORD durationMs, Where where = Where::current()) const;

    // The visible top-level windows, one per line, for failure messages.
    std::string DescribeWindows() const;

private:
    bool Launch(const std::string& applicationName, const std::string& commandLine, const std::string& folder,
                const Where& where);
    void Close();

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD processId_ = 0;
    std::string program_;
    int showState_ = SW_SHOWNORMAL;
};

// Top-level windows of any process by id.
std::vector<Window> TopWindowsOf(DWORD processId, bool visibleOnly);

}  // namespace e2e
