#include "install/install_engine.h"

#include <exception>

#include "core/state.h"
#include "install/install_context.h"
#include "sys/disk_space.h"

DiskFreeMeasures DiskFreeMeasures::System() { return DiskFreeMeasures{DiskFreeBytesEx, DiskFreeBytesClassic}; }

std::string OpeningStatusText(const std::string& setupWord) { return setupWord + "を開始します．．．\r\n\r\n"; }

InstallResult RunInstall(RunUi& ui, const InstallOptions& options, const DiskFreeMeasures& measures) {
    g_state.RestartNeeded = false;
    g_state.LockedFileFound = false;
    g_state.StatusText.clear();
    g_state.StatusTail.clear();

    InstallContext run(ui, options, measures);
    run.script.Load(g_state.ScriptPath);
    run.result.ExecuteFile = run.script.Read("ExecuteFile", "File");
    run.result.SetupOnly = IsSetupOnly(g_state.UnSetupTitle);

    // An abort confirmed while a phase ends (during its last pause or status line) is honoured
    // before the next phase begins: a phase without entries would not test for it itself.
    using Phase = bool (*)(InstallContext&);
    const Phase phases[] = {RunInformationPhase, RunRequiredSpacePhase, RunFreeSpacePhase,
                            RunFolderCheckPhase, RunMakeFolderPhase,    RunCopyPhase,
                            RunShortcutPhase,    RunRegistryPhase,      RunIniFilePhase};
    bool completed = true;
    bool collected = false;
    try {
        for (Phase phase : phases) {
            if (run.AbortTest() || !phase(run)) {
                completed = false;
                break;
            }
        }
        if (completed) {
            CollectRemovalEntries(run);
            collected = true;
            completed = !run.AbortTest() && RunAssociationPhase(run);
        }
    } catch (const std::exception&) {
        // A registry or COM error ends the run here; what it changed so far still gets its log and
        // Add/Remove entry, so that the uninstall can take it away again.
        if (!collected) CollectRemovalEntries(run);
        RecordPartialRun(run);
        throw;
    }
    // A run that stopped on a refusal after it had made folders or copied files (a disk that was
    // not inserted) keeps the record of what it did, as after a registry or COM error.
    if (!completed && run.result.ended == InstallEnd::Refused &&
        (!run.result.Lists.FileLog.Empty() || !run.result.Lists.FolderLog.Empty())) {
        if (!collected) CollectRemovalEntries(run);
        RecordPartialRun(run);
    }
    if (completed && !run.AbortTest() && RunFinishingSteps(run)) run.result.ended = InstallEnd::Completed;
    run.result.LockedFileFound = g_state.LockedFileFound;
    return run.result;
}
