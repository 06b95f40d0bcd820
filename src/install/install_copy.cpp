// Phase 7 of the install run: the [CopyFile] entries.
#include <windows.h>

#include <map>
#include <set>
#include <vector>

#include "core/state.h"
#include "install/copy_entry.h"
#include "install/install_context.h"
#include "edge/fileops.h"
#include "edge/folder_entries.h"
#include "script/folders.h"
#include "base/text.h"
#include "sys/deferred_source.h"
#include "sys/expand.h"
#include "sys/removal.h"
#include "sys/shared_dll.h"

namespace {

const char kTemporaryName[] = "EXPAND.OVT";

// The expansion answers "temporary path,destination"; the temporary path is ours, so the split is
// made behind its name and a comma inside the destination cannot shift it.
void SplitExpansion(const std::string& answer, std::string& temporary, std::string& destination) {
    std::string marker = std::string(kTemporaryName) + ",";
    size_t at = answer.find(marker);
    if (at == std::string::npos) {
        temporary = GetField(answer, ",", 1);
        destination = GetField(answer, ",", 2);
        return;
    }
    temporary = answer.substr(0, at + marker.size() - 1);
    destination = answer.substr(at + marker.size());
}

// The disk change before a "(Dch)" entry: asked at least once, again while the source is missing.
bool ChangeDisk(InstallContext& run, const std::string& source) {
    ++run.result.DiskNumber;
    while (true) {
        int answer = ShowMessageBox(IntToStr(run.result.DiskNumber) + "枚目のディスクに交換してください。",
                                    "ディスク交換", MB_OKCANCEL | MB_ICONASTERISK);
        if (answer != IDOK) {
            run.Refuse("致命的エラー");
            return false;
        }
        if (SourceExists(source)) return true;
    }
}

bool CopyWanted(InstallContext& run, const std::string& source, const std::string& destination, bool exists) {
    if (!exists) return true;
    if (!run.options.overwriteAuto)
        return ShowMessageBox(destination + "\r\n\r\nこのファイルは既に存在します。\r\n上書きしてもよろしいですか？",
                              "上書き確認", MB_YESNO | MB_ICONQUESTION) == IDYES;
    return SourceIsNewer(SourceDosDateTime(source), FileDosDateTime(destination));
}

// Adds the copied source's size to the bytes done (as counted before the copy, when it was); a
// size that cannot be read switches the progress to entries for good.
void CountCopiedBytes(InstallContext& run, const std::string& source, long entryNumber) {
    InstallResult& r = run.result;
    if (!r.SizesKnown) return;
    long long size = 0;
    if (entryNumber >= 1 && static_cast<size_t>(entryNumber) <= run.entrySizes.size() &&
        run.entrySizes[entryNumber - 1] >= 0) {
        size = run.entrySizes[entryNumber - 1];
    } else if (!FileSizeOf(source, size)) {
        r.SizesKnown = false;
        ShowMessageBox("ファイルサイズの取得に失敗したため、進行状況の表示方法を変更します。", "内部エラー",
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (size < 0) {
        r.SizesKnown = false;
        return;
    }
    r.CopiedBytes += size == 0 ? 1 : size;
}

bool UpdateProgress(InstallContext& run, long entryNumber) {
    InstallResult& r = run.result;
    int percent = ProgressPercent(r.SizesKnown, r.CopiedBytes, r.TotalBytes, entryNumber, r.EntryCount);
    int position = run.ui.SetProgressPosition(percent);
    run.ui.SetProgressLabel(ProgressLabel(position, r.ProcessedCount, r.EntryCount));
    run.ui.ProcessMessages();
    if (run.AbortTest()) return false;
    run.Pause();
    return true;
}

// The sources the copy may move instead of copying: extracted from our own payload, named by one
// entry alone, and of a size counted beforehand (the progress needs it once the file is gone).
std::set<std::string> MovableSources(const InstallContext& run, const std::vector<std::string>& values) {
    if (!g_state.SourcesAreOurs) return {};
    std::vector<std::string> sources;
    std::map<std::string, int> uses;
    for (const std::string& value : values) {
        sources.push_back(UpperCase(g_state.SourceFolder + ParseCopyEntry(ExpandMacros(value)).sourceName));
        ++uses[sources.back()];
    }
    std::set<std::string> movable;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (uses[sources[i]] == 1 && i < run.entrySizes.size() && run.entrySizes[i] >= 0) movable.insert(sources[i]);
    }
    return movable;
}

// What the copy learns once about each destination folder.
struct Destinations {
    FolderEntries entries;
    FolderPermissions permissions;
};

// One entry whose source exists; false when the run ended.
bool CopyOne(InstallContext& run, const CopyEntry& entry, std::string source, long entryNumber, bool movable,
             Destinations& destinations) {
    InstallResult& r = run.result;
    std::string destination = entry.destination;
    std::string originalSource = source;
    std::string temporary;
    if (IsCompressedName(source)) {
        SplitExpansion(ExpandCompressedFile(source, destination), temporary, destination);
        source = temporary;
    }
    run.ShowDetail("【コピー元】" + FileNamePart(source) + "\r\n【コピー先】" + destination + "\r\n");
    if (run.AbortTest()) {
        if (!temporary.empty()) DeleteFiles(temporary);
        return false;
    }

    // A new file is looked up once for the question and the copy, in the folder's listing: each
    // lookup of a missing name is a search of the whole folder. A file that is there is looked at
    // again after the question.
    DWORD existing = destinations.entries.Attributes(destination);
    bool wanted = CopyWanted(run, source, destination, IsFileAttributes(existing));
    if (HasSharedFlag(entry)) ChangeSharedCount(destination, true);
    if (HasAlwaysWriteFlag(entry)) wanted = true;
    if (existing != INVALID_FILE_ATTRIBUTES) existing = FileAttributesOf(destination);
    DWORD result = 0;
    if (wanted) {
        // A source still in the payload becomes the new file itself; over a file that is there (it
        // may be in use, and must survive a failure) it is written out and copied as any other.
        const DeferredSource* deferred = FindDeferredSource(source);
        bool written = deferred && existing == INVALID_FILE_ATTRIBUTES && deferred->writeTo(destination) == 0;
        if (!written) result = MakeSourceFile(source);
        bool moved = written || (result == 0 && movable && temporary.empty() &&
                                 MoveFileOver(source, destination, existing, destinations.permissions) == 0);
        if (!moved && result == 0)
            result = CopyFileOver(source, destination, movable ? FileAttributesOf(destination) : existing);
        destinations.entries.Forget(destination);
    }
    ++r.ProcessedCount;
    if (HasRegisterFlag(entry) && FileExists(destination)) RegisterServer(destination, true);

    if (result == 0) {
        r.Lists.FileLog.Append(FileLogItem(destination, entry.options));
    } else if (result == ERROR_SHARING_VIOLATION && ReplaceFileAtRestart(source, destination)) {
        // In use by another program: replaced at the next start, not a failure.
        g_state.LockedFileFound = true;
        r.Lists.FileLog.Append(FileLogItem(destination, entry.options));
    } else {
        // Also a file in use whose replacement could not be scheduled: the old file stays for good,
        // and no restart would change that.
        run.AddFailure("<File> ", destination, result);
        g_state.StatusTail = "一部失敗";
    }
    if (!temporary.empty()) DeleteFiles(temporary);
    CountCopiedBytes(run, originalSource, entryNumber);
    return true;
}

}  // namespace

bool RunCopyPhase(InstallContext& run) {
    InstallResult& r = run.result;
    run.ui.ShowProgressFrame(true);
    run.OpenStep("ファイルをコピーしています．．．");
    r.ProcessedCount = 0;
    long entryNumber = 0;
    std::vector<std::string> values = run.NumberedList("CopyFile", "File");
    std::set<std::string> movable = MovableSources(run, values);
    Destinations destinations;
    for (const std::string& value : values) {
        ++entryNumber;
        CopyEntry entry = ParseCopyEntry(ExpandMacros(value));
        std::string source = g_state.SourceFolder + entry.sourceName;
        if (entry.diskChange && !ChangeDisk(run, source)) return false;

        if (!SourceExists(source)) {
            run.ShowDetail("【コピー元】" + source + "\r\n【コピー先】" + entry.destination +
                           "\r\nファイルが存在しないためコピーをスキップしています．．．");
            if (run.AbortTest()) return false;
            r.FailureDetail += "<File> " + source + "\r\nコピー元のファイルが見つかりません。\r\n\r\n";
            g_state.StatusTail = "一部失敗";
            ++r.FailureCount;
            ++r.ProcessedCount;
        } else if (!CopyOne(run, entry, source, entryNumber, movable.count(UpperCase(source)) != 0, destinations)) {
            return false;
        }
        if (!UpdateProgress(run, entryNumber)) return false;
    }
    if (g_state.LockedFileFound)
        g_state.StatusTail = FindMbcs("一部失敗", g_state.StatusTail) != 0 ? "一部失敗・ロックファイルあり" : "ロックファイルあり";
    run.CloseStep();
    run.ui.ShowProgressFrame(false);
    // The log removes itself at uninstall.
    r.Lists.FileLog.Append(g_state.UninstallLogPath);
    return true;
}
