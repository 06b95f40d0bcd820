#include "base/dir_list.h"

#include <algorithm>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "base/utf.h"
#else
#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#endif

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

#ifdef _WIN32

constexpr char kSeparator = '\\';

std::wstring Wide(std::string_view utf8) {
    std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.c_str()), wide.size());
}

std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (Valid()) FindClose(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

DirEntry EntryOf(const WIN32_FIND_DATAW& data) {
    DirEntry entry;
    entry.name = Narrow(data.cFileName);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                    (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
        entry.kind = link ? DirEntryKind::kFolderLink : DirEntryKind::kFolder;
    } else {
        entry.kind = DirEntryKind::kFile;
        entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return entry;
}

// The entries of one folder, unsorted.
bool ReadFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW(Wide(JoinPath(folder, "*")).c_str(), &data));
    if (!find.Valid()) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive
    do {
        std::wstring_view name(data.cFileName);
        if (name != L"." && name != L"..") entries.push_back(EntryOf(data));
    } while (FindNextFileW(find.Get(), &data));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

#else  // POSIX

constexpr char kSeparator = '/';

class DirHandle {
public:
    explicit DirHandle(DIR* dir) : dir_(dir) {}
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;
    ~DirHandle() {
        if (dir_) closedir(dir_);
    }
    DIR* Get() const { return dir_; }

private:
    DIR* dir_;
};

DirEntry EntryOf(const std::string& path, const char* name) {
    DirEntry entry;
    entry.name = name;
    entry.kind = DirEntryKind::kOther;
    struct stat own, target;
    if (lstat(path.c_str(), &own) != 0) return entry;
    bool link = S_ISLNK(own.st_mode);
    if (link && stat(path.c_str(), &target) != 0) return entry;  // a broken link
    const struct stat& seen = link ? target : own;
    if (S_ISDIR(seen.st_mode)) {
        entry.kind = link ? DirEntryKind::kFolderLink : DirEntryKind::kFolder;
    } else if (S_ISREG(seen.st_mode)) {
        entry.kind = DirEntryKind::kFile;
        entry.size = static_cast<uint64_t>(seen.st_size);
    }
    return entry;
}

bool ReadFolder(const std::string& folder, std::vector<DirEntry>& entries) {
    DirHandle dir(opendir(folder.c_str()));
    if (!dir.Get()) return false;
    while (const dirent* item = readdir(dir.Get())) {
        std::string_view name(item->d_name);
        if (name == "." || name == "..") continue;
        std::string path = folder.back() == '/' ? folder : folder + "/";
        entries.push_back(EntryOf(path + item->d_name, item->d_name));
    }
    return true;
}

#endif

// Lists the folder at systemPath (relative: its path in the listing) into listing.
bool ListInto(const std::string& systemPath, const std::string& relative, DirListing& listing) {
    std::vector<DirEntry> entries;
    if (!ReadFolder(systemPath, entries)) return false;
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return DirNameLess(a.name, b.name); });
    for (DirEntry& entry : entries) {
        entry.path = relative.empty() ? entry.name : relative + "\\" + entry.name;
        bool folder = entry.kind == DirEntryKind::kFolder;
        std::string childPath = systemPath;
        if (!IsSeparator(childPath.back())) childPath += kSeparator;
        childPath += entry.name;
        std::string childRelative = entry.path;
        listing.entries.push_back(std::move(entry));
        if (folder && !ListInto(childPath, childRelative, listing)) listing.unreadable.push_back(childRelative);
    }
    return true;
}

}  // namespace

bool DirNameLess(std::string_view a, std::string_view b) {
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::string JoinPath(const std::string& folder, std::string_view relative) {
    if (relative.empty()) return folder;
    std::string path = folder;
    if (!path.empty() && !IsSeparator(path.back())) path += kSeparator;
    for (char c : relative) path += c == '\\' ? kSeparator : c;
    return path;
}

bool ListFolderTree(const std::string& utf8Folder, DirListing& listing) {
    listing = DirListing{};
    if (utf8Folder.empty()) return false;
    std::string folder = utf8Folder;
    // Keep a root's separator ("/", "C:\"); drop any other trailing one.
    while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != ':') folder.pop_back();
    return ListInto(folder, "", listing);
}

std::string FolderName(const std::string& utf8Folder) {
    std::string full;
#ifdef _WIN32
    std::wstring wide = Wide(utf8Folder);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return {};
    std::wstring buffer(length, L'\0');
    length = GetFullPathNameW(wide.c_str(), length, buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return {};
    full = Narrow(std::wstring_view(buffer.data(), length));
#else
    char* resolved = realpath(utf8Folder.c_str(), nullptr);
    if (!resolved) return {};
    full = resolved;
    std::free(resolved);
#endif
    while (!full.empty() && IsSeparator(full.back())) full.pop_back();
    size_t slash = full.size();
    while (slash > 0 && !IsSeparator(full[slash - 1])) --slash;
    std::string name = full.substr(slash);
    if (!name.empty() && name.back() == ':') return {};  // a drive
    return name;
}

bool MakeParentFolders(const std::string& utf8Path) {
    // Every folder above the last component, from the top down; those that exist are left alone.
    for (size_t at = 1; at < utf8Path.size(); ++at) {
        if (!IsSeparator(utf8Path[at]) || IsSeparator(utf8Path[at - 1]) || utf8Path[at - 1] == ':') continue;
        std::string folder = utf8Path.substr(0, at);
#ifdef _WIN32
        std::wstring wide = Wide(folder);
        if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            DWORD attributes = GetFileAttributesW(wide.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        }
#else
        struct stat info {};
        if (mkdir(folder.c_str(), 0755) != 0 && (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)))
            return false;
#endif
    }
    return true;
}
