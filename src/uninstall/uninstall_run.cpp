#include "uninstall/uninstall_run.h"

#include <windows.h>

#include "core/run_ui.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "script/ini.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "edge/wide.h"
#include "sys/error_text.h"
#include "sys/guarded_folders.h"
#include "edge/handles.h"
#include "sys/registry.h"
#include "sys/removal.h"
#include "sys/shared_dll.h"

namespace {

const char kLineEnd[] = "\r\n";
const char kRestartNotice[] = "(追加情報)このファイルはWindowsの再起動後に削除が試行されます。\r\n";
const char kRefusedPlace[] = "デバイス名や管理共有で書かれた場所のため、削除しませんでした。\r\n";
const char kThroughLink[] =
    "フォルダがほかの場所へのリンクに置き換えられているため、リンク先のファイルは削除しませんでした。\r\n";
const char kFolderRestartNotice[] = "(追加情報)このフォルダはWindowsの再起動後に削除が試行されます。\r\n";

bool HasFlag(const std::string& options, const std::string& flag) { return FindNoCase(flag, options) != 0; }

std::string ConfirmQuestion(const std::string& path) {
    return path + "\r\n\r\nこのファイルを削除してもよろしいですか？\r\n\r\n<<　注意　>>\r\n"
                  "DLL/OCXなどは他のプログラムでも使用される可能性があります。\r\n"
                  "確実に使用されないことがわかっている場合のみ削除してください。";
}

std::string ServerQuestion(const std::string& path) {
    return path + "\r\n\r\nこのDLL/OCXファイルは、共有登録されていませんが、\r\n"
                  "今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
}

std::string SharedQuestion(const std::string& path) {
    return path + "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n"
                  "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
}

std::string Key(const std::string& path) { return UpperCase(path); }

// A folder is gone already (an earlier phase removed it): that is what removing it was for.
bool AlreadyGone(DWORD code, const std::string& folder) {
    return (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) && !FolderExists(folder) &&
           !PathExists(RemoveDelimiter(folder, "B"));
}

}  // namespace

UninstallOptions OptionsFromCheckBoxes(bool firstChecked, bool othersVisible, bool secondChecked) {
    UninstallOptions options;
    if (firstChecked) {
        if (othersVisible)
            options.extraPatterns += "*.INI|";
        else
            options.deleteAllMode = true;
    }
    if (secondChecked) options.extraPatterns += "*.GID|";
    return options;
}

UninstallOptions PresetUninstallOptions(const std::string& checkBoxValue) {
    if (checkBoxValue == "DeleteAll") return OptionsFromCheckBoxes(true, false, false);
    auto flag = [&checkBoxValue](int position) { return CopyHead(CopyFrom(checkBoxValue, position), 1) == "1"; };
    return OptionsFromCheckBoxes(flag(1), true, flag(3));
}

UninstallEngine::UninstallEngine(RunUi& ui, std::string logPath, std::string installFolder, UninstallOptions options)
    : ui_(ui), logPath_(std::move(logPath)), installFolder_(std::move(installFolder)), options_(std::move(options)) {}

std::string UninstallEngine::OpeningStatus() {
    return g_state.UnSetupWord + "を行っています。\r\n\r\n【処理状況】\r\n";
}

std::string UninstallEngine::Value(const std::string& section, const std::string& key) const {
    return log_.Get(section, key, "");
}

void UninstallEngine::StartPhase(const std::string& text) {
    g_state.StatusText += g_state.StatusTail + kLineEnd + text + g_state.UnSetupWord + "処理．．．";
    g_state.StatusTail = "完了";
    ui_.ShowStatus(g_state.StatusText);
}

void UninstallEngine::Fail(const std::string& block) {
    outcome_.failureDetail += block;
    ++outcome_.failureCount;
}

void UninstallEngine::Notice(const std::string& block) {
    outcome_.failureDetail += block;
    ++outcome_.noticeCount;
}

