#include "edge/fileops.h"

#include "base/text.h"

// The parts of the file operations that are the same on every system.

bool IsFileAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FileExists(const std::string& path) { return IsFileAttributes(FileAttributesOf(path)); }

bool IsDeviceOrAdminSharePath(const std::string& path) {
    std::string text = ReplaceAll(path, "/", "\\");
    if (text.compare(0, 4, "\\\\.\\") == 0 || text.compare(0, 4, "\\\\?\\") == 0 ||
        text.compare(0, 4, "\\??\\") == 0)
        return true;
    if (text.compare(0, 2, "\\\\") != 0) return false;
    // \\server\share\...: a share whose name ends in "$" is one the system keeps for itself.
    size_t shareStart = text.find('\\', 2);
    if (shareStart == std::string::npos) return false;
    size_t shareEnd = text.find('\\', shareStart + 1);
    std::string share = text.substr(shareStart + 1, shareEnd == std::string::npos ? std::string::npos : shareEnd - shareStart - 1);
    return !share.empty() && share.back() == '$';
}

bool IsSameOrInside(const std::string& inner, const std::string& outer) {
    std::string in = AddDelimiter(CanonicalPath(inner), "B");
    std::string out = AddDelimiter(CanonicalPath(outer), "B");
    return !out.empty() && in.compare(0, out.size(), out) == 0;
}
