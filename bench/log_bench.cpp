// Times the uninstall log of large installs: written in one piece (as the program does), taken
// over by a re-install, read back by the uninstall run, and for comparison written key by key.
// Run by hand: tools/wine-run.sh BUILD/bench/log_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "edge/fileops.h"
#include "script/ini.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "script/uninstall_log_reference.h"
#include "bench_clock.h"

namespace {

// An install of `entries` items, shaped like a real one: mostly files, some folders, a few
// shortcuts, registry keys, extra files and associations.
UninstallLogContent MakeContent(const std::string& folder, int entries) {
    UninstallLogContent content;
    content.InstallFolder = folder;
    content.UnSetupTitle = "Orvant Bench";
    content.SetupWord = "インストール";
    content.UnSetupWord = "アンインストール";
    content.UninstallKeyPath = UninstallKeyPathOf("Orvant Bench");
    content.ProgramId = "ORVBENCH";
    content.UnSetupOption = "1,0,0,0";
    int folders = entries / 20, extras = 30;
    int files = entries - folders - extras;
    for (int n = 0; n < folders; ++n) content.Lists.FolderLog.Append(folder + "Data" + IntToStr(n) + "\\");
    for (int n = 0; n < files; ++n) {
        std::string path = folder + "Data" + IntToStr(n % (folders ? folders : 1)) + "\\ファイル" + IntToStr(n) + ".DAT";
        content.Lists.FileLog.Append(n % 50 == 0 ? path + ",/S" : path);
    }
    content.Lists.FileLog.Append(folder + kUninstallLogName);
    for (int n = 0; n < extras / 3; ++n) {
        content.Lists.ShortcutLog.Append("C:\\users\\bench\\Desktop\\Bench" + IntToStr(n) + ".lnk");
        content.Lists.RegistryLog.Append("(Local)SOFTWARE\\Orvant\\Bench\\K" + IntToStr(n));
        content.Lists.AddDeleteLog.Append(folder + "USER" + IntToStr(n) + ".DAT,/C");
    }
    content.RestoreRelateKeys[0] = "obn,";
    return content;
}

void BenchFast(const std::string& root, int entries) {
    std::string folder = root + "Fast" + IntToStr(entries) + "\\";
    ForceFolders(folder);
    std::string log = folder + kUninstallLogName;
    UninstallLogContent content = MakeContent(folder, entries);

    double start = Now();
    IniDocument document = BuildUninstallLog(content);
    double built = Now();
    DWORD error = document.Save(log);
    double saved = Now();
    std::printf("%5d entries  new install   build %7.3f s  save %7.3f s  total %7.3f s  (error %lu)\n", entries,
                built - start, saved - built, saved - start, error);

    // A re-install of the same package: every item merges with an entry of the earlier log.
    UninstallLogContent again = MakeContent(folder, 0);
    start = Now();
    TakeOverEarlierLog(log, folder + kUninstallLogBackupName, again.RestoreRelateKeys, again.Lists);
    double takenOver = Now();
    UninstallLogContent items = MakeContent(folder, entries);
    for (const std::string& item : items.Lists.FileLog.Items()) again.Lists.FileLog.Append(item);
    for (const std::string& item : items.Lists.FolderLog.Items()) again.Lists.FolderLog.Append(item);
    double written0 = Now();
    error = WriteUninstallLog(again, log);
    double written = Now();
    std::printf("%5d entries  re-install    take-over %7.3f s  write %7.3f s  (error %lu)\n", entries,
                takenOver - start, written - written0, error);

    start = Now();
    IniDocument reread;
    reread.Load(log);
    size_t count = ReadNumberedList(reread, kFileList).size() + ReadNumberedList(reread, kFolderList).size();
    double read = Now();
    std::printf("%5d entries  uninstall     read lists %7.3f s  (%zu values)\n", entries, read - start, count);
}

std::string ReadTextFile(const std::string& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) == 0 ? bytes : std::string();
}

void BenchKeyByKey(const std::string& root, int entries) {
    std::string folder = root + "Keys" + IntToStr(entries) + "\\";
    ForceFolders(folder);
    std::string log = folder + kUninstallLogName;
    UninstallLogContent content = MakeContent(folder, entries);
    double start = Now();
    WriteUninstallLogKeyByKey(content, log);
    double written = Now();
    bool same = ReadTextFile(log) == BuildUninstallLog(content).ToBytes();
    std::printf("%5d entries  key by key    write %7.3f s  (same bytes as the one-piece writer: %s)\n", entries,
                written - start, same ? "yes" : "NO");

    start = Now();
    size_t count = 0;
    for (long n = 1; !ReadIniValue("DeleteFile", "File" + IntToStr(n), "", log).empty(); ++n) ++count;
    std::printf("%5d entries  key by key    read [DeleteFile] %7.3f s  (%zu values)\n", entries, Now() - start, count);
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string root = std::string(temp) + "orvbench\\";
    ForceFolders(root);
    bool withKeyByKey = !(argc > 1 && std::string(argv[1]) == "--fast-only");

    for (int entries : {500, 1000, 2000}) BenchFast(root, entries);
    if (withKeyByKey)
        for (int entries : {250, 500}) BenchKeyByKey(root, entries);

    // Leave nothing behind in the prefix.
    SHFILEOPSTRUCTA operation{};
    std::string from = root.substr(0, root.size() - 1) + std::string(1, '\0');
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    SHFileOperationA(&operation);
    return 0;
}
