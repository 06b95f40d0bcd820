#pragma once
// The basic operations every part of the program uses: the message box and file/folder tests.
//
// Windows: fileops.cpp (and fileops_common.cpp, the part that is the same everywhere). On a system
// that is no Windows (the native distribution builder) fileops_posix.cpp answers the questions the
// shared script model asks (FolderExists, FileAttributesOf, FileExists, PathExists, ReadWholeFile,
// CanonicalPath, LocatePath, NameOnDisk, PathFolder, PathFileName); it changes nothing on disk.
// A path there is one of two kinds:
// - a path of this system ("/dist/SETUP.INI"), in which "\" separates too (the script's relative
//   names), found whatever its letter case as Windows finds it: a component missing in its own
//   spelling is the entry of its folder that equals it in upper case (base/text.h UpperCase), the
//   first in byte order when several do;
// - a Windows path ("C:\...", "\\server\..."), a place on the machine the distribution is
//   installed on: the folders and the few programs of Windows itself that a default installation
//   has (edge/default_windows.h) are there, nothing else is.
#include <cstdint>
#include <functional>
#include <string>

#include "edge/platform.h"

// Shows an application-modal box (all windows of the program disabled meanwhile) and returns the
// pressed button: IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7. The one way the program shows a message.
int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags);

// While a responder is installed, ShowMessageBox calls it instead of showing a box: the unattended
// run answers every question that way, and tests do.
using MessageBoxResponder =
    std::function<int(const std::string& text, const std::string& title, unsigned flags)>;
void SetMessageBoxResponder(MessageBoxResponder responder);
// Sees every message before it is shown or answered (the run log records them).
using MessageObserver = std::function<void(const std::string& text, const std::string& title, unsigned flags)>;
void SetMessageObserver(MessageObserver observer);
// How many error messages (an OK button alone, with the stop or exclamation icon) the program has
// shown so far: the exit code tells a run that reported an error.
unsigned ErrorMessageCount();

bool FolderExists(const std::string& folder);
bool ForceFolders(const std::string& path);
DWORD CopyFileOver(const std::string& source, const std::string& destination);
// The same with the destination's attributes as the caller just looked them up (FileAttributesOf):
// a new file's lookup searches the whole folder for the missing name, so it is made once.
DWORD CopyFileOver(const std::string& source, const std::string& destination, DWORD destinationAttributes);
// Moves a file of our own over the destination (attributes as for CopyFileOver) when both lie on
// the same volume; the moved file then takes the permissions of its new folder, as a copy made
// there would (edge/folder_entries.h). A failure (another volume, a file in use, permissions that
// cannot be reset) leaves the source where it was and the destination as it was: the caller
// copies instead.
class FolderPermissions;
DWORD MoveFileOver(const std::string& source, const std::string& destination, DWORD destinationAttributes,
                   FolderPermissions& permissions);

// The whole content of a file (others may keep reading, writing or deleting it meanwhile);
// 0 or the Windows error code (ERROR_FILE_NOT_FOUND for a missing file).
DWORD ReadWholeFile(const std::string& path, std::string& bytes);
// Creates or replaces the file with the bytes; 0 or the Windows error code of the writing or of
// the closing (data that only the close writes out may not fit on the disk).
DWORD WriteWholeFile(const std::string& path, const std::string& bytes);

// The running program's own file path.
std::string ProgramFilePath();

bool FileExists(const std::string& path);  // a file, not a folder
bool IsFileAttributes(DWORD attributes);    // FileExists of what FileAttributesOf answered
DWORD FileAttributesOf(const std::string& path);  // INVALID_FILE_ATTRIBUTES when not there
bool PathExists(const std::string& path);  // a file or a folder
// Last-write time as a packed DOS date and time (local), compared as a signed number; -1 when unknown.
long FileDosDateTime(const std::string& path);
// The same for a time in the file system's units (100 ns since 1601, UTC).
long DosDateTimeOf(uint64_t fileTime);
// Size of a file of any attributes; false when it cannot be looked up.
bool FileSizeOf(const std::string& path, long long& size);

// The place a path names, spelt one way, for deciding whether two spellings name the same place:
// the full path with "." and ".." resolved and doubled separators collapsed; as far as it exists,
// the system's final name of it (links, junctions and mount points followed, short names and other
// names such as "\\?\C:\" resolved); in upper case, without a trailing "\" (a drive root keeps
// its own, "C:\"). Never for showing or opening: the letter case is lost. Empty for an empty path.
std::string CanonicalPath(const std::string& path);
// The system's temporary folder (with its trailing "\"); empty when the system names none.
std::string SystemTemporaryFolder();
// The full path of a path relative to the current folder (or drive), as the system completes it.
std::string FullPath(const std::string& path);
// The system's final name of an existing file or folder (links followed); empty when it does not
// exist or the system cannot say.
std::string FinalPathOf(const std::string& path);
// A path in the system's device namespace ("\\.\", "\\?\", "\??\") or on a share that the system
// keeps for itself ("\\server\C$\", "\\server\ADMIN$\"): never a name a log needs for a program's
// own files.
bool IsDeviceOrAdminSharePath(const std::string& path);
// Whether the canonical place of inner is that of outer or lies below it.
bool IsSameOrInside(const std::string& inner, const std::string& outer);

// The path under which this system opens the file or folder the path names, letter case ignored
// as on Windows: on Windows the path itself, elsewhere each component as its folder spells it.
// Empty when nothing is there.
std::string LocatePath(const std::string& path);
// The name under which the folder holds the file (found whatever its letter case); empty when absent.
std::string NameOnDisk(const std::string& path);
// The folder of a path of this system, ending with a separator, and the name in it: on Windows
// split at the last "\" or ":" (AddDelimiter(FolderPart(path), "B"), FileNamePart), elsewhere at
// the last "/" or "\" (the folder is empty for a bare name).
std::string PathFolder(const std::string& path);
std::string PathFileName(const std::string& path);
