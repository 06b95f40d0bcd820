#pragma once
// The program's command line. Switches begin with "/" and are matched without regard to case;
// the first parameter that is no switch names the uninstall log, as the Add/Remove entry passes
// it. So "UNOVNOVA.EXE "C:\App\UNSETUP.INI"" and "UNOVNOVA.EXE /S "C:\App\UNSETUP.INI"" both work.
#include <string>

struct CommandLine {
    bool unattended = false;    // /S: no window and no question; answers as documented
    bool noRestart = false;     // /NORESTART: never restart Windows, not even when the run needs it
    std::string installFolder;  // /D=<folder>: the install folder instead of the proposed one
    std::string logFile;        // /LOG=<file>: where the run's log goes
    std::string parameter;      // the first parameter that is no switch (an uninstall log's path)
    std::string unknownSwitch;  // the first switch the program does not know, as given
};

// The parameters after the program's own name.
CommandLine ParseCommandLine(const std::string& commandLine);
