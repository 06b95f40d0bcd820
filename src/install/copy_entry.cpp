#include "install/copy_entry.h"

#include <cmath>

#include "base/text.h"

namespace {

const char kDiskChangePrefix[] = "(Dch)";
const char kAutoExt[] = "AUTO.EXT";

// The target's folder without its trailing "\" (empty for a bare name).
std::string FolderWithoutDelimiter(const std::string& path) {
    return RemoveDelimiter(FolderPart(path), "B");
}

}  // namespace

CopyEntry ParseCopyEntry(const std::string& expandedValue) {
    CopyEntry entry;
    std::string value = expandedValue;
    if (value.compare(0, 5, kDiskChangePrefix) == 0) {
        entry.diskChange = true;
        value.erase(0, 5);
    }
    std::string first = GetField(value, ",", 1);
    entry.options = GetField(value, ",", 2);
    // "|" can be the trail byte of a double-byte character: only a "|" of its own splits.
    size_t bar = FindMbcs("|", first);
    if (bar != 0) {
        entry.target = first.substr(0, bar - 1);
        entry.newName = first.substr(bar);
    } else {
        entry.target = first;
    }
    entry.sourceName = FileNamePart(entry.target);

    if (!entry.newName.empty()) {
        std::string separator = IsPathDelimiterAt(entry.newName, 0) ? "" : "\\";
        entry.destination = FolderWithoutDelimiter(entry.target) + separator + entry.newName;
    } else if (IsCompressedName(entry.target)) {
        entry.destination = FolderWithoutDelimiter(entry.target) + "\\" + kAutoExt;
    } else {
        entry.destination = entry.target;
    }
    return entry;
}

bool HasSharedFlag(const CopyEntry& entry) { return FindNoCase("/S", entry.options) != 0; }
bool HasAlwaysWriteFlag(const CopyEntry& entry) { return FindNoCase("/W", entry.options) != 0; }
bool HasRegisterFlag(const CopyEntry& entry) { return FindNoCase("/R", entry.options) != 0; }

bool IsCompressedName(const std::string& path) { return !path.empty() && path.back() == '_'; }

std::string FileLogItem(const std::string& destination, const std::string& options) {
    return options.empty() ? destination : destination + "," + options;
}

bool SourceIsNewer(long sourceDosTime, long destinationDosTime) {
    return static_cast<int>(sourceDosTime) > static_cast<int>(destinationDosTime);
}

int ProgressPercent(bool sizesKnown, long long copiedBytes, long long totalBytes, long entryNumber,
                    long entryCount) {
    double percent = 0;
    if (sizesKnown) {
        if (totalBytes > 0) percent = std::trunc(static_cast<double>(copiedBytes) / static_cast<double>(totalBytes) * 100.0);
    } else if (entryCount > 0) {
        percent = static_cast<double>(static_cast<long long>(entryNumber) * 100 / entryCount);
    }
    if (percent < 0) return 0;
    if (percent > 100) return 100;
    return static_cast<int>(percent);
}

std::string ProgressLabel(int position, long processedCount, long entryCount) {
    return IntToStr(position) + "%(" + IntToStr(processedCount) + "/" + IntToStr(entryCount) + ")";
}
