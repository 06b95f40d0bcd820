#pragma once
// The uninstall log UNSETUP.INI: the install run's removal lists, how their entries are numbered
// and merged with the log of an earlier install, how the whole log is written at the end of the
// run, and how the uninstall run reads it back.
#include <array>
#include <string>
#include <vector>

#include "edge/platform.h"
#include "script/ini_document.h"

// The log in the install folder, and the snapshot of an earlier one in the work folder.
inline constexpr char kUninstallLogName[] = "UNSETUP.INI";
inline constexpr char kUninstallLogBackupName[] = "UNSETUPB.INI";

// A numbered list of the log: section, and the word that numbers its keys (File1, File2, ...).
struct LogList {
    const char* Section;
    const char* KeyPrefix;
};
inline constexpr LogList kFolderList{"DeleteFolder", "Folder"};
inline constexpr LogList kFileList{"DeleteFile", "File"};
inline constexpr LogList kShortcutList{"DeleteShortCut", "File"};
inline constexpr LogList kRegistryList{"DeleteRegistry", "Key"};
inline constexpr LogList kAddDeleteList{"AddDeleteFile", "File"};
inline constexpr LogList kRestoreRelateList{"RestoreRelate", "Key"};

// What an install run will have removed: items appended in the order of the work. Items are kept
// whole, so a path whose double-byte characters hold the byte of "|" stays one item.
class RemovalList {
public:
    void Append(const std::string& item) { items_.push_back(item); }
    const std::vector<std::string>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }
    size_t Size() const { return items_.size(); }
    void Clear() { items_.clear(); }
    // The text form: every item followed by "|".
    std::string Text() const;

private:
    std::vector<std::string> items_;
};

struct RemovalLists {
    RemovalList FolderLog;     // [DeleteFolder]
    RemovalList FileLog;       // [DeleteFile]
    RemovalList ShortcutLog;   // [DeleteShortCut]
    RemovalList RegistryLog;   // [DeleteRegistry]
    RemovalList AddDeleteLog;  // [AddDeleteFile]
};

// Association records to restore at uninstall: extension "," previous file type, or empty.
using RestoreRelateSlots = std::array<std::string, 20>;

// Puts a record of an earlier log into the first empty slot, unless a slot before it already
// holds a record for the same extension (the earlier record keeps the older file type) or no
// slot is empty. True when stored.
bool MergeRestoreRelate(RestoreRelateSlots& slots, const std::string& record);

// Takes over the log of an earlier install into the same folder, before the run changes
// anything: copies logPath (when it exists) to backupPath, merges the log's [RestoreRelate] Key1
// to Key20 into the slots, and appends the snapshot's five lists, each up to its first empty
// value, to the removal lists. A re-install thus keeps what the earlier install would remove.
void TakeOverEarlierLog(const std::string& logPath, const std::string& backupPath,
                        RestoreRelateSlots& slots, RemovalLists& lists);

// The number under which an item of a list is written: the first number whose value is empty,
// or whose path (first comma field) equals the item's path case-insensitively, whichever comes
// first. An item already listed thus replaces its entry in place; a new one takes a free number.
long LogSlot(const std::string& item, const std::string& section, const std::string& keyPrefix,
             const IniDocument& log);

// "Setup Only." anywhere in the uninstall title (any letter case): an install without uninstall.
bool IsSetupOnly(const std::string& unSetupTitle);

// The Add/Remove Programs key (under HKEY_LOCAL_MACHINE) of an uninstall key name.
std::string UninstallKeyPathOf(const std::string& keyName);
// True only for a key strictly below the Add/Remove Programs key: the one kind of key the
// uninstall may delete from a log's [UnSetupRegistryKey]. The Uninstall key itself (an empty key
// name, a hand-edited log) would take every program's entry with it.
bool IsUninstallEntryKey(const std::string& keyPath);

// Everything the log records, filled by the install run.
struct UninstallLogContent {
    std::string InstallFolder;     // [SetupFolder] Folder, ending with "\"
    std::string UnSetupTitle;      // [Title] UnSetup
    std::string SetupWord;         // [Extend] SetupString
    std::string UnSetupWord;       // [Extend] UnSetupString, also in [Information] Message4
    std::string UnSetupOption;     // [UnSetupOption] CheckBox, written only when not empty
    std::string UninstallKeyPath;  // [UnSetupRegistryKey] Key (UninstallKeyPathOf)
    std::string ProgramId;         // [ProgramID] ID, written even when empty
    RemovalLists Lists;
    RestoreRelateSlots RestoreRelateKeys{};
};

// The whole log as the install run leaves it: the sections in their fixed order, every list
// item at its LogSlot number, a shared mark ("/S") of an entry never lost when the same file is
// written again without it.
IniDocument BuildUninstallLog(const UninstallLogContent& content);

// Writes the log at logPath in one piece, replacing an earlier file (so no separate deletion is
// needed). Under "Setup Only." nothing is written and an existing log stays as it is.
// Returns a Windows error code, 0 on success.
DWORD WriteUninstallLog(const UninstallLogContent& content, const std::string& logPath);

// The build that writes the log. A 32-bit and a 64-bit program of the same install script use
// different places on 64-bit Windows (registry view, system and program files folders), so each
// install is removed by an uninstaller of its own bitness: each build keeps its own copy in the
// Windows folder, the Add/Remove entry names it, and the log says which ([Platform] Bits).
inline constexpr bool kSixtyFourBitBuild = sizeof(void*) == 8;
// The uninstaller copy's file name in the Windows folder: "UNOVNOVA.EXE" for the 32-bit build,
// "UNOVNOVA64.EXE" for the 64-bit one.
std::string UninstallerFileName(bool sixtyFourBit);
enum class LogBitness { Unknown, ThirtyTwo, SixtyFour };
// Unknown for a log written before the key existed.
LogBitness ReadLogBitness(const IniDocument& log);

// Reading the log in the uninstall run.

// The values of a numbered list from 1 up to the first absent or empty one (a gap ends it).
std::vector<std::string> ReadNumberedList(const IniDocument& log, const LogList& list);

// A [DeleteFile] or [AddDeleteFile] entry: path, then the options field ("/S", "/C", "/L", "/F").
struct LogEntry {
    std::string Path;
    std::string Options;
};
LogEntry SplitLogEntry(const std::string& value);
// Whether an options field holds a flag (case-insensitive, anywhere in the field).
bool HasLogOption(const std::string& options, const std::string& flag);

// A [DeleteRegistry] value: "(" as byte 1 and ")" as byte 7 make bytes 1 to 7 the root macro
// and the rest the key path; anything else is a key path under "(Cuser)" as a whole.
struct RegistryLogKey {
    std::string RootMacro;
    std::string KeyPath;
};
RegistryLogKey SplitRegistryLogValue(const std::string& value);
