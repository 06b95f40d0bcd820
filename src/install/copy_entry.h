#pragma once
// The [CopyFile] entry of the install script and the small decisions of the copy phase that need
// no file system: destination and source derivation, the overwrite rule, the progress counter.
#include <string>

// One [CopyFile] value taken apart (macros already expanded by the caller).
struct CopyEntry {
    bool diskChange = false;   // "(Dch)" at the very start, exact case; removed from the target
    std::string target;        // first ','-field up to the first "|"
    std::string newName;       // text after the first "|" of the first field
    std::string options;       // second ','-field ("/S", "/W", "/R" anywhere in it)
    std::string destination;   // where the file goes ("AUTO.EXT" for a compressed file without new name)
    std::string sourceName;    // file-name part of the target: the file in the source folder
};

CopyEntry ParseCopyEntry(const std::string& expandedValue);

// The option flags, as case-insensitive substrings of the options field.
bool HasSharedFlag(const CopyEntry& entry);        // "/S"
bool HasAlwaysWriteFlag(const CopyEntry& entry);   // "/W"
bool HasRegisterFlag(const CopyEntry& entry);      // "/R"

// True when the path names a compressed file (its last byte is "_").
bool IsCompressedName(const std::string& path);

// The item that the uninstall list gets for a file: the destination, then "," and the options
// when there are any.
std::string FileLogItem(const std::string& destination, const std::string& options);

// The overwrite rule for an existing destination under automatic overwriting: only a source whose
// packed DOS date and time is later (signed comparison; -1 for an unreadable time) is copied.
bool SourceIsNewer(long sourceDosTime, long destinationDosTime);

// The progress percentage: by bytes while every size is known, else by entry number; kept in
// 0 … 100 (the bar's range).
int ProgressPercent(bool sizesKnown, long long copiedBytes, long long totalBytes, long entryNumber,
                    long entryCount);
// "45%(9/20)": the bar's position, the processed entries and the entry count.
std::string ProgressLabel(int position, long processedCount, long entryCount);
