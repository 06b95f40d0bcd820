#pragma once
// The folders of the system that no uninstall may remove or empty.
#include <string>
#include <vector>

// Every folder that no install folder may be nor contain: the state's folders (Windows, system,
// temporary, program files, the user's and all users' shell folders) and every root the system
// names besides, in both views: both program files folders with their common files, both system
// folders, the profiles, application data and program data folders.
std::vector<std::string> GuardedFolders();
// The folders that the system names once and for all, whichever process asks (all but the
// state's): on a system that is no Windows those of a default Windows installation.
const std::vector<std::string>& SystemRootFolders();

// A folder that no removal may take or empty: a drive or share root, a device path or an
// administrative share, a guarded folder or one that contains a guarded folder, however it is
// spelt or linked (decided on canonical places).
bool IsProtectedFolder(const std::string& folder);