// A file or folder of the install folder that is reached through a link at or below the install
// folder: the install folder (or one of its subfolders) was replaced by a link to another place,
// and what is there now belongs to that place.
bool UninstallEngine::ReachedThroughLink(const std::string& path) {
    std::string base = Key(AddDelimiter(installFolder_, "B"));
    std::string folder = FolderPart(RemoveDelimiter(path, "B"));
    if (Key(folder).compare(0, base.size(), base) != 0) return false;
    while (folder.size() >= base.size()) {
        auto [cached, added] = linkCache_.emplace(Key(folder), false);
        if (added) {
            DWORD attributes = GetFileAttributesW(Wide(RemoveDelimiter(folder, "B")).c_str());
            cached->second = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        }
        if (cached->second) return true;
        std::string parent = FolderPart(RemoveDelimiter(folder, "B"));
        if (parent.size() >= folder.size()) break;
        folder = parent;
    }
    return false;
}

// Whether everything still in the folder stays there on purpose: files kept by the user's or the
// unattended run's answer or by the log, files whose deletion waits for the restart, and (when no
// one chose to delete them) files the log does not list. Links and anything else make it false.
bool UninstallEngine::OnlyLeftOnPurpose(const std::string& folder, bool& pending,
                                        std::vector<std::string>& unlisted) const {
    WIN32_FIND_DATAW data;
    std::string base = AddDelimiter(folder, "B");
    FindHandle find(FindFirstFileW(Wide(base + "*").c_str(), &data));
    if (!find.Valid()) return false;
    do {
        std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return false;
        std::string path = base + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!OnlyLeftOnPurpose(path, pending, unlisted)) return false;
        } else if (pendingFiles_.count(Key(path))) {
            pending = true;
        } else if (options_.keepUnlisted && !listedFiles_.count(Key(path))) {
            unlisted.push_back(path);
        } else if (!keptFiles_.count(Key(path))) {
            return false;
        }
    } while (FindNextFileW(find.Get(), &data));
    return true;
}

// A folder that stays only because of what stays on purpose is no failure: it goes at the restart
// when what it holds does, or it stays with the files that were kept.
bool UninstallEngine::KeptOnPurpose(const std::string& folder, const std::string& tag, const std::string& reason) {
    bool pending = false;
    std::vector<std::string> unlisted;
    if (!OnlyLeftOnPurpose(folder, pending, unlisted)) return false;
    for (const std::string& path : unlisted) outcome_.keptFiles.push_back(path);
    // Empty once the files waiting for the restart are gone: the folder follows them then.
    if (pending && unlisted.empty() && DeleteAtRestart(RemoveDelimiter(folder, "B")))
        Notice(tag + folder + kLineEnd + kFolderRestartNotice + kLineEnd);
    else
        Notice(tag + folder + kLineEnd + reason + kLineEnd);
    g_state.StatusTail = "一部失敗";  // the folder is still there
    return true;
}

UninstallOutcome UninstallEngine::Run() {
    outcome_ = UninstallOutcome{};
    // A log that names no install folder (a broken or foreign file) shows a lone "\" on the page:
    // that is no folder either, and the run must not report an uninstall it never did.
    if (RemoveDelimiter(installFolder_, "B").empty()) {
        ShowMessageBox(g_state.UnSetupWord + "フォルダが不明です。\r\n" + g_state.UnSetupWord + "は続行できません。",
                       "致命的エラー", MB_OK | MB_ICONSTOP);
        outcome_.stopped = true;
        return outcome_;
    }
    installFolderProtected_ = IsProtectedInstallFolder(installFolder_);
    log_.Load(logPath_);
    RemoveProgramId();

    g_state.StatusText += "ファイルの" + g_state.UnSetupWord + "処理．．．";
    g_state.StatusTail = "完了";
    // No folder that is to be removed may be the current one.
    SetCurrentDirectoryW(Wide(g_state.TempFolder).c_str());
    RemoveFiles("DeleteFile", true);
    RemoveFiles("AddDeleteFile", false);

    StartPhase("ショートカットの");
    RemoveShortcuts();
    StartPhase("フォルダの");
    RemoveFolders();
    StartPhase("レジストリの");
    RemoveRegistryKeys();
    StartPhase("関連付けの");
    RestoreAssociations();
    RemoveUninstallEntry();
    RemoveInstallFolder();

    g_state.StatusText += g_state.StatusTail + kLineEnd;
    ui_.ShowStatus(g_state.StatusText);
    if (outcome_.HasDetails()) {
        g_state.StatusText += "《情報》" + g_state.UnSetupWord + "の過程で、一部の処理が失敗しました。\r\n";
        ui_.ShowStatus(g_state.StatusText);
    }
    outcome_.restartNeeded = FindMbcs("再起動", outcome_.failureDetail) != 0;
    return outcome_;
}

