// The finishing phase of the install run up to its closed status line: the uninstaller copy,
// OVSET98.INI, the uninstall log and the Add/Remove Programs entry.
#include <windows.h>

#include <algorithm>
#include <exception>

#include "core/state.h"
#include "install/install_context.h"
#include "install/install_log.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "sys/registry.h"

namespace {

// The status text followed by a row of full-width dots that grows as the phase goes on.
void ShowDots(InstallContext& run, int count) {
    std::string dots;
    for (int i = 0; i < count; ++i) dots += "．";
    run.ui.ShowStatus(g_state.StatusText + dots);
}

// The uninstaller copy in the Windows folder is refreshed only by a newer program.
void RefreshUninstaller(InstallContext& run) {
    std::string source = g_state.WorkFolder + "SETUPB.EXE";
    std::string destination = UninstallerPath();
    if (FileDosDateTime(source) <= FileDosDateTime(destination)) return;
    DWORD error = CopyFileOver(source, destination);
    if (error != 0) run.AddFailure("<SetupFile> ", destination, error);
}

void RecordInstallFolder() {
    std::string file = g_state.WindowsFolder + "OVSET98.INI";
    FlushIniCache(file);
    if (!g_state.ProgramId.empty()) WriteIniValue(g_state.ProgramId, "Folder", g_state.InstallFolder, file);
}

void RegisterUninstallEntry(const UninstallEntry& entry) {
    RegistryKey key = CreateKeyOrRaise(HKEY_LOCAL_MACHINE, entry.keyPath);
    for (const NamedRegistryValue& item : UninstallEntryValues(entry)) WriteRegistryValue(key, item.name, item.value);
}

}  // namespace

void RecordPartialRun(InstallContext& run) {
    if (run.result.SetupOnly || g_state.UninstallLogPath.empty()) return;
    // The log lists itself, so that the uninstall can empty the folder; a run that stopped in the
    // copy has not listed it yet.
    bool listed = false;
    for (const std::string& item : run.result.Lists.FileLog.Items()) listed = listed || EqualsNoCase(item, g_state.UninstallLogPath);
    if (!listed) run.result.Lists.FileLog.Append(g_state.UninstallLogPath);
    try {
        UninstallEntry entry = DecideUninstallEntry(run.script);
        if (WriteInstallLog(run, entry, [](int) {})) RegisterUninstallEntry(entry);
    } catch (const std::exception&) {
    }
}

bool RunFinishingSteps(InstallContext& run) {
    g_state.StatusText += g_state.UnSetupWord + "情報を更新しています";
    g_state.StatusTail = "．．．完了";
    run.Show();
    ShowDots(run, 1);
    run.ui.EnableAbort(false);
    // The status lines above still let an abort through; none can come after this test.
    if (run.AbortTest()) return false;

    RefreshUninstaller(run);
    ShowDots(run, 2);
    RecordInstallFolder();
    ShowDots(run, 3);

    if (!run.result.SetupOnly) {
        UninstallEntry entry = DecideUninstallEntry(run.script);
        if (run.result.SizesKnown) entry.estimatedBytes = run.result.CopiedBytes;
        // An Add/Remove entry without its log would offer an uninstall that cannot work.
        if (WriteInstallLog(run, entry, [&run](int dots) { ShowDots(run, dots); })) RegisterUninstallEntry(entry);
    }
    run.CloseStep();
    return true;
}
