// The folder sources on a system that is no Windows (the native distribution builder): the
// folders of a default Windows installation (edge/default_windows.h).
#include "script/folders.h"

#include "edge/default_windows.h"
#include "edge/fileops.h"

std::string GetSpecialFolder(int csidl) { return DefaultShellFolder(csidl, 32); }

FolderSources FolderSources::System() { return ForProgram(32); }

FolderSources FolderSources::ForProgram(int programBits) {
    FolderSources sources;
    sources.specialFolder = [programBits](int csidl) { return DefaultShellFolder(csidl, programBits); };
    sources.tempPath = DefaultTemporaryFolder;
    sources.windowsDirectory = DefaultWindowsDirectory;
    sources.systemDirectory = DefaultSystemDirectory;
    sources.programFilesDirFromRegistry = [] { return std::string(); };
    sources.fileExists = FileExists;
    sources.folderExists = FolderExists;
    return sources;
}
