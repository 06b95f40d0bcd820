#include "edge/fileops.h"

#include <vector>

#include "edge/folder_entries.h"
#include "edge/wide.h"
#include "base/text.h"
#include "edge/handles.h"

namespace {

MessageBoxResponder g_responder;
MessageObserver g_observer;
unsigned g_errorMessages = 0;

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

void SetMessageObserver(MessageObserver observer) { g_observer = std::move(observer); }

unsigned ErrorMessageCount() { return g_errorMessages; }

int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) {
    if ((flags & MB_TYPEMASK) == MB_OK && ((flags & MB_ICONMASK) == MB_ICONHAND || (flags & MB_ICONMASK) == MB_ICONEXCLAMATION))
        ++g_errorMessages;
    if (g_observer) g_observer(text, title, flags);
    if (g_responder) return g_responder(text, title, flags);
    // Application-modal: every visible window of the program is disabled while the box is open,
    // and exactly those are enabled again afterwards (hidden ones keep their state).
    HWND active = GetActiveWindow();
    WindowList list{GetCurrentThreadId(), {}};
    EnumThreadWindows(list.threadId, CollectEnabledWindow, reinterpret_cast<LPARAM>(&list));
    for (HWND window : list.windows) EnableWindow(window, FALSE);
    int result = MessageBoxW(active, Wide(text).c_str(), Wide(title).c_str(), flags | MB_SETFOREGROUND);
    for (HWND window : list.windows) EnableWindow(window, TRUE);
    if (active && IsWindow(active)) SetActiveWindow(active);
    return result;
}

// A path longer than any the system accepts is never looked up: the A functions would cut it down
// to a shorter one and answer for another file (TooLongForTheSystem).
bool FolderExists(const std::string& folder) {
    if (TooLongForTheSystem(folder)) return false;
    std::string pattern = RemoveDelimiter(folder, "B") + "\\*.*";
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Wide(pattern).c_str(), &data));
    if (!find.Valid()) return false;
    bool found = false;
    do {
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0) found = true;
    } while (!found && FindNextFileW(find.Get(), &data));
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
        if (!FolderExists(prefix)) result = CreateDirectoryW(Wide(prefix).c_str(), nullptr) != 0;
    }
    return result;
}

DWORD ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size)) return GetLastError();
    if (size.QuadPart >= 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(bytes.size() - done < (1u << 20) ? bytes.size() - done : (1u << 20));
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) return GetLastError();
        if (read == 0) break;  // the file became shorter meanwhile
        done += read;
    }
    bytes.resize(done);
    return ERROR_SUCCESS;
}

DWORD WriteWholeFile(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return GetLastError();
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr))
            return GetLastError();
        done += written;
    }
    if (!file.Close()) return GetLastError();
    return ERROR_SUCCESS;
}

std::string ProgramFilePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (true) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) return Narrow(buffer.substr(0, length));
        buffer.resize(buffer.size() * 2);
    }
}

bool PathExists(const std::string& path) {
    if (TooLongForTheSystem(path)) return false;
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD FileAttributesOf(const std::string& path) {
    return TooLongForTheSystem(path) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(path).c_str());
}

DWORD CopyFileOver(const std::string& source, const std::string& destination) {
    return CopyFileOver(source, destination, FileAttributesOf(destination));
}

DWORD CopyFileOver(const std::string& source, const std::string& destination, DWORD before) {
    if (TooLongForTheSystem(source) || TooLongForTheSystem(destination)) return ERROR_FILENAME_EXCED_RANGE;
    // Clearing read-only, hidden and system lets a protected file be overwritten; every copied
    // file ends up writable and visible whatever the source's attributes (the copy takes them).
    const DWORD kPlain = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL;
    bool existed = before != INVALID_FILE_ATTRIBUTES;
    std::wstring from = Wide(source), to = Wide(destination);
    if (existed && (before & ~kPlain)) SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    DWORD sourceAttributes = GetFileAttributesW(from.c_str());
    BOOL copied = CopyFileW(from.c_str(), to.c_str(), FALSE);
    DWORD error = copied ? 0 : GetLastError();
    // A copy that failed half-way (a full disk) leaves no cut file of its own behind.
    if (!copied && !existed) DeleteFileW(to.c_str());
    if (copied && sourceAttributes != INVALID_FILE_ATTRIBUTES && (sourceAttributes & ~kPlain))
        SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    if (!copied && error == 0) error = ERROR_GEN_FAILURE;
    return copied ? 0 : error;
}

DWORD MoveFileOver(const std::string& source, const std::string& destination, DWORD before,
                   FolderPermissions& permissions) {
    if (TooLongForTheSystem(source) || TooLongForTheSystem(destination)) return ERROR_FILENAME_EXCED_RANGE;
    const DWORD kPlain = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL;
    std::wstring from = Wide(source), to = Wide(destination);
    // The move would keep a source's attributes; ours are plain, and the copy is there for others.
    DWORD sourceAttributes = GetFileAttributesW(from.c_str());
    if (sourceAttributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (sourceAttributes & ~kPlain) return ERROR_NOT_SUPPORTED;
    bool existed = before != INVALID_FILE_ATTRIBUTES;
    if (existed && (before & ~kPlain)) SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    // Without MOVEFILE_COPY_ALLOWED: across volumes it is a copy, which the caller makes anyway.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        if (existed && (before & ~kPlain)) SetFileAttributesW(to.c_str(), before);
        return error ? error : ERROR_GEN_FAILURE;
    }
    DWORD error = permissions.Inherit(destination);
    if (error == ERROR_SUCCESS) return 0;
    // A file others could not read goes back, and the caller copies it; when it cannot go back it
    // stays, since the file in place is worth more than its permissions.
    return MoveFileExW(to.c_str(), from.c_str(), 0) ? error : 0;
}

