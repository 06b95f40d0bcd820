// The keys an uninstall may delete, however a log spells them: a program's own keys may go; keys
// that Windows or every program share, under any root and either view, may not.
#include <gtest/gtest.h>

#include "base/registry_rules.h"

namespace {

struct Case {
    KeyRoot root;
    const char* path;
    KeyVerdict verdict;
};

constexpr KeyRoot HKCR = KeyRoot::ClassesRoot, HKLM = KeyRoot::LocalMachine, HKCU = KeyRoot::CurrentUser,
                  HKU = KeyRoot::Users;
constexpr KeyVerdict Own = KeyVerdict::Own, Shared = KeyVerdict::Shared, Short = KeyVerdict::TooShort;

const Case kCases[] = {
    // The classes, whichever root and view names them.
    {HKCR, "exefile\\shell", Shared},
    {HKCR, "*\\shellex", Shared},
    {HKCR, "*\\shellex\\ContextMenuHandlers", Shared},
    {HKCR, "Installer", Shared},
    {HKCR, "Installer\\Products\\0123", Shared},
    {HKCR, "Wow6432Node", Shared},
    {HKCR, "Wow6432Node\\CLSID", Shared},
    {HKCR, "CLSID", Shared},
    {HKCR, ".exe", Shared},
    {HKCR, "txtfile\\shell\\open\\command", Shared},
    {HKLM, "SOFTWARE\\Classes\\CLSID", Shared},
    {HKLM, "Software\\Classes\\.exe", Shared},
    {HKLM, "SOFTWARE\\Classes", Shared},
    {HKLM, "\\SOFTWARE\\\\Wow6432Node\\Classes\\CLSID\\", Shared},
    {HKCU, "Software\\Classes\\Directory\\shell", Shared},
    {HKCU, "Software\\Classes", Shared},
    {HKU, "S-1-5-21-1-2-3-1001_Classes\\CLSID", Shared},
    {HKU, ".DEFAULT\\Software\\Classes\\exefile", Shared},
    // A program's own classes stay its own.
    {HKCR, ".osd", Own},
    {HKCR, "osd_auto_file", Own},
    {HKCR, "CLSID\\{12345678-1234-1234-1234-123456789ABC}", Own},
    {HKLM, "SOFTWARE\\Wow6432Node\\Classes\\CLSID\\{12345678-1234-1234-1234-123456789ABC}", Own},
    {HKCR, "*\\shellex\\ContextMenuHandlers\\OrvantMenu", Own},
    {HKCR, "Directory\\shell\\OrvantOpen", Own},
    {HKCU, "Software\\Classes\\Orvant.Document", Own},
    // Windows' and Microsoft's keys, the policies, the system's hives.
    {HKLM, "SOFTWARE\\Microsoft\\Cryptography", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\Cryptography\\Providers\\Type 001", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\.NETFramework", Shared},
    {HKLM, "SOFTWARE\\Wow6432Node\\Microsoft\\.NETFramework\\v4.0.30319", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts", Shared},
    {HKLM, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify", Shared},
    {HKLM, "SOFTWARE\\Wow6432Node", Shared},
    {HKLM, "SOFTWARE\\Policies\\Microsoft\\Windows", Shared},
    {HKLM, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", Shared},
    {HKLM, "SYSTEM\\ControlSet001\\Control\\Session Manager\\Environment", Shared},
    {HKLM, "SYSTEM\\CurrentControlSet\\Services", Shared},
    {HKLM, "SYSTEM\\MountedDevices", Shared},
    {HKLM, "SAM\\SAM\\Domains", Shared},
    {HKCU, "Control Panel\\Desktop", Shared},
    {HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", Shared},
    // What programs register of their own below them.
    {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantSampleApp", Own},
    {HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\SAMPLE.EXE", Own},
    {HKLM, "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{1}", Own},
    {HKLM, "SYSTEM\\CurrentControlSet\\Services\\OrvantService", Own},
    {HKLM, "SOFTWARE\\Orvant Sample", Own},
    {HKLM, "SOFTWARE\\Wow6432Node\\Orvant Sample\\Settings", Own},
    {HKCU, "Software\\Orvant Sample", Own},
    {HKU, "S-1-5-21-1-2-3-1001\\Software\\Orvant Sample", Own},
    {HKCU, "AppEvents\\Schemes\\Apps\\Orvant", Own},
    // Roots and whole hives.
    {HKCR, "", Short},
    {HKCR, "\\", Short},
    {HKLM, "SOFTWARE", Short},
    {HKCU, "Software\\", Short},
    {HKCU, "Orvant", Short},
    {HKU, "S-1-5-21-1-2-3-1001", Short},
    {HKU, ".DEFAULT\\Software", Short},
};

}  // namespace

TEST(RegistryRules, SharedKeysUnderEveryRootAndViewOwnKeysGo) {
    for (const Case& c : kCases)
        EXPECT_EQ(JudgeRegistryKey(c.root, c.path), c.verdict) << static_cast<int>(c.root) << " " << c.path;
}
