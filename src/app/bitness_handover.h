#pragma once
// An install is removed by an uninstaller of its own bitness. On 64-bit Windows a 32-bit and a
// 64-bit program see different registry views and system folders; the 32-bit uninstaller of a
// 64-bit install would look for its keys and files in the wrong places, and the reverse. So an
// uninstall started on a log of the other bitness hands the run over to that bitness's
// uninstaller copy in the Windows folder, or refuses clearly when there is none; it never guesses.
#include <string>

#include "script/uninstall_log.h"

struct BitnessDecision {
    bool handOver = false;     // run the other build's uninstaller instead
    bool refuse = false;       // the other build's uninstaller is needed but missing
    std::string uninstaller;   // the other build's uninstaller copy
    std::string message;       // why the run is refused
};

// The bitness of the install a log records: the log's own mark, else (a log from before the mark)
// the registry view that holds its Add/Remove entry, when exactly one does. Unknown otherwise: the
// run is then this program's, as before.
LogBitness InstallBitness(const std::string& logPath);

// What an uninstall with the log must do; for an install log (not UNSETUP.INI) nothing.
BitnessDecision DecideBitness(const std::string& logPath, const std::string& windowsFolder);

// Starts the uninstaller with this program's command line and waits for it; its exit code, or
// 1603 when it could not be started.
int RunOtherUninstaller(const std::string& uninstaller);