namespace {

// The entry of one file as its folder lists it, looked up directly: a search would read through
// the whole folder, which makes a package of thousands of files slow to count.
bool FileEntryOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return !TooLongForTheSystem(path) && GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data);
}

}  // namespace

long FileDosDateTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileEntryOf(path, data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    const FILETIME& written = data.ftLastWriteTime;
    return DosDateTimeOf((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
}

long DosDateTimeOf(uint64_t fileTime) {
    FILETIME utc{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)}, local;
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return -1;
    return static_cast<long>(static_cast<int>((static_cast<unsigned>(date) << 16) | time));
}

bool FileSizeOf(const std::string& path, long long& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileEntryOf(path, data)) return false;
    size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

namespace {

// Separators as the system reads them: "/" counts as "\", and runs of them are one, except the
// two that open a network path.
std::string CollapseSeparators(const std::string& path) {
    std::string text;
    for (size_t i = 0; i < path.size(); ++i) {
        bool separator = path[i] == '/' || path[i] == '\\';
        if (separator && !text.empty() && text.back() == '\\' && i > 1) continue;
        text += separator ? '\\' : path[i];
    }
    return text;
}

std::string FullPathOf(const std::string& path) {
    std::wstring wide = Wide(path);
    DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    for (int attempt = 0; size != 0 && attempt < 4; ++attempt) {
        std::wstring full(size, L'\0');
        DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
        if (length == 0) break;
        if (length < size) return Narrow(full.substr(0, length));
        size = length + 1;
    }
    return path;
}

// The long form of the part of the path that exists; the rest stays as written.
std::string LongPathOf(const std::string& path) {
    std::wstring wide = Wide(path);
    DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
    if (size != 0) {
        std::wstring full(size, L'\0');
        DWORD length = GetLongPathNameW(wide.c_str(), full.data(), size);
        if (length != 0 && length < size) return Narrow(full.substr(0, length));
    }
    std::string parent = RemoveDelimiter(FolderPart(RemoveDelimiter(path, "B")), "B");
    if (parent.empty() || parent.size() >= path.size() || parent.size() <= 2) return path;
    return AddDelimiter(LongPathOf(parent), "B") + path.substr(AddDelimiter(parent, "B").size());
}

}  // namespace

// The system's own name of an existing place: links and mount points followed, other names of the
// same place (\\?\C:\..., \\.\C:\..., short names) resolved. Empty when it does not exist
// or the system cannot say (Windows before Vista).
std::string FinalPathOf(const std::string& path) {
    using FinalPathCall = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const FinalPathCall call = reinterpret_cast<FinalPathCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!call || path.empty() || TooLongForTheSystem(path)) return "";
    FileHandle file(CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return "";
    DWORD size = call(file.Get(), nullptr, 0, 0);
    if (size == 0) return "";
    std::wstring name(size, L'\0');
    DWORD length = call(file.Get(), name.data(), size, 0);
    if (length == 0 || length >= size) return "";
    name.resize(length);
    if (name.compare(0, 8, L"\\\\?\\UNC\\") == 0) return Narrow(L"\\\\" + name.substr(8));
    if (name.compare(0, 4, L"\\\\?\\") == 0) return Narrow(name.substr(4));
    return Narrow(name);
}

std::string SystemTemporaryFolder() {
    DWORD size = GetTempPathW(0, nullptr);
    std::wstring folder(size, L'\0');
    DWORD length = size ? GetTempPathW(size, folder.data()) : 0;
    return length && length < size ? Narrow(folder.substr(0, length)) : std::string();
}

std::string FullPath(const std::string& path) { return path.empty() ? path : FullPathOf(path); }

std::string CanonicalPath(const std::string& path) {
    if (path.empty()) return path;
    std::string full = FullPathOf(CollapseSeparators(path));
    // The longest part of the path that exists is named as the system resolves it; the rest, which
    // does not exist yet, stays as written.
    std::string existing = RemoveDelimiter(full, "B"), rest;
    std::string resolved;
    while (!existing.empty()) {
        // "C:" alone would name the drive's current folder.
        resolved = FinalPathOf(existing.size() == 2 && existing[1] == ':' ? existing + "\\" : existing);
        if (!resolved.empty()) break;
        std::string parent = RemoveDelimiter(FolderPart(existing), "B");
        if (parent.size() >= existing.size() || parent.size() < 2) break;
        rest = existing.substr(parent.size()) + rest;
        existing = parent;
    }
    full = resolved.empty() ? LongPathOf(full) : RemoveDelimiter(resolved, "B") + rest;
    std::string canonical = UpperCase(full);
    // A drive root keeps its backslash; every other place is written without one.
    if (canonical.size() == 2 && canonical[1] == ':') canonical += "\\";
    if (canonical.size() > 3 || (canonical.size() == 3 && canonical[1] != ':'))
        canonical = RemoveDelimiter(canonical, "B");
    return canonical;
}

std::string LocatePath(const std::string& path) { return PathExists(path) ? path : std::string(); }

std::string NameOnDisk(const std::string& path) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Wide(path).c_str(), &data));
    return find.Valid() ? Narrow(data.cFileName) : std::string();
}

std::string PathFolder(const std::string& path) { return AddDelimiter(FolderPart(path), "B"); }

std::string PathFileName(const std::string& path) { return FileNamePart(path); }
