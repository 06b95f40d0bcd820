#pragma once
// What a run that puts thousands of files into a few folders asks of each folder, found once per
// folder instead of once per file.
#include <windows.h>

#include <map>
#include <string>

// The attributes of the files of the folders asked about, from one listing per folder. Looking up
// a name that a folder does not hold makes some file systems (and Wine) read the whole folder;
// a copy into an empty folder asks that for every file. A name the run has written since is
// asked of the system again (Forget).
class FolderEntries {
public:
    // As FileAttributesOf: INVALID_FILE_ATTRIBUTES for a name the folder does not hold.
    DWORD Attributes(const std::string& path);
    // The file was written, replaced or deleted: the next question about it goes to the system.
    void Forget(const std::string& path);

private:
    // No file has every attribute but the first: the mark of a name written since the listing.
    static constexpr DWORD kAsk = 0xFFFFFFFE;
    struct Folder {
        bool listed = false;                 // false: the folder could not be listed, ask each time
        std::map<std::string, DWORD> names;  // long and short names; kAsk: written since
    };
    Folder& Listing(const std::wstring& folder);

    // Keys are UTF-8 texts upper-cased as the system compares file names.
    std::map<std::string, Folder> folders_;  // by folder, with its final "\"
};

// The permissions a new file gets in each folder, found once per folder by making a file there
// and deleting it at once: given to a file moved in from elsewhere, it ends up as a copy made
// there would. Where that cannot be found, the system works them out for the file itself.
class FolderPermissions {
public:
    // 0 or the Windows error code.
    DWORD Inherit(const std::string& file);

private:
    std::map<std::string, std::string> byFolder_;  // by upper-cased folder: a self-relative security
                                                   // descriptor, "" unknown
};
