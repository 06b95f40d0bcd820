#pragma once
// The program's exit codes, in the convention that deployment systems know (the same numbers as
// the system's own installer service). The wizard ends with them too, so that a script that starts
// SETUP.EXE without /S learns the result as well.

enum ExitCode : int {
    kExitSuccess = 0,
    kExitStopped = 1602,          // stopped on purpose: pre-check, checker, refused Windows, the user
    kExitFailed = 1603,           // a fatal error, or any failure the run reported
    kExitAlreadyRunning = 1618,   // another installation is in progress
    kExitBadPackage = 1620,       // a single-file distribution that is cut or changed
    kExitBadCommandLine = 1639,   // a switch the program does not know
    kExitRestartNeeded = 3010,    // done; Windows must restart to complete it
};

struct InstallResult;
struct UninstallOutcome;

// How a finished install ends: failures (failure blocks, error messages shown during the run,
// a fatal stop) before a needed restart before success. A refusal is the user's stop in the
// wizard, a failure when no one could have chosen (unattended).
int InstallExitCode(const InstallResult& result, bool unattended, bool errorsShown, bool restartPending);
int UninstallExitCode(const UninstallOutcome& outcome, bool errorsShown, bool restartPending);
