// The file questions of the shared script model on a system that is no Windows (the native
// distribution builder): paths of this system found whatever their letter case, Windows paths
// answered for a default Windows installation (edge/fileops.h).
#include "edge/fileops.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/text.h"
#include "edge/default_windows.h"

namespace {

// "C:..." or "\\server\...": a place on the machine the distribution is installed on.
bool IsWindowsPath(const std::string& path) {
    bool drive = path.size() >= 2 && path[1] == ':' &&
                 ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive || path.compare(0, 2, "\\\\") == 0;
}

// A Windows path as the system compares places: separators collapsed (but the two that open a
// share), "." and ".." resolved, upper case, no trailing "\" but a drive root's.
std::string WindowsPlace(const std::string& path) {
    std::string text = ReplaceAll(path, "/", "\\");
    bool share = text.compare(0, 2, "\\\\") == 0;
    std::string head = share ? "\\\\" : text.substr(0, 2) + "\\";
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = head.size() - 1; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\\') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += text[i];
        }
    }
    std::string place = head;
    for (size_t i = 0; i < parts.size(); ++i) place += (i == 0 ? "" : "\\") + parts[i];
    return UpperCase(place);
}

bool IsDefaultFile(const std::string& path) {
    std::string place = WindowsPlace(path);
    for (const std::string& file : DefaultSystemFiles())
        if (WindowsPlace(file) == place) return true;
    return false;
}

bool IsDefaultFolder(const std::string& path) {
    std::string place = WindowsPlace(path);
    if (place == "C:\\") return true;
    for (const std::string& folder : DefaultSystemFolders()) {
        // The folder itself, or one above it.
        std::string known = WindowsPlace(folder) + "\\";
        if (known.compare(0, place.size(), place) == 0 && known[place.size()] == '\\') return true;
    }
    return false;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string NativeSeparators(const std::string& path) { return ReplaceAll(path, "\\", "/"); }

bool Exists(const std::string& path, struct stat& info) { return !path.empty() && stat(path.c_str(), &info) == 0; }

// The entry of the folder that equals the name without regard to letter case; the first in byte
// order when several do, empty when none does.
std::string EntryNoCase(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
    if (!dir) return "";
    std::string wanted = UpperCase(name), found;
    while (const dirent* entry = readdir(dir.get())) {
        std::string candidate = entry->d_name;
        if (UpperCase(candidate) == wanted && (found.empty() || candidate < found)) found = candidate;
    }
    return found;
}

}  // namespace

std::string LocatePath(const std::string& path) {
    if (path.empty() || IsWindowsPath(path) || TooLongForTheSystem(path)) return "";
    std::string native = NativeSeparators(path);
    struct stat info {};
    if (Exists(native, info)) return native;
    // Component by component: each that is missing in its own spelling is taken as its folder spells it.
    std::string located = native[0] == '/' ? "/" : "";
    size_t at = located.size();
    while (at < native.size()) {
        size_t end = native.find('/', at);
        if (end == std::string::npos) end = native.size();
        std::string name = native.substr(at, end - at);
        at = end + 1;
        if (name.empty()) continue;
        if (!Exists(located + name, info) && (name = EntryNoCase(located, name)).empty()) return "";
        located += name + "/";
    }
    if (!IsSeparator(path.back()) && located.size() > 1) located.pop_back();
    return located;
}

bool FolderExists(const std::string& folder) {
    if (IsWindowsPath(folder)) return IsDefaultFolder(folder);
    struct stat info {};
    return Exists(LocatePath(folder), info) && S_ISDIR(info.st_mode);
}

DWORD FileAttributesOf(const std::string& path) {
    if (IsWindowsPath(path)) {
        if (IsDefaultFolder(path)) return FILE_ATTRIBUTE_DIRECTORY;
        return IsDefaultFile(path) ? FILE_ATTRIBUTE_ARCHIVE : INVALID_FILE_ATTRIBUTES;
    }
    struct stat info {};
    if (!Exists(LocatePath(path), info)) return INVALID_FILE_ATTRIBUTES;
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
}

bool PathExists(const std::string& path) { return FileAttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

DWORD ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    // What Windows itself has is there, but not here to be read.
    if (IsWindowsPath(path)) {
        if (IsDefaultFile(path)) return ERROR_ACCESS_DENIED;
        return IsDefaultFolder(PathFolder(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    std::string located = LocatePath(path);
    struct stat info {};
    if (!Exists(located, info)) return ERROR_FILE_NOT_FOUND;
    if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(located.c_str(), "rb"), std::fclose);
    if (!file) return ERROR_ACCESS_DENIED;
    char buffer[1 << 16];
    for (size_t got; (got = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0;) {
        bytes.append(buffer, got);
        if (bytes.size() >= 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
    }
    return std::ferror(file.get()) ? ERROR_READ_FAULT : ERROR_SUCCESS;
}

std::string CanonicalPath(const std::string& path) {
    if (path.empty()) return path;
    if (IsWindowsPath(path)) return WindowsPlace(path);
    std::string native = NativeSeparators(path);
    if (native[0] != '/') {
        std::unique_ptr<char, void (*)(void*)> current(getcwd(nullptr, 0), std::free);
        native = std::string(current ? current.get() : "") + "/" + native;
    }
    // Resolved as text: a place of this system is never compared with one on Windows.
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= native.size()) {
        size_t end = native.find('/', at);
        if (end == std::string::npos) end = native.size();
        std::string part = native.substr(at, end - at);
        at = end + 1;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string canonical;
    for (const std::string& part : parts) canonical += "/" + part;
    return UpperCase(canonical.empty() ? "/" : canonical);
}

std::string NameOnDisk(const std::string& path) {
    std::string located = LocatePath(path);
    return located.empty() ? located : PathFileName(located);
}

std::string PathFolder(const std::string& path) {
    size_t at = path.find_last_of("/\\");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string PathFileName(const std::string& path) { return path.substr(PathFolder(path).size()); }