void UninstallEngine::RemoveProgramId() {
    std::string id = Value("ProgramID", "ID");
    if (!id.empty()) DeleteIniSection(id, g_state.WindowsFolder + "OVSET98.INI");
}

void UninstallEngine::RemoveFiles(const std::string& section, bool recordFailures) {
    for (int n = 1;; ++n) {
        std::string entry = Value(section, "File" + IntToStr(n));
        if (entry.empty() || GetField(entry, ",", 1).empty()) break;
        RemoveFile(entry, recordFailures);
    }
}

// Whether and how one file goes: the Windows error code of the attempt, 0 for a file that stays.
int UninstallEngine::DecideFile(const std::string& path, std::string& options) {
    auto keep = [&options] {
        options += "/L";
        return 0;
    };
    long long count = sharedCounts_.Get(path);
    if (count == 0) {
        if (HasFlag(options, "/C")) {
            if (ShowMessageBox(ConfirmQuestion(path), "ファイル削除の確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
                return keep();
            return static_cast<int>(DeleteFiles(path));
        }
        if (HasFlag(options, "/L")) return 0;
        if (IsServerFile(path) && (FindNoCase(g_state.WindowsFolder, path) != 0 ||
                                   FindNoCase(g_state.SystemFolder, path) != 0)) {
            if (ShowMessageBox(ServerQuestion(path), "ファイル削除の確認", MB_YESNO | MB_ICONQUESTION) != IDYES)
                return keep();
        }
        return static_cast<int>(DeleteFiles(path));
    }
    if (!HasFlag(options, "/S")) return keep();  // counted by other installs, not marked shared here
    if (ChangeSharedCount(path, false) != 0) return keep();
    std::string answer = ui_.SharedAnswer();
    if (answer != "Delete" && answer != "Save") {
        ui_.SetSharedAnswer("");
        ui_.AskSharedFile(SharedQuestion(path));
        answer = ui_.SharedAnswer();
    }
    if (answer == "Delete" || answer == "Yes") return static_cast<int>(DeleteFiles(path));
    return keep();  // "Save", "No", or no answer at all: the file stays
}

void UninstallEngine::RemoveFile(const std::string& entry, bool recordFailures) {
    std::string path = GetField(entry, ",", 1);
    std::string options = GetField(entry, ",", 2);
    listedFiles_.insert(Key(path));
    std::string refusal = IsDeviceOrAdminSharePath(path) ? kRefusedPlace : ReachedThroughLink(path) ? kThroughLink : "";
    if (!refusal.empty()) {
        if (recordFailures) Fail("<File> " + path + kLineEnd + refusal + kLineEnd);
        if (recordFailures) g_state.StatusTail = "一部失敗";
        return;
    }
    int result = DecideFile(path, options);
    if (HasFlag(options, "/L")) {
        keptFiles_.insert(Key(path));
        if (FileExists(path)) outcome_.keptFiles.push_back(path);
        return;
    }
    // A file that is gone already (deleted by hand, or by an earlier attempt) is what the uninstall
    // was for.
    if ((result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND) && !PathExists(path)) return;
    bool scheduled = false;
    // A deletion that reports success has made sure the file is gone (DeleteFiles); asking again
    // would cost a search of the whole folder for the missing name.
    if (result != 0 && FileExists(path)) {
        // The notice (and with it the restart offer) only for a deletion that is really scheduled.
        scheduled = HasFlag(options, "/F") && DeleteAtRestart(path);
        if (scheduled) pendingFiles_.insert(Key(path));
    }
    if (result != 0 && recordFailures) {
        std::string block = "<File> " + path + kLineEnd + SystemErrorText(static_cast<DWORD>(result)) +
                            (scheduled ? kRestartNotice : "") + kLineEnd;
        // Deleted at the restart: done, once Windows restarts.
        if (scheduled)
            Notice(block);
        else
            Fail(block);
        g_state.StatusTail = "一部失敗";
    }
}

void UninstallEngine::RemoveShortcuts() {
    const ProgramState& s = g_state;
    const std::string* keptFolders[] = {&s.ProgramsFolder,       &s.DesktopFolder,        &s.StartupFolder,
                                        &s.SendToFolder,         &s.CommonProgramsFolder, &s.CommonDesktopFolder,
                                        &s.CommonStartupFolder};
    for (int n = 1;; ++n) {
        std::string path = Value("DeleteShortCut", "File" + IntToStr(n));
        if (path.empty()) break;
        if (IsDeviceOrAdminSharePath(path)) {
            Fail("<ShortCut> " + path + kLineEnd + kRefusedPlace + kLineEnd);
            g_state.StatusTail = "一部失敗";
            continue;
        }
        DWORD result = DeleteFiles(path);
        if (result == ERROR_FILE_NOT_FOUND && !PathExists(path)) result = 0;  // gone already
        if (result != 0) {
            Fail("<ShortCut> " + path + kLineEnd + SystemErrorText(result) + kLineEnd);
            g_state.StatusTail = "一部失敗";
        }
        // The program group the shortcut lived in goes when it is empty; the shell's own folders stay.
        std::string folder = AddDelimiter(FolderPart(path), "B");
        bool kept = false;
        for (const std::string* value : keptFolders) kept = kept || folder == *value;
        if (!kept && folder.size() > 3) RemoveFolder(folder, "");
    }
}

void UninstallEngine::RemoveFolders() {
    int count = 0;
    while (!Value("DeleteFolder", "Folder" + IntToStr(count + 1)).empty()) ++count;
    for (int n = count; n >= 1; --n) {
        std::string folder = Value("DeleteFolder", "Folder" + IntToStr(n));
        std::string refusal = IsDeviceOrAdminSharePath(folder) ? kRefusedPlace : ReachedThroughLink(folder) ? kThroughLink : "";
        if (!refusal.empty()) {
            Fail("<Folder> " + folder + kLineEnd + refusal + kLineEnd);
            g_state.StatusTail = "一部失敗";
            continue;
        }
        DWORD result;
        if (IsSameOrInside(folder, installFolder_)) {
            // Pattern deletion only inside an install folder that may be removed at all.
            result = RemoveFolder(folder, installFolderProtected_ ? "" : options_.extraPatterns);
            if (options_.deleteAllMode) result = 0;  // the install folder step deletes everything there
        } else {
            result = RemoveFolder(folder, "");
        }
        if (result != 0 && AlreadyGone(result, folder)) result = 0;
        if (result == ERROR_DIR_NOT_EMPTY && KeptOnPurpose(folder, "<Folder> ", SystemErrorText(result))) continue;
        if (result != 0) {
            Fail("<Folder> " + folder + kLineEnd + SystemErrorText(result) + kLineEnd);
            g_state.StatusTail = "一部失敗";
        }
    }
}

void UninstallEngine::RemoveRegistryKeys() {
    for (int n = 1;; ++n) {
        std::string value = Value("DeleteRegistry", "Key" + IntToStr(n));
        if (value.empty()) break;
        RootedKey key = SplitLogKey(value);
        DeleteRegistryKey(key.root, key.keyPath);
    }
}

void UninstallEngine::RestoreAssociations() {
    for (int n = 1;; ++n) {
        std::string value = Value("RestoreRelate", "Key" + IntToStr(n));
        if (value.empty()) break;
        size_t comma = value.find(',');
        std::string extension = value.substr(0, comma);
        std::string previous = comma == std::string::npos ? std::string() : value.substr(comma + 1);
        if (extension.empty()) continue;  // no extension: nothing of ours to touch
        std::string dotted = "." + extension;
        if (!previous.empty() && KeyExists(HKEY_CLASSES_ROOT, dotted)) {
            RegistryKey key;
            LONG code = key.Open(HKEY_CLASSES_ROOT, dotted, KEY_SET_VALUE);
            if (code == ERROR_SUCCESS) code = key.SetString("", previous);
            if (code != ERROR_SUCCESS) {
                // Reported like a failed removal, so the run still reaches its completion page.
                Fail("<Registry> HKEY_CLASSES_ROOT\\" + dotted + kLineEnd + SystemErrorText(static_cast<DWORD>(code)) +
                     kLineEnd);
                g_state.StatusTail = "一部失敗";
            }
        } else {
            previous.clear();
        }
        if (previous.empty()) DeleteRegistryKey("(Class)", dotted);
        if (!EqualsNoCase(previous, extension + "_auto_file")) DeleteRegistryKey("(Class)", extension + "_auto_file");
    }
}

void UninstallEngine::RemoveUninstallEntry() {
    g_state.StatusText += g_state.StatusTail + kLineEnd + "「プログラム(アプリケーション)の追加と削除」の処理．．．";
    g_state.StatusTail = "完了";
    ui_.ShowStatus(g_state.StatusText);
    std::string key = Value("UnSetupRegistryKey", "Key");
    if (key.empty()) return;
    if (IsUninstallEntryKey(key)) {
        DeleteRegistryKey("(Local)", key);
        return;
    }
    // Any other key is left as it is: the Uninstall key itself holds every program's entry.
    Fail("<Registry> HKEY_LOCAL_MACHINE\\" + key + kLineEnd +
         "「プログラム(アプリケーション)の追加と削除」の登録キーではないため、削除しませんでした。" + kLineEnd);
    g_state.StatusTail = "一部失敗";
}

void UninstallEngine::RemoveInstallFolder() {
    g_state.StatusText += g_state.StatusTail + kLineEnd + g_state.SetupWord + "フォルダの" + g_state.UnSetupWord + "処理．．．";
    g_state.StatusTail = "完了";
    ui_.ShowStatus(g_state.StatusText);
    if (installFolderProtected_) return;
    // What an interrupted save of the log left beside it is ours too.
    RemoveStaleSaveFile(AddDelimiter(installFolder_, "B") + kUninstallLogName);
    DWORD result = RemoveFolder(installFolder_, options_.deleteAllMode ? "*.*|" : options_.extraPatterns);
    if (result == 0 || AlreadyGone(result, installFolder_)) return;
    if (result == ERROR_DIR_NOT_EMPTY || result == ERROR_ACCESS_DENIED) {
        std::string reason = options_.deleteAllMode ? "全ファイル・フォルダの削除を試みましたが、エラーが発生したため、"
                                                    : "ファイル・フォルダが残っているため、";
        std::string text = reason + g_state.SetupWord +
                           "フォルダを削除できませんでした。エクスプローラなどから、直接削除してください。" + kLineEnd;
        if (KeptOnPurpose(installFolder_, "<SetupFolder> ", text)) return;
        Fail("<SetupFolder> " + installFolder_ + kLineEnd + text + kLineEnd);
        g_state.StatusTail = "一部失敗";
    } else {
        Fail("<SetupFolder> " + installFolder_ + kLineEnd + SystemErrorText(result) + kLineEnd);
    }
}

std::string UninstallDetailsQuestion(const std::string& unSetupWord) {
    return unSetupWord + "の過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？";
}

std::string UninstallCompletionText(const std::string& unSetupWord) {
    return "\r\n【処理完了】\r\n　「次へ(N)」をクリックして、" + unSetupWord + "を完了してください。\r\n";
}

CompletionPage UninstallCompletionPage(bool restartNeeded, const std::string& unSetupWord) {
    if (restartNeeded) {
        return {"　" + unSetupWord + "を完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                "かつ、終了後プログラムは実行されませんので、十分にご注意ください。",
                "はい、Windowsを再起動します。(&Y)", "いいえ、Windowsは再起動せずに、アンインストーラーを終了します。(&N)"};
    }
    return {unSetupWord + "を完了しました。", "アンインストーラを終了します。(&Y)", ""};
}
