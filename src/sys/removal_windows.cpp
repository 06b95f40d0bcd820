// Removal of files, folders and keys, and deletion at restart (Windows).
#include "sys/removal.h"

#include <shellapi.h>

#include <vector>

#include "core/state.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "base/text.h"
#include "sys/error_text.h"
#include "sys/guarded_folders.h"
#include "sys/registry.h"
#include "sys/shared_dll.h"
#include "edge/handles.h"

namespace {

HWND g_owner = nullptr;

const char* const kMoveFailedText = "MoveFileEx関数が失敗しました。";
const char* const kInternalErrorTitle = "内部エラー";

bool HasWildcard(const std::string& path) {
    return path.find('*') != std::string::npos || path.find('?') != std::string::npos;
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < content.size(); ++i) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Puts the line at the end of the [Rename] section: before the first empty line or the next
// section inside it; at the end when [Rename] is the last section; under a new [Rename] header
// when the file has none, so that Windows really finds the entry.
void InsertRenameLine(std::vector<std::string>& lines, const std::string& newLine) {
    bool inRename = false, renameSeen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == '[') {
            if (inRename) {
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), newLine);
                return;
            }
            inRename = FindNoCase("[Rename]", line) != 0;
            renameSeen = renameSeen || inRename;
        } else if (line.empty() && inRename) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), newLine);
            return;
        }
    }
    if (!renameSeen) lines.push_back("[Rename]");
    lines.push_back(newLine);
}

bool DeleteAtRestartNT(const std::string& path) {
    if (MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
    ShowMessageBox(kMoveFailedText, kInternalErrorTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool DeleteAtRestartWininit(const std::string& path) {
    std::string shortPath = ShortPathOf(path);
    if (shortPath.empty()) shortPath = path;  // a name the system cannot shorten is still better than none
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return AddWininitRename(isFolder ? "DirNul" : "Nul", shortPath);
}

// The name under which a long path still reaches the W functions ("\\\\?\\" form of a full path).
std::wstring LongName(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    if (wide.size() > 2 && wide[0] == L'\\' && wide[1] == L'\\' && wide[2] != L'?' && wide[2] != L'.')
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}

DWORD RemoveEntry(const std::wstring& path, DWORD attributes);

// Every entry a search in the folder finds, each as RemoveEntry removes it; the first error.
DWORD RemoveFound(const std::wstring& search, const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(search.c_str(), &data));
    // A search that finds nothing has nothing to delete.
    if (!find.Valid()) return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : GetLastError();
    DWORD first = 0;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        DWORD error = RemoveEntry(folder + L"\\" + name, data.dwFileAttributes);
        if (first == 0) first = error;
    } while (FindNextFileW(find.Get(), &data));
    return first;
}

// Everything inside a folder, never following a link out of it.
DWORD RemoveContents(const std::wstring& folder) { return RemoveFound(folder + L"\\*", folder); }

// One entry that a search found: a link (junction, symbolic link, mount point) goes as itself and
// what it points to stays; a folder goes with everything in it; a file goes read-only or not.
DWORD RemoveEntry(const std::wstring& path, DWORD attributes) {
    bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (folder ? RemoveDirectoryW(path.c_str()) : DeleteFileW(path.c_str())) return 0;
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_ACCESS_DENIED;
    }
    if (!folder) return DeleteFileW(path.c_str()) ? 0 : GetLastError();
    DWORD error = RemoveContents(path);
    if (RemoveDirectoryW(path.c_str())) return 0;
    return error != 0 ? error : GetLastError();
}

// Everything a wildcard in the last element matches, as the shell's deletion would take it, but
// never through a link.
DWORD RemoveMatches(const std::string& pattern) {
    return RemoveFound(LongName(pattern), LongName(RemoveDelimiter(FolderPart(pattern), "B")));
}

