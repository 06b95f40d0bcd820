#include "edge/folder_entries.h"

#include <aclapi.h>

#include "base/text.h"
#include "edge/handles.h"
#include "edge/wide.h"

namespace {

// Upper case as the system compares file names, as UTF-8.
std::string Folded(const std::wstring& text) { return UpperCaseAsSystem(Narrow(text)); }

// The length of the folder part, up to and including the last separator; 0 when there is none.
size_t FolderLength(const std::wstring& path) {
    size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? 0 : separator + 1;
}

// Names the system would not look up as they stand (patterns, or the trailing dots and blanks it
// drops) are asked of it directly.
bool PlainName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"*?<>|\":") == std::wstring::npos && name.back() != L'.' &&
           name.back() != L' ';
}

// Lets the system work out the file's permissions from its folder's (the slow way: it looks at the
// folder for every file).
DWORD InheritFromFolder(const std::wstring& path) {
    ACL empty;
    if (!InitializeAcl(&empty, sizeof(empty), ACL_REVISION)) return GetLastError();
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | UNPROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 &empty, nullptr);
}

// The permissions of a file made in the folder, as a self-relative security descriptor; "" when no
// file can be made there. The file is deleted as its handle closes.
std::string NewFilePermissions(const std::wstring& folder) {
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        std::wstring probe =
            folder + Wide("~OVACL" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(attempt) + ".TMP");
        FileHandle file(CreateFileW(probe.c_str(), READ_CONTROL | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return "";
        }
        DWORD size = 0;
        GetKernelObjectSecurity(file.Get(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
        std::string descriptor(size, '\0');
        if (size == 0 || !GetKernelObjectSecurity(file.Get(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size))
            return "";
        return descriptor;
    }
    return "";
}

}  // namespace

FolderEntries::Folder& FolderEntries::Listing(const std::wstring& folder) {
    std::string key = Folded(folder);
    auto known = folders_.find(key);
    if (known != folders_.end()) return known->second;
    Folder& listing = folders_[key];
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find.Valid()) return listing;
    do {
        listing.names[Folded(data.cFileName)] = data.dwFileAttributes;
        if (data.cAlternateFileName[0]) listing.names[Folded(data.cAlternateFileName)] = data.dwFileAttributes;
    } while (FindNextFileW(find.Get(), &data));
    listing.listed = GetLastError() == ERROR_NO_MORE_FILES;
    if (!listing.listed) listing.names.clear();
    return listing;
}

DWORD FolderEntries::Attributes(const std::string& path) {
    if (TooLongForTheSystem(path)) return INVALID_FILE_ATTRIBUTES;
    std::wstring wide = Wide(path);
    size_t length = FolderLength(wide);
    std::wstring name = wide.substr(length);
    if (length == 0 || !PlainName(name)) return GetFileAttributesW(wide.c_str());
    Folder& folder = Listing(wide.substr(0, length));
    if (!folder.listed) return GetFileAttributesW(wide.c_str());
    auto entry = folder.names.find(Folded(name));
    if (entry == folder.names.end()) return INVALID_FILE_ATTRIBUTES;
    return entry->second == kAsk ? GetFileAttributesW(wide.c_str()) : entry->second;
}

void FolderEntries::Forget(const std::string& path) {
    std::wstring wide = Wide(path);
    size_t length = FolderLength(wide);
    // A folder not listed yet is listed as it is when it is first asked about.
    auto folder = folders_.find(Folded(wide.substr(0, length)));
    if (length != 0 && folder != folders_.end() && folder->second.listed) folder->second.names[Folded(wide.substr(length))] = kAsk;
}

DWORD FolderPermissions::Inherit(const std::string& file) {
    std::wstring wide = Wide(file);
    size_t length = FolderLength(wide);
    if (length == 0) return InheritFromFolder(wide);
    std::string key = Folded(wide.substr(0, length));
    auto known = byFolder_.find(key);
    if (known == byFolder_.end()) known = byFolder_.emplace(key, NewFilePermissions(wide.substr(0, length))).first;
    std::string& descriptor = known->second;
    if (!descriptor.empty() &&
        SetFileSecurityW(wide.c_str(), DACL_SECURITY_INFORMATION, descriptor.data()))
        return 0;
    return InheritFromFolder(wide);
}
