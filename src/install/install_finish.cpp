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

std::string UninstallerPath() { return g_state.WindowsFolder + UninstallerFileName(kSixtyFourBitBuild); }

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

UninstallEntry DecideUninstallEntry(const ScriptValues& script) {
    UninstallEntry entry;
    // An empty key name would put the values on the Uninstall key itself, and the uninstall
    // would then delete every program's entry: an empty value counts as absent.
    std::string name = script.Read("Title", "UnSetupKey");
    if (name.empty()) name = g_state.UnSetupTitle;
    if (name.empty()) name = g_state.SetupTitle;
    if (name.empty()) name = "Orvant Setup";
    entry.keyPath = UninstallKeyPathOf(name);
    entry.displayName = script.Read("Title", "UnSetupDisplay");
    if (entry.displayName.empty()) entry.displayName = name;
    entry.icon = UninstallerPath();
    entry.command = UninstallerPath() + " \"" + g_state.UninstallLogPath + "\"";
    entry.quietCommand = UninstallerPath() + " /S \"" + g_state.UninstallLogPath + "\"";
    entry.installLocation = RemoveDelimiter(g_state.InstallFolder, "B");
    entry.version = script.Read("Title", "Version");
    entry.publisher = script.Read("Title", "Publisher");
    return entry;
}

std::vector<NamedRegistryValue> UninstallEntryValues(const UninstallEntry& entry) {
    auto text = [](const char* name, const std::string& value) {
        return NamedRegistryValue{name, RegistryValueSpec{RegistryValueKind::String, value, 0}};
    };
    auto number = [](const char* name, DWORD value) {
        return NamedRegistryValue{name, RegistryValueSpec{RegistryValueKind::Dword, "", value}};
    };
    std::vector<NamedRegistryValue> values = {text("DisplayName", entry.displayName),
                                              text("UninstallString", entry.command),
                                              text("DisplayIcon", entry.icon),
                                              text("QuietUninstallString", entry.quietCommand),
                                              text("InstallLocation", entry.installLocation)};
    if (entry.estimatedBytes >= 0)
        values.push_back(number("EstimatedSize", static_cast<DWORD>(std::min<long long>((entry.estimatedBytes + 1023) / 1024, 0xFFFFFFFFLL))));
    values.push_back(number("NoModify", 1));
    values.push_back(number("NoRepair", 1));
    if (!entry.version.empty()) values.push_back(text("DisplayVersion", entry.version));
    if (!entry.publisher.empty()) values.push_back(text("Publisher", entry.publisher));
    return values;
}

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
