// The one decision of the uninstall engine that the script checks share: the install folder that
// may never be removed. The engine itself is in uninstall_run.cpp.
#include "sys/guarded_folders.h"
#include "uninstall/uninstall_run.h"

bool UninstallEngine::IsProtectedInstallFolder(const std::string& folder) {
    // Decided on the place the folder names, however it is spelt or linked.
    return folder.size() <= 3 || IsProtectedFolder(folder);
}
