// The folders a default Windows installation names (edge/default_windows.h): what the native
// distribution builder guards, since the system it runs on is no Windows.
#include "sys/guarded_folders.h"

#include "edge/default_windows.h"

const std::vector<std::string>& SystemRootFolders() {
    static const std::vector<std::string> folders = DefaultSystemFolders();
    return folders;
}
