#pragma once
// The files and subfolders of a folder tree, in an order that does not depend on the system or
// the file system, so that what is made from a listing is the same on every run and platform.
//
// Paths are UTF-8 (on Windows converted from the wide names, so any name is listed). A link to a
// folder (a symbolic link, or a junction on Windows) is listed as such and never followed: a
// listing cannot loop, and nothing outside the tree is taken in by accident.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class DirEntryKind {
    kFile,        // a file, or a link to one (listed with the file's size)
    kFolder,
    kFolderLink,  // not followed
    kOther,       // a broken link, a device, a pipe, ...
};

struct DirEntry {
    std::string path;  // relative to the listed folder, "\" between the components
    std::string name;  // the last component as the system names it (on Linux it may hold a "\")
    DirEntryKind kind = DirEntryKind::kFile;
    uint64_t size = 0;  // files only
};

struct DirListing {
    // Pre-order: a folder comes right before its contents; the entries of one folder are sorted
    // by name, ASCII letters compared without regard to case, ties in byte order.
    std::vector<DirEntry> entries;
    std::vector<std::string> unreadable;  // relative paths of subfolders that could not be read
};

// False when the folder itself cannot be read; an unreadable subfolder is listed and named in
// listing.unreadable.
bool ListFolderTree(const std::string& utf8Folder, DirListing& listing);

// folder + the system's separator + relative (whose "\" become the system's separator).
std::string JoinPath(const std::string& folder, std::string_view relative);

// The folder's own name, "." and ".." resolved; empty for a root or a folder that does not exist.
std::string FolderName(const std::string& utf8Folder);

// Makes every missing folder above the last component of the path; false when one cannot be made.
bool MakeParentFolders(const std::string& utf8Path);

// The order of ListFolderTree within one folder.
bool DirNameLess(std::string_view a, std::string_view b);
