#include "app/cleanup.h"

#include <windows.h>
#include <shlobj.h>

#include "edge/fileops.h"
#include "base/text.h"
#include "sys/removal.h"

void RemoveWorkFolders(const std::string& tempFolder) {
    // Only a full folder path: a drive root (TEMP=C:\) or a network folder.
    bool fullPath = (tempFolder.size() >= 3 && tempFolder[1] == ':' && tempFolder[2] == '\\') ||
                    tempFolder.rfind("\\\\", 0) == 0;
    if (!fullPath) return;
    for (int n = 1; n <= 99; ++n) {
        std::string folder = AddDelimiter(tempFolder, "B") + "OVTMP" + IntToStr(n) + "\\";
        if (FolderExists(folder)) RemoveFolder(folder, "*.*");
    }
}

void NotifyShellOfChanges() {
    for (LONG event : {SHCNE_ASSOCCHANGED, SHCNE_UPDATEITEM, SHCNE_UPDATEDIR})
        SHChangeNotify(event, SHCNF_IDLIST, nullptr, nullptr);
}
