// The uninstall log on disk (Windows): taking over an earlier log, writing the new one.
#include <windows.h>

#include "base/text.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/uninstall_log.h"

namespace {

void AppendList(const IniDocument& log, const LogList& list, RemovalList& items) {
    for (const std::string& value : ReadNumberedList(log, list)) items.Append(value);
}

}  // namespace

void TakeOverEarlierLog(const std::string& logPath, const std::string& backupPath,
                        RestoreRelateSlots& slots, RemovalLists& lists) {
    // A failed copy is not reported: the lists then come from the log itself, so that nothing of
    // the earlier install is forgotten when the new log replaces the old one.
    bool copied = FileExists(logPath) && CopyFileOver(logPath, backupPath) == 0;

    IniDocument log;
    log.Load(logPath);
    for (long n = 1; n <= 20; ++n) {
        std::string record = log.Get(kRestoreRelateList.Section, kRestoreRelateList.KeyPrefix + IntToStr(n), "");
        if (!record.empty()) MergeRestoreRelate(slots, record);
    }

    IniDocument snapshot;
    if (copied)
        snapshot.Load(backupPath);
    else
        snapshot = log;
    AppendList(snapshot, kFolderList, lists.FolderLog);
    AppendList(snapshot, kFileList, lists.FileLog);
    AppendList(snapshot, kShortcutList, lists.ShortcutLog);
    AppendList(snapshot, kRegistryList, lists.RegistryLog);
    AppendList(snapshot, kAddDeleteList, lists.AddDeleteLog);
}

DWORD WriteUninstallLog(const UninstallLogContent& content, const std::string& logPath) {
    if (IsSetupOnly(content.UnSetupTitle)) return ERROR_SUCCESS;
    // The new log replaces an earlier one whatever its attributes: a read-only, hidden or system
    // log would refuse the write and keep the old lists.
    DWORD attributes = GetFileAttributesW(Wide(logPath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
        SetFileAttributesW(Wide(logPath).c_str(), FILE_ATTRIBUTE_NORMAL);
    return BuildUninstallLog(content).Save(logPath);
}
