#pragma once
// The decisions of start-up that do not need a window: Windows names, mode, work folder, script
// copy, banner, proposed folder, shortcut boxes, options page message and the pre-checks.
#include <string>
#include <vector>

#include "app/payload_start.h"
#include "core/shortcut_boxes.h"
#include "edge/platform.h"

struct WindowsVersion {
    std::string PlatformKind;  // "NT", "notNT" or empty
    std::string OsName;
};

// Names the system from a version query; ok false when the query failed.
WindowsVersion ClassifyWindowsVersion(bool ok, DWORD platformId, DWORD major, DWORD minor, DWORD build);
WindowsVersion QueryWindowsVersion();

// True when the first parameter names an uninstall log (file name exactly "UNSETUP.INI").
bool IsUninstallParameter(const std::string& parameter);

// The first of TempFolder + "OVTMP" + n + "\" (n = 1 … 99) that does not exist, created with its
// parents; the 99th candidate when all exist.
std::string CreateWorkFolder(const std::string& tempFolder);

// CopyRight1 + CR LF + CopyRight2, or the tool's own two lines when both are empty.
std::string BuildBanner(const std::string& copyRight1, const std::string& copyRight2);

// [Extend] SetupSpeed as milliseconds: never below 1; a value that is no number gives 350.
long ParseSetupSpeed(const std::string& value);

// The registry value named by [DefaultFolder] ReferRegistry ("key path,value name"); empty when the
// key or value is missing or not a string.
std::string ReadReferRegistry(const std::string& referValue);
// The value named by [DefaultFolder] ReferIniFile ("section,key,file", macros expanded first).
std::string ReadReferIniFile(const std::string& referValue);
// The install folder proposed in install mode, before macro expansion and the trailing backslash.
std::string ProposeInstallFolder(const std::string& scriptPath, const std::string& programId,
                                 const std::string& windowsFolder);

// Which shortcut check boxes the script's [ShortCut] Name1, Name2, … concern.
ShortcutBoxes DecideShortcutBoxes(const std::string& scriptPath);

// The options page message of install mode and of uninstall mode.
std::string BuildInstallPageMessage(const std::string& scriptPath, const std::string& setupWord);
std::string BuildUninstallPageMessage(const std::string& unSetupWord);

// A message that a pre-check shows; stop true when the install cannot go on.
struct PreCheckResult {
    bool fired = false;
    bool stop = false;
    std::string title;
    std::string text;
};
// RejectOS, UnInstallCheckEx and UnInstallCheck against the proposed folder (with its backslash).
PreCheckResult RunPreChecks(const std::string& scriptPath, const std::string& proposedFolder,
                            const std::string& osName, const std::string& windowsFolder,
                            const std::string& setupWord, const std::string& unSetupWord);

// The start-up steps that need no window: the Windows version, the folders, the mode, the work
// folder with the program (SETUPB.EXE) and the script or log copied into it, and the script's
// words, titles, speed, program identifier and uninstall options; proposedFolder gets the install
// folder to propose (with its backslash). A single-file program's distribution is first extracted
// into the work folder (progress tells how far) and is the source folder from then on. Returns the
// fatal start-up lines, empty when the program can go on.
std::string PrepareProgramState(const std::string& programFile, const std::string& parameter,
                                std::string& proposedFolder, const ExtractProgress& progress = {});

// The distributor's checker program ([Extend] InstallChecker beside the program): whether there is
// one, and its verdict. The program runs minimised while the caller waits, keeping its windows
// alive; it answers in OVRESULT.INI in the Windows folder, which is deleted after reading.
struct CheckerVerdict {
    bool allowed = true;
    bool timedOut = false;  // ended by the time limit: no verdict at all
    std::string message;    // the refusal to show (the checker's own, or the standard one)
};
bool HasInstallChecker();
// With a time limit (milliseconds, 0 for none) a checker still running then is ended, and the
// verdict is a refusal marked timedOut.
CheckerVerdict RunInstallCheckerProgram(unsigned long timeLimit = 0);

// The first parameter of a command line: the program name is skipped, double quotes group blanks
// and are removed.
std::string FirstParameter(const std::string& commandLine);
