// Saving an INI document (Windows).
#include <windows.h>

#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/ini.h"
#include "script/ini_document.h"

namespace {

// Takes away what an earlier save left at the name: a file (read-only or not) or an empty folder.
bool ClearSaveName(const std::string& name) {
    std::wstring wide = Wide(name);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(wide.c_str()) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(wide.c_str()) != 0;
}

}  // namespace

std::string SaveFileName(const std::string& path) { return path + ".$$$"; }

void RemoveStaleSaveFile(const std::string& path) { ClearSaveName(SaveFileName(path)); }

DWORD IniDocument::Save(const std::string& path) const {
    if (!changed_ && !existed_) return ERROR_SUCCESS;
    std::string bytes = ToBytes();
    // A cached copy of the file must not be written over ours later, nor answer later reads.
    FlushIniCache(path);
    // Written beside the file first and put in its place only when complete: a full disk leaves the
    // earlier file as it was, never a cut one. What a crash left under that name goes first; a
    // name that cannot be cleared (a folder with something in it) gives way to the next one.
    std::string temporary = SaveFileName(path);
    for (int n = 1; !ClearSaveName(temporary) && n <= 9; ++n) temporary = path + ".$$" + std::to_string(n);
    DWORD error = WriteWholeFile(temporary, bytes);
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error != ERROR_SUCCESS) ClearSaveName(temporary);
    return error;
}
