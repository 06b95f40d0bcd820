#include "script/fileops.h"

#include <vector>

#include "script/text.h"
#include "sys/handles.h"

namespace {

MessageBoxResponder g_responder;

struct WindowList {
    DWORD threadId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM param) {
    auto* list = reinterpret_cast<WindowList*>(param);
    if (IsWindowVisible(window) && IsWindowEnabled(window)) list->windows.push_back(window);
    return TRUE;
}

}  // namespace

void SetMessageBoxResponder(MessageBoxResponder responder) { g_responder = std::move(responder); }

int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) {
    if (g_responder) return g_responder(text, title, flags);
    // Application-modal: every visible window of the program is disabled while the box is open,
    // and exactly those are enabled again afterwards (hidden ones keep their state).
    HWND active = GetActiveWindow();
    WindowList list{GetCurrentThreadId(), {}};
    EnumThreadWindows(list.threadId, CollectEnabledWindow, reinterpret_cast<LPARAM>(&list));
    for (HWND window : list.windows) EnableWindow(window, FALSE);
    int result = MessageBoxA(active, text.c_str(), title.c_str(), flags | MB_SETFOREGROUND);
    for (HWND window : list.windows) EnableWindow(window, TRUE);
    if (active && IsWindow(active)) SetActiveWindow(active);
    return result;
}

// A path longer than any the system accepts is never looked up: the A functions would cut it down
// to a shorter one and answer for another file (TooLongForTheSystem).
bool FolderExists(const std::string& folder) {
    if (TooLongForTheSystem(folder)) return false;
    std::string pattern = RemoveDelimiter(folder, "B") + "\\*.*";
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    if (!find.Valid()) return false;
    bool found = false;
    do {
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0) found = true;
    } while (!found && FindNextFileA(find.Get(), &data));
    return found;
}

bool ForceFolders(const std::string& path) {
    if (TooLongForTheSystem(path)) return false;
    std::string rest = AddDelimiter(path, "B");
    std::string prefix;
    bool result = true;
    // Cut at each "\" that is a character of its own, building C:\, C:\A\, C:\A\B\ in turn.
    for (size_t at; (at = FindNoCase("\\", rest)) != 0;) {
        prefix += rest.substr(0, at);
        rest = rest.substr(at);
        if (!FolderExists(prefix)) result = CreateDirectoryA(prefix.c_str(), nullptr) != 0;
    }
    return result;
}

bool PathExists(const std::string& path) {
    if (TooLongForTheSystem(path)) return false;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const std::string& path) {
    if (TooLongForTheSystem(path)) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

DWORD CopyFileOver(const std::string& source, const std::string& destination) {
    if (TooLongForTheSystem(source) || TooLongForTheSystem(destination)) return ERROR_FILENAME_EXCED_RANGE;
    // Clearing read-only, hidden and system lets a protected file be overwritten; every copied
    // file ends up writable and visible whatever the source's attributes.
    if (PathExists(destination)) SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    BOOL copied = CopyFileA(source.c_str(), destination.c_str(), FALSE);
    DWORD error = copied ? 0 : GetLastError();
    if (PathExists(destination)) SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    if (!copied && error == 0) error = ERROR_GEN_FAILURE;
    return copied ? 0 : error;
}

long FileDosDateTime(const std::string& path) {
    if (TooLongForTheSystem(path)) return -1;
    WIN32_FIND_DATAA data;
    if (!FindHandle(FindFirstFileA(path.c_str(), &data)).Valid()) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    FILETIME local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<long>(static_cast<int>((static_cast<unsigned>(date) << 16) | time));
}

bool FileSizeOf(const std::string& path, long long& size) {
    if (TooLongForTheSystem(path)) return false;
    WIN32_FIND_DATAA data;
    if (!FindHandle(FindFirstFileA(path.c_str(), &data)).Valid()) return false;
    size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}
