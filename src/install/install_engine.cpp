#include "install/install_engine.h"

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

    bool completed = RunInformationPhase(run) && RunRequiredSpacePhase(run) && RunFreeSpacePhase(run) &&
                     RunFolderCheckPhase(run) && RunMakeFolderPhase(run) && RunCopyPhase(run) &&
                     RunShortcutPhase(run) && RunRegistryPhase(run) && RunIniFilePhase(run);
    if (completed) {
        CollectRemovalEntries(run);
        completed = RunAssociationPhase(run);
    }
    if (completed) {
        RunFinishingSteps(run);
        run.result.ended = InstallEnd::Completed;
    }
    run.result.LockedFileFound = g_state.LockedFileFound;
    return run.result;
}
