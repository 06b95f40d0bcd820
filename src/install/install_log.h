#pragma once
// The install run's side of the uninstall log: taking over the log of an earlier install into the
// same folder, and writing the new log once, from memory, at the end.
#include <functional>
#include <string>
#include <vector>

#include "install/registry_entry.h"

class InstallContext;
class ScriptValues;

// The uninstaller copy in the Windows folder: WindowsFolder + the build's UninstallerFileName.
std::string UninstallerPath();

// The Add/Remove Programs entry of the install.
struct UninstallEntry {
    std::string keyPath;      // under HKEY_LOCAL_MACHINE: ...\Uninstall\ + [Title] UnSetupKey
    std::string displayName;  // [Title] UnSetupDisplay, else the key name
    std::string command;      // <uninstaller> "<install folder>UNSETUP.INI" (UninstallerFileName)
    std::string icon;         // the uninstaller
    // For deployment systems: the uninstall without questions, where the program lies, its size,
    // version and maker ([Title] Version and Publisher; not written when empty).
    std::string quietCommand;     // <uninstaller> /S "<install folder>UNSETUP.INI"
    std::string installLocation;  // the install folder without its trailing backslash
    long long estimatedBytes = -1;  // the bytes copied; -1 when the sizes were not known
    std::string version;
    std::string publisher;
};
UninstallEntry DecideUninstallEntry(const ScriptValues& script);
// The values the entry's key gets, in the order they are written.
std::vector<NamedRegistryValue> UninstallEntryValues(const UninstallEntry& entry);

// Writes UNSETUP.INI into the install folder from the run's lists and association records;
// showDots(n) is called as the work passes the points where the status row grows to n dots.
// False (after a failure block) when the log could not be written.
bool WriteInstallLog(InstallContext& run, const UninstallEntry& entry, const std::function<void(int)>& showDots);
