// The Add/Remove Programs entry of an install, decided from the script and the program state.
#include <algorithm>

#include "core/state.h"
#include "install/install_log.h"
#include "install/script_values.h"
#include "base/text.h"
#include "script/uninstall_log.h"

std::string UninstallerPath() { return g_state.WindowsFolder + UninstallerFileName(kSixtyFourBitBuild); }

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
