#pragma once
// The state of one install run shared by its phases, and the status protocol they all follow.
// Internal to the install engine.
#include <string>
#include <vector>

#include "install/install_engine.h"
#include "install/script_values.h"

class InstallContext {
public:
    InstallContext(RunUi& ui, const InstallOptions& options, const DiskFreeMeasures& measures);

    RunUi& ui;
    const InstallOptions& options;
    DiskFreeMeasures measures;
    ScriptValues script;
    InstallResult result;
    int relateCount = 0;  // filled entries of g_state.RelateTable
    // The size each [CopyFile] entry counted for while the required space was summed (in entry
    // order), so that the copy's progress need not look each file up again.
    std::vector<long long> entrySizes;

    // Status protocol: open a step (header appended, tail set), show, close (tail and CR LF).
    void OpenStep(const std::string& header, const std::string& tail = "完了");
    void Show();
    // StatusText, CR LF and a detail line, without changing StatusText.
    void ShowDetail(const std::string& detail);
    void CloseStep();
    // The pause after a step or item.
    void Pause();
    // True when the user aborted; the run then ends at once.
    bool AbortTest();
    // End by refusal: the message (title SetupWord + "中止", or the one given) and the state.
    void Refuse(const std::string& title = std::string());

    // A failure block: tag + path + CR LF, the system's text of the code, CR LF.
    void AddFailure(const std::string& tag, const std::string& path, unsigned long code);

    // Reads "prefix"1, "prefix"2, … of a script section up to the first empty value.
    std::vector<std::string> NumberedList(const std::string& section, const std::string& prefix) const;
};

// The phases, in run order; each returns false when the run has ended (result.ended says how).
bool RunInformationPhase(InstallContext& run);
bool RunRequiredSpacePhase(InstallContext& run);
bool RunFreeSpacePhase(InstallContext& run);
bool RunFolderCheckPhase(InstallContext& run);
bool RunMakeFolderPhase(InstallContext& run);
bool RunCopyPhase(InstallContext& run);
bool RunShortcutPhase(InstallContext& run);
bool RunRegistryPhase(InstallContext& run);
bool RunIniFilePhase(InstallContext& run);
void CollectRemovalEntries(InstallContext& run);
bool RunAssociationPhase(InstallContext& run);
// False when an abort came before the abort button was disabled: nothing was written then.
bool RunFinishingSteps(InstallContext& run);
// After a registry or COM error: the uninstall log and Add/Remove entry of what the run has done,
// once the install folder is known; failures here are swallowed, the first error is the one told.
void RecordPartialRun(InstallContext& run);
