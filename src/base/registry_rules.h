#pragma once
// Which registry keys an uninstall may delete: a program's own keys may go; keys that Windows or
// every program share may not, however the log spells them. One rule set for the uninstall and
// the script checker, applied to the key's canonical form: HKEY_CLASSES_ROOT is the union of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes and HKEY_CURRENT_USER\Software\Classes, a user's hive under
// HKEY_USERS is HKEY_CURRENT_USER, and the 32-bit view ("Wow6432Node") holds the same keys as the
// 64-bit one.
#include <string_view>

enum class KeyRoot { ClassesRoot, LocalMachine, Users, CurrentUser };

enum class KeyVerdict {
    Own,       // a program's own key: may be deleted
    Shared,    // a key that Windows or every program shares
    TooShort,  // a root, a whole hive or a key directly below one ("Software", "(Local)" alone)
};

KeyVerdict JudgeRegistryKey(KeyRoot root, std::string_view keyPath);
