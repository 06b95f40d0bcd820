#pragma once
// The install run without its windows: phases 2 to 8 (information, required space, free-space
// check, folder check, folder creation, file copy, shortcuts/registry/INI/associations) and the
// first steps of the finishing phase (uninstaller copy, OVSET98.INI, uninstall log, Add/Remove
// Programs entry). It talks to the progress window only through RunUi.
//
// What the wizard does around it:
//   before: hides itself, shows the progress window, hides btnEnd, centres btnEvent, shows
//           OpeningStatusText for a second; RunInstall then clears the run's status and flags.
//   after, by InstallResult::ended:
//     Completed: the failure question and details page when FailureCount is not 0, then
//                CompletionStatusLines with the beep and the "次へ(&N)" wait, the completion page
//                (BuildInstallCompletionPage; g_state.RestartNeeded = restartOffered), and what
//                DecideFinalAction says (completion.h), then the end;
//     Refused:   the engine has already shown its message; enable the background window, end;
//     Aborted:   the abort handler has already told the program to close; end.
//   RegistryError (sys/registry.h) and ComError (sys/shortcut.h) leave RunInstall as exceptions:
//   the run stops where it was, but first writes the uninstall log and the Add/Remove entry of
//   what it did so far, so that the uninstall can take it away again (an error of the Add/Remove
//   entry itself comes after the log was written). A refusal after folders were made or files
//   copied (a disk change that was cancelled) keeps the same record. The wizard catches the
//   exceptions, shows what() and ends the program as after a refusal.
#include <functional>
#include <string>

#include "core/run_ui.h"
#include "core/shortcut_boxes.h"
#include "script/uninstall_log.h"  // RemovalLists

// What the run takes from the options page.
struct InstallOptions {
    std::string folderText;    // txtFolder: the install folder as typed
    bool overwriteAuto = true; // chkOverWrite
    ShortcutBoxes shortcuts;   // chkSCutDesktop, chkSCutStartMenu, chkSCutStartUp, chkSCutSendTo
};

// The free-space measures of the check (extended call, then the classic one). A drive's real free
// space cannot be set, so tests put their own measures here.
using DiskFreeMeasure = std::function<bool(const std::string& drive, long long& bytes)>;
struct DiskFreeMeasures {
    DiskFreeMeasure extended;
    DiskFreeMeasure classic;
    static DiskFreeMeasures System();
};

enum class InstallEnd {
    Completed,  // phases done, log and Add/Remove entry written: go on with the completion steps
    Aborted,    // the user aborted; nothing of the log was written
    Refused,    // the run stopped after a refusal (its message already shown); a log only of what was done
};

struct InstallResult {
    InstallEnd ended = InstallEnd::Aborted;
    long FailureCount = 0;
    std::string FailureDetail;      // shown on the details page when FailureCount is not 0
    bool LockedFileFound = false;   // also in g_state; a restart will be offered
    bool SetupOnly = false;         // "Setup Only.": no log, no Add/Remove entry
    std::string ExecuteFile;        // [ExecuteFile] "File" as the script has it
    // Counting and copying, for the record.
    long EntryCount = 0;
    long long TotalBytes = 0;       // 64-bit: packages over 2 GiB count right
    long long CopiedBytes = 0;
    bool SizesKnown = true;
    long ProcessedCount = 0;
    long DiskNumber = 1;
    RemovalLists Lists;             // the five uninstall lists as they stood when the run ended
};

// Phase 1's opening line, shown by the wizard for a second before RunInstall.
std::string OpeningStatusText(const std::string& setupWord);

// Runs the install with the program-wide state (g_state: script copy, folders, words, speed).
InstallResult RunInstall(RunUi& ui, const InstallOptions& options,
                         const DiskFreeMeasures& measures = DiskFreeMeasures::System());
