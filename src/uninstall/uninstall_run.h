#pragma once
// The uninstall engine: replays an uninstall log, removing what the install recorded, and keeps
// the progress window's status text. The wizard does the window work around it (progress window,
// details page, completion page, restart) through the functions below.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "script/ini_document.h"
#include "sys/shared_dll.h"

class RunUi;

// The removal options chosen on the uninstall page.
struct UninstallOptions {
    bool deleteAllMode = false;     // delete everything in the install folder
    std::string extraPatterns;      // "*.INI|" and/or "*.GID|"
    // What the log does not list stays on purpose (no one chose otherwise: an unattended run), so
    // the install folder that stays only for it is no failure.
    bool keepUnlisted = false;
};

// The options from the four check boxes: the first box means "*.INI" when any of the other three
// is visible (the four-flag form), else "delete everything"; the second box means "*.GID".
UninstallOptions OptionsFromCheckBoxes(bool firstChecked, bool othersVisible, bool secondChecked);
// The options the uninstall page offers before the user changes anything, from the log's
// [UnSetupOption] CheckBox: "DeleteAll", or four flags of which the first and third choose "*.INI"
// and "*.GID".
UninstallOptions PresetUninstallOptions(const std::string& checkBoxValue);

struct UninstallOutcome {
    bool stopped = false;           // no install folder: nothing was done
    int failureCount = 0;           // what could not be removed
    int noticeCount = 0;            // blocks that are no failure: deletion at restart, folders kept on purpose
    std::string failureDetail;      // the blocks of both kinds, shown on the details page
    bool restartNeeded = false;     // a file was scheduled for deletion at the next restart
    std::vector<std::string> keptFiles;  // files kept on purpose (an answer or the log said so)
    bool HasDetails() const { return failureCount + noticeCount > 0; }
};

class UninstallEngine {
public:
    // logPath is the work copy of the uninstall log; installFolder the folder shown on the page.
    UninstallEngine(RunUi& ui, std::string logPath, std::string installFolder, UninstallOptions options);

    // The opening status text (before the progress window shows it).
    static std::string OpeningStatus();
    // Everything from the program identifier to the summary line; returns what happened. When
    // the install folder is empty the fatal message is shown and nothing else is done.
    UninstallOutcome Run();

    // Whether the install folder may never be removed (system, shell and program folders, drive
    // roots, and every folder that contains one of them).
    static bool IsProtectedInstallFolder(const std::string& folder);

private:
    std::string Value(const std::string& section, const std::string& key) const;
    void StartPhase(const std::string& text);
    void Fail(const std::string& block);
    void Notice(const std::string& block);
    bool ReachedThroughLink(const std::string& path);
    bool OnlyLeftOnPurpose(const std::string& folder, bool& pending, std::vector<std::string>& unlisted) const;
    bool KeptOnPurpose(const std::string& folder, const std::string& tag, const std::string& reason);
    void RemoveProgramId();
    void RemoveFiles(const std::string& section, bool recordFailures);
    void RemoveFile(const std::string& entry, bool recordFailures);
    int DecideFile(const std::string& path, std::string& options);
    void RemoveShortcuts();
    void RemoveFolders();
    void RemoveRegistryKeys();
    void RestoreAssociations();
    void RemoveUninstallEntry();
    void RemoveInstallFolder();

    RunUi& ui_;
    std::string logPath_;
    IniDocument log_;  // read once: long logs stay fast
    std::string installFolder_;
    UninstallOptions options_;
    bool installFolderProtected_ = false;
    UninstallOutcome outcome_;
    std::set<std::string> keptFiles_;    // upper case: the files that stay on purpose
    std::set<std::string> pendingFiles_;  // upper case: the files deleted at the restart
    std::set<std::string> listedFiles_;   // upper case: every file the log lists
    std::map<std::string, bool> linkCache_;  // upper-case folder: whether it is a link
    SharedCountReader sharedCounts_;
};

// Texts of the end of the run.
std::string UninstallDetailsQuestion(const std::string& unSetupWord);
std::string UninstallCompletionText(const std::string& unSetupWord);
struct CompletionPage {
    std::string message;
    std::string option1;
    std::string option2;  // empty: the second choice is hidden
};
CompletionPage UninstallCompletionPage(bool restartNeeded, const std::string& unSetupWord);
