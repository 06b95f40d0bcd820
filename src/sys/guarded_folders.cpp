#include "sys/guarded_folders.h"

#include "core/state.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "sys/removal.h"

// The folders the system names are in guarded_folders_windows.cpp; elsewhere (the native
// distribution builder) guarded_folders_posix.cpp gives those of a default Windows installation.

std::vector<std::string> GuardedFolders() {
    const ProgramState& s = g_state;
    std::vector<std::string> folders = {
        s.WindowsFolder,         s.SystemFolder,          s.TempFolder,          s.StartMenuFolder,
        s.ProgramsFolder,        s.DesktopFolder,         s.StartupFolder,       s.SendToFolder,
        s.DocumentsFolder,       s.CommonStartMenuFolder, s.CommonProgramsFolder, s.CommonDesktopFolder,
        s.CommonStartupFolder,   s.CommonDocumentsFolder, s.ProgramFilesFolder};
    for (const std::string& folder : SystemRootFolders()) folders.push_back(folder);
    std::vector<std::string> named;
    for (const std::string& folder : folders)
        if (RemoveDelimiter(folder, "B").size() > 1) named.push_back(folder);  // "\": a folder the system did not name
    return named;
}

bool IsProtectedFolder(const std::string& folder) {
    if (IsDeviceOrAdminSharePath(folder)) return true;
    std::string place = CanonicalPath(folder);
    if (IsRootOrEmptyFolder(folder) || IsRootOrEmptyFolder(place) || place.size() <= 3) return true;
    std::string outer = AddDelimiter(place, "B");
    for (const std::string& guarded : GuardedFolders()) {
        // The folder itself, or one that contains it (Program Files, a profile's parent).
        std::string inner = AddDelimiter(CanonicalPath(guarded), "B");
        if (inner.compare(0, outer.size(), outer) == 0) return true;
    }
    return false;
}
