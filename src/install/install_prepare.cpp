// Phases 2 to 6 of the install run: information, required space, free-space check, folder check
// (with the earlier uninstall log), folder creation.
#include <windows.h>

#include "core/state.h"
#include "edge/wide.h"
#include "install/copy_entry.h"
#include "install/install_context.h"
#include "install/relate_entry.h"
#include "edge/fileops.h"
#include "sys/deferred_source.h"
#include "script/folders.h"
#include "base/text.h"
#include "script/uninstall_log.h"

namespace {

// The source file that the copy phase will take for an entry. The macros are expanded as the copy
// phase expands them, with "(App)" standing for the folder the run is about to install into, so
// that "(App)FILE" counts FILE and not a file literally named "(App)FILE".
std::string CountingSource(const std::string& value, const std::string& folderText) {
    std::string expanded = ExpandMacros(ReplaceMacro(value, "(App)", AddDelimiter(folderText, "B")));
    return g_state.SourceFolder + ParseCopyEntry(expanded).sourceName;
}

}  // namespace

bool RunInformationPhase(InstallContext& run) {
    run.OpenStep(g_state.SetupWord + "の情報を作成しています．．．");
    g_state.RelateTable = {};
    run.relateCount = 0;
    for (const RelateEntry& entry : ReadRelateEntries(run.script)) g_state.RelateTable[run.relateCount++] = entry;
    run.CloseStep();
    run.Pause();
    return true;
}

bool RunRequiredSpacePhase(InstallContext& run) {
    run.OpenStep(g_state.SetupWord + "に必要な容量を調べています．．．");
    if (run.AbortTest()) return false;
    run.Pause();
    InstallResult& r = run.result;
    run.entrySizes.clear();
    for (const std::string& value : run.NumberedList("CopyFile", "File")) {
        ++r.EntryCount;
        std::string source = CountingSource(value, run.options.folderText);
        long long size = 0;
        if (!SourceSize(source, size)) {
            r.SizesKnown = false;
            run.entrySizes.push_back(-1);
            continue;
        }
        if (size < 0) {
            size = 0;
            r.SizesKnown = false;
        } else if (size == 0) {
            size = 1;  // an empty file still counts
        }
        r.TotalBytes += size;
        run.entrySizes.push_back(size);
    }
    run.CloseStep();
    return true;
}

bool RunFreeSpacePhase(InstallContext& run) {
    InstallResult& r = run.result;
    if (!r.SizesKnown) return true;
    run.OpenStep("ディスクの空き容量をチェックしています．．．");
    std::string drive = DrivePart(run.options.folderText);
    long long freeBytes = -1;
    bool measured = run.measures.extended && run.measures.extended(drive, freeBytes);
    if (!measured) {
        freeBytes = -1;
        measured = run.measures.classic && run.measures.classic(drive, freeBytes);
    }
    if (!measured) freeBytes = -1;
    if (freeBytes <= r.TotalBytes) {
        const std::string& word = g_state.SetupWord;
        std::string text;
        if (measured) {
            text = "ディスクの空き容量が不足しているため、エラーになる可能性があります。\r\nこのまま" + word +
                   "を続行しますか？";
            g_state.StatusTail = "不足の可能性あり";
        } else {
            text = "ディスクの空き容量取得関数が失敗しました。\r\n" + word + "に必要なディスク容量は " +
                   IntToStr(r.TotalBytes) + "Byteです。\r\n空き容量があるようであれば、" + word +
                   "を続行してください。\r\n\r\n" + word + "を続行しますか？";
            g_state.StatusTail = "関数失敗";
        }
        if (ShowMessageBox(text, "空き容量チェックエラー", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            run.Refuse();
            return false;
        }
    }
    run.CloseStep();
    run.Pause();
    return true;
}

bool RunFolderCheckPhase(InstallContext& run) {
    const std::string& word = g_state.SetupWord;
    run.OpenStep(word + "フォルダをチェックしています．．．");
    if (run.AbortTest()) return false;
    g_state.InstallFolder = AddDelimiter(run.options.folderText, "B");
    if (!FolderExists(g_state.InstallFolder)) {
        int answer = ShowMessageBox(g_state.InstallFolder + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？",
                                    "フォルダ作成", MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES && !ForceFolders(g_state.InstallFolder)) {
            ShowMessageBox(word + "フォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。", "致命的エラー",
                           MB_OK | MB_ICONHAND);
            g_state.StatusTail = "作成失敗";
            answer = IDNO;
        }
        if (answer != IDYES) {
            run.Refuse();
            return false;
        }
    }
    g_state.InstallDriveRoot = CopyHead(g_state.InstallFolder, 2) + "\\";
    run.CloseStep();

    // A re-install keeps what the earlier install would have removed.
    g_state.UninstallLogPath = g_state.InstallFolder + kUninstallLogName;
    g_state.UninstallLogBackupPath = g_state.WorkFolder + kUninstallLogBackupName;
    TakeOverEarlierLog(g_state.UninstallLogPath, g_state.UninstallLogBackupPath, g_state.RestoreRelateKeys,
                       run.result.Lists);
    return true;
}

bool RunMakeFolderPhase(InstallContext& run) {
    run.ui.EnableAbort(true);
    run.OpenStep("フォルダを作成しています．．．");
    for (const std::string& value : run.NumberedList("MakeFolder", "Folder")) {
        std::string folder = ExpandMacros(AddDelimiter(value, "B"));
        run.ShowDetail("【作成中】 -> " + folder);
        if (run.AbortTest()) return false;
        // One level only: a child listed before its parent fails.
        DWORD error = CreateDirectoryW(Wide(folder).c_str(), nullptr) ? 0 : GetLastError();
        if (error == 0 || error == ERROR_ALREADY_EXISTS) {
            run.result.Lists.FolderLog.Append(folder);
        } else {
            run.AddFailure("<Folder> ", folder, error);
            g_state.StatusTail = "一部失敗";
        }
        run.Pause();
    }
    run.CloseStep();
    return true;
}
