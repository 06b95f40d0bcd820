#pragma once
// A single-file distribution made from a distribution folder (setupmak DIST /OUT=FILE): the plain
// SETUP.EXE followed by a payload (base/payload.h) that holds the script and every file the
// folder holds, so that the extracted folder is a folder distribution SETUP.EXE runs as it is.
//
// Where the sources of [CopyFile] entries come from: SETUP.EXE looks for the file-name part of an
// entry's target in its own folder. The builder looks there first and then, for a file not found
// there, in the places a distributor keeps such files, and packs it under the name SETUP.EXE looks
// for:
// - DISK<n>\<name> for the entries of the n-th disk (after n-1 "(Dch)" marks): a distribution of
//   several disks kept in one folder;
// - the destination's place below the install folder ("(App)Data\SETTINGS.INI" from
//   Data\SETTINGS.INI): an application folder with a starting script (setupmak /NEW);
// - System\<name> for an entry whose destination is the system folder.
// A single file has no disks: the packed script loses its "(Dch)" marks (nothing else of it
// changes), so the install never asks for another disk. The folder itself stays as it is.
//
// The same folder gives the same bytes: entries in a fixed order, and no time of the build. Each
// file's last-write time is packed (the install decides on it whether to overwrite an older
// file); with SOURCE_DATE_EPOCH set, later times are packed as that time, so that fresh checkouts
// of one commit give the same bytes too.
#include <string>
#include <vector>

struct SourceQuery;

// The builder's lookup of a [CopyFile] source in the folder (paths of this system, "" when none);
// installFolder is the folder the script installs into (destinations below it are looked up in
// the application's layout).
std::string ResolveBuilderSource(const std::string& distFolder, const std::string& installFolder,
                                 const SourceQuery& query);

// One file of the payload: its name in the extracted folder and where it is now.
struct PackedFile {
    std::string name;  // "\" between folders
    std::string path;  // a path of this system
};

// What the payload holds: every file of the folder under its own relative name (but SETUP.EXE
// and the outputs, single files, of the builder), and the sources found elsewhere (see above)
// under the names SETUP.EXE looks for instead of their own. sources: the sources of the script's
// entries (name: the entry's source name, path: what ResolveBuilderSource gave). False with a
// message when one name would come from two different files.
bool PlanPackedFiles(const std::string& distFolder, const std::vector<PackedFile>& sources,
                     std::vector<PackedFile>& files, std::string& problem);

// The script without the "(Dch)" marks of its [CopyFile] entries, byte for byte otherwise.
std::string WithoutDiskChanges(const std::string& scriptBytes);

// Writes the single file: the plain program, then the files (SETUP.INI's bytes from
// scriptBytes). Empty on success, else what went wrong (English; the caller translates).
std::string WriteSingleFile(const std::string& plainProgram, const std::vector<PackedFile>& files,
                            const std::string& scriptBytes, const std::string& output);
