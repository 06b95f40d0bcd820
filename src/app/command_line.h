#pragma once
// The program's command line. Switches begin with "/" and are matched without regard to case;
// the first parameter that is no switch names the uninstall log, as the Add/Remove entry passes
// it. So "UNOVNOVA.EXE "C:\App\UNSETUP.INI"" and "UNOVNOVA.EXE /S "C:\App\UNSETUP.INI"" both work.
//
// "/D=" as the last switch takes the rest of the line, quotes or not, as deployment scripts write
// it for installers of that habit: SETUP.EXE /S /D=C:\Program Files\Firm\App.
#include <string>

struct CommandLine {
    bool unattended = false;    // /S: no window and no question; answers as documented
    bool noRestart = false;     // /NORESTART: never restart Windows, not even when the run needs it
    bool deleteAll = false;     // /DELETEALL: an unattended uninstall also deletes what the log does not list
    std::string installFolder;  // /D=<folder>: the install folder instead of the proposed one
    std::string logFile;        // /LOG=<file>: where the run's log goes
    std::string timeLimit;      // /TIMEOUT=<seconds>: as given
    std::string parameter;      // the first parameter that is no switch (an uninstall log's path)
    std::string leftover;       // the first further parameter that is no switch
    std::string unknownSwitch;  // the first switch the program does not know, as given
};

// The parameters after the program's own name.
CommandLine ParseCommandLine(const std::string& commandLine);

// What is wrong with a command line, as the program says it before it ends with 1639; empty when
// nothing is. An install folder must be a full path (X:\... or \\server\share\...); an unattended
// install takes no parameter besides its switches.
std::string CommandLineProblem(const CommandLine& line);

// The time limit of /TIMEOUT= in milliseconds, else the unattended default (five minutes).
unsigned long UnattendedTimeLimit(const CommandLine& line);