bool IsLink(const std::string& folder) {
    DWORD attributes = GetFileAttributesW(LongName(RemoveDelimiter(folder, "B")).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

// Windows 95/98/Me reads WININIT.INI in the system's ANSI code page, so the file is read and written
// as bytes in that code page and never passes through the W functions.
bool AddWininitRename(const std::string& name, const std::string& value) {
    std::string file = g_state.WindowsFolder + "WININIT.INI";
    std::string newLine = SystemCodePageText(name) + "=" + SystemCodePageText(value);

    std::vector<std::string> lines;
    DWORD error = 0;
    if (PathExists(file)) {
        std::string content;
        if ((error = ReadWholeFile(file, content)) != 0) {
            ShowMessageBox(file + "を読み込めませんでした。\r\n\r\n" + SystemErrorText(error), kInternalErrorTitle,
                           MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        lines = SplitLines(content);
    } else {
        lines.push_back("[Rename]");
    }
    InsertRenameLine(lines, newLine);
    std::string content;
    for (const std::string& line : lines) content += line + "\r\n";
    if ((error = WriteWholeFile(file, content)) != 0) {
        ShowMessageBox(file + "に書き込めませんでした。\r\n\r\n" + SystemErrorText(error), kInternalErrorTitle,
                       MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}


void SetOperationOwnerWindow(HWND owner) { g_owner = owner; }

HWND OperationOwnerWindow() { return g_owner; }

DWORD DeleteFiles(const std::string& path) {
    // Cut down on its way to the system, such a path would name another file.
    if (TooLongForTheSystem(path)) return ERROR_FILENAME_EXCED_RANGE;
    if (HasWildcard(path)) {
        // Decided on the place, not the spelling: "C:\\App\\..\\*.*" is Program Files. Through a
        // link the pattern would match in another place altogether.
        std::string folder = FolderPart(path);
        if (IsRootOrEmptyFolder(folder) || IsProtectedFolder(folder) || IsLink(folder)) return ERROR_ACCESS_DENIED;
        return RemoveMatches(path);
    }
    if (!FileExists(path)) return ERROR_FILE_NOT_FOUND;
    if (IsServerFile(path)) RegisterServer(path, false);
    // The common case, a file that nothing holds, goes with one call; anything else (read-only, in
    // use, denied) is left to the shell's operation and its answer, as before.
    if (DeleteFileW(Wide(path).c_str())) return 0;

    std::wstring from = Wide(path);
    from.append(2, L'\0');  // the list of sources ends with an empty name
    SHFILEOPSTRUCTW operation = {};
    operation.hwnd = g_owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SetLastError(ERROR_SUCCESS);
    int result = SHFileOperationW(&operation);
    DWORD lastError = GetLastError();
    if (result != 0 && lastError != 0) return static_cast<DWORD>(result);
    // Some shells answer without setting the last error; a single file that is still there was
    // not deleted, whatever the answer.
    if (PathExists(path)) return result != 0 ? static_cast<DWORD>(result) : ERROR_ACCESS_DENIED;
    return 0;
}

DWORD RemoveFolder(const std::string& folder, const std::string& patterns) {
    if (TooLongForTheSystem(folder)) return ERROR_FILENAME_EXCED_RANGE;
    if (IsRootOrEmptyFolder(folder) || IsRootOrEmptyFolder(CanonicalPath(folder))) return ERROR_ACCESS_DENIED;
    std::string base = AddDelimiter(folder, "B");
    // A folder that has become a link goes as a link: nothing in the place it points to is touched.
    if (IsLink(base)) return RemoveDirectoryW(LongName(RemoveDelimiter(base, "B")).c_str()) ? 0 : ERROR_ACCESS_DENIED;
    std::string rest = patterns;
    while (!rest.empty()) {
        size_t bar = FindNoCase("|", rest);
        std::string piece = bar ? CopyHead(rest, static_cast<long long>(bar) - 1) : rest;
        rest = bar ? CopyFrom(rest, static_cast<long long>(bar) + 1) : "";
        if (!piece.empty()) DeleteFiles(base + piece);
    }
    if (RemoveDirectoryW(Wide(base).c_str())) return 0;
    return GetLastError();
}

bool DeleteRegistryKey(const std::string& rootMacro, const std::string& keyPath) {
    if (keyPath.empty()) return true;
    if (IsProtectedRegistryKey(rootMacro, keyPath)) return true;
    HKEY root = RootKeyOf(rootMacro);
    for (int attempt = 0; attempt < 99 && KeyExists(root, keyPath); ++attempt) DeleteTree(root, keyPath);
    return true;
}

std::string ShortPathOf(const std::string& path) {
    std::wstring longPath = Wide(path);
    DWORD size = MAX_PATH;
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<wchar_t> buffer(size + 1, L'\0');
        DWORD length = GetShortPathNameW(longPath.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) return Narrow(std::wstring(buffer.data(), length));
        size = length;  // the size needed, terminating zero included
    }
    return "";
}

bool DeleteAtRestart(const std::string& path) {
    if (g_state.PlatformKind == "NT") return DeleteAtRestartNT(path);
    if (g_state.PlatformKind == "notNT") return DeleteAtRestartWininit(path);
    return true;
}
