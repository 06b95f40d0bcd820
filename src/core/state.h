#pragma once
// The program-wide state: written at start-up, read by every part; the runs set the install folder
// and the status values. One instance, g_state.
#include <array>
#include <string>

struct RelateEntry {
    std::string Name;
    std::string File;
};

struct ProgramState {
    // Mode, script and words.
    std::string SetupMode;  // "SETUP" or "UNSETUP"
    std::string ScriptPath;
    std::string WorkFolder;
    std::string SourceFolder;
    // The sources were extracted from the program's own payload into the work folder, which goes
    // at the end: the copy may move a file it needs once instead of copying it.
    bool SourcesAreOurs = false;
    std::string SetupWord = "インストール";
    std::string UnSetupWord = "アンインストール";
    std::string SetupTitle = "Orvant Setup";
    std::string UnSetupTitle = "Orvant Setup";
    long SetupSpeed = 350;  // milliseconds, never below 1
    std::string ProgramId;
    std::string PageMessage;
    std::string UnSetupOptionValue = "0,0,0,0";
    std::string PlatformKind;  // "NT", "notNT" or empty
    std::string OsName = "Windows";
    bool ShowTitlePage = false;
    bool ShowOptionsPage = false;
    bool ShowEulaPage = false;
    bool ShowReadmePage = false;

    // What the program ends with: the exit code (app/exit_codes.h). Stopped (1602) until a run
    // decides otherwise.
    int ExitCode = 1602;

    // Status of a run.
    std::string StatusText;
    std::string StatusTail;
    bool RestartNeeded = false;
    bool LockedFileFound = false;

    // Folders; every value ends with a backslash.
    std::string InstallFolder = "(App)";
    std::string InstallDriveRoot;  // "(Set)": empty until the install run sets it
    std::string WindowsFolder;
    std::string SystemFolder;
    std::string ProgramFilesFolder;
    std::string TempFolder;
    std::string WindowsDriveRoot;
    std::string SourceDriveRoot;
    std::string StartMenuFolder;
    std::string ProgramsFolder;
    std::string DesktopFolder;
    std::string StartupFolder;
    std::string SendToFolder;
    std::string DocumentsFolder;
    std::string CommonStartMenuFolder;
    std::string CommonProgramsFolder;
    std::string CommonDesktopFolder;
    std::string CommonStartupFolder;
    std::string CommonDocumentsFolder;
    bool ShfolderPresent = false;

    // Install run values that outlive a phase.
    std::array<RelateEntry, 20> RelateTable{};
    std::array<std::string, 20> RestoreRelateKeys{};
    std::string UninstallLogPath;
    std::string UninstallLogBackupPath;
};

extern ProgramState g_state;

// Back to the values of a fresh program start (tests use it between cases).
void ResetProgramState();
