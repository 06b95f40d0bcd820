#pragma once
// The decisions of start-up that do not need a window: Windows names, mode, work folder, script
// copy, banner, proposed folder, shortcut boxes, options page message and the pre-checks.
#include <windows.h>

#include <string>
#include <vector>

#include "core/shortcut_boxes.h"

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

// The parameters of a command line: the program name is skipped, double quotes group blanks and
// are removed (a backslash before a quote is an ordinary character: "C:\App\" is C:\App\).
std::vector<std::string> Parameters(const std::string& commandLine);
// The first of them, or empty.
std::string FirstParameter(const std::string& commandLine);
