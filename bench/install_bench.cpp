// Times the install run on generated packages of 500, 1000 and 2000 small files (SetupSpeed 1),
// phase by phase, and a plain CopyFileA loop over the same files in the same run.
// Run by hand: tools/wine-run.sh BUILD/bench/install_bench.exe
// Everything happens under the prefix's temporary folder (also the Windows and shell folders the
// run writes into) and under HKEY_CURRENT_USER\Software\OrvantTest\Bench; all is removed after.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/run_ui.h"
#include "core/state.h"
#include "install/install_engine.h"
#include "support/test_env.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "script/folders.h"
#include "base/text.h"
#include "script/uninstall_log.h"
#include "sys/registry.h"
#include "bench_clock.h"

namespace {

const char* const kPhaseHeaders[] = {
    "の情報を作成しています",   "に必要な容量を調べています", "ディスクの空き容量をチェック", "フォルダをチェックしています",
    "フォルダを作成しています", "ファイルをコピーしています", "ショートカットを作成しています",
    "レジストリキーを作成しています", "INIファイルを設定しています", "関連付けを設定しています", "情報を更新しています",
};
const char* const kPhaseNames[] = {"information", "required space", "free space", "folder check", "make folders",
                                   "file copy", "shortcuts", "registry", "INI files", "associations", "finishing"};
constexpr int kPhases = 11;

// A progress window that only notes when each phase first appears and when the log is written;
// pauses really wait, and their time is summed.
class BenchUi : public RunUi {
public:
    void ShowStatus(const std::string& text) override {
        double now = Now();
        while (next < kPhases && text.find(kPhaseHeaders[next]) != std::string::npos) phaseStart[next++] = now;
        // The finishing line's row of dots: four before the log is written, eight after it.
        if (next == kPhases) {
            const std::string four = "．．．．";
            if (text.ends_with(four) && text.find(four + "．") == std::string::npos) logStart = now;
            if (text.find(four + four) != std::string::npos) logEnd = now;
        }
    }
    void ProcessMessages() override {}
    void Pause(long milliseconds) override {
        double start = Now();
        if (sleeps) Sleep(static_cast<DWORD>(milliseconds));
        pauseSeconds += Now() - start;
        ++pauseCount;
        specifiedPauseMs += milliseconds;
    }
    bool AbortRequested() override { return false; }
    void EnableAbort(bool) override {}
    void ShowProgressFrame(bool) override {}
    int SetProgressPosition(int percent) override { return percent; }
    void SetProgressLabel(const std::string&) override {}
    std::string SharedAnswer() override { return ""; }
    void SetSharedAnswer(const std::string&) override {}
    void AskSharedFile(const std::string&) override {}

    bool sleeps = true;
    double phaseStart[kPhases] = {};
    int next = 0;
    double logStart = 0, logEnd = 0;
    double pauseSeconds = 0;
    long pauseCount = 0;
    long specifiedPauseMs = 0;
};

bool WriteFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string FileName(int n) {
    char name[32];
    std::snprintf(name, sizeof(name), "F%05d.DAT", n);
    return name;
}

void PrepareState(const std::string& root) {
    ResetProgramState();
    g_state.SetupMode = "SETUP";
    g_state.PlatformKind = "NT";
    g_state.WorkFolder = root + "work\\";
    g_state.ScriptPath = g_state.WorkFolder + "SETUP.INI";
    g_state.SourceFolder = root + "dist\\";
    g_state.SetupSpeed = 1;
    g_state.UnSetupTitle = "OrvantBench";
    g_state.ProgramId = "ORVBENCH";
    g_state.WindowsFolder = root + "win\\";
    g_state.SystemFolder = root + "win\\system32\\";
    g_state.TempFolder = root + "tmp\\";
    g_state.ProgramsFolder = root + "shell\\Programs\\";
    g_state.StartMenuFolder = root + "shell\\StartMenu\\";
    g_state.DesktopFolder = root + "shell\\Desktop\\";
    for (const std::string& folder : {g_state.WorkFolder, g_state.SourceFolder, g_state.SystemFolder, g_state.TempFolder,
                                      g_state.ProgramsFolder})
        ForceFolders(folder);
}

void BenchPackage(const std::string& base, int files) {
    std::string root = base + "P" + IntToStr(files) + "\\";
    RemoveTree(root);
    PrepareState(root);
    const std::string content(4096, 'x');

    // The package: files in ten data folders, one shortcut, registry and INI entries.
    std::string script = "[Extend]\r\nSetupSpeed=1\r\n[Title]\r\nUnSetupKey=OrvantBench\r\n[MakeFolder]\r\nFolder1=(App)\r\n";
    for (int d = 0; d < 10; ++d) script += "Folder" + IntToStr(d + 2) + "=(App)Data" + IntToStr(d) + "\r\n";
    script += "[CopyFile]\r\n";
    for (int n = 1; n <= files; ++n) {
        WriteFile(g_state.SourceFolder + FileName(n), content);
        script += "File" + IntToStr(n) + "=(App)Data" + IntToStr(n % 10) + "\\" + FileName(n) + "\r\n";
    }
    script += "[ShortCut]\r\nMake1=(App)Data1\\" + FileName(1) + "\r\nName1=(Smn)Bench\r\n";
    script += "[Registry]\r\nKey1=Software\\OrvantTest\\Bench\r\nName1=Folder\r\nValue1=(Str)(Pdd)(App)\r\n";
    script += "[IniFile]\r\nData1=Bench,Folder,(App),(App)BENCH.INI\r\n";
    WriteFile(g_state.ScriptPath, script);

    // The plain copy loop over the same files, once before and once after the install; the
    // faster of the two is the yardstick.
    auto copyLoop = [&](const std::string& folder) {
        ForceFolders(folder);
        double copyStart = Now();
        for (int n = 1; n <= files; ++n)
            CopyFileA((g_state.SourceFolder + FileName(n)).c_str(), (folder + FileName(n)).c_str(), FALSE);
        return Now() - copyStart;
    };
    double copyBefore = copyLoop(root + "plain1\\");

    BenchUi ui;
    InstallOptions options;
    options.folderText = root + "app";
    options.shortcuts = ShortcutBoxes{true, true, true, true};
    ForceFolders(options.folderText);
    double start = Now();
    InstallResult result = RunInstall(ui, options);
    double total = Now() - start;
    double copyAfter = copyLoop(root + "plain2\\");

    // The same install once more into a fresh folder with pauses that do not wait: the engine's
    // own cost, without what sleeping does to the process around the pauses.
    BenchUi quickUi;
    quickUi.sleeps = false;
    InstallOptions quickOptions = options;
    quickOptions.folderText = root + "app2";
    ForceFolders(quickOptions.folderText);
    DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPathOf("OrvantBench"));
    double quickStart = Now();
    RunInstall(quickUi, quickOptions);
    double quick = Now() - quickStart;
    double copySeconds = copyBefore < copyAfter ? copyBefore : copyAfter;

    std::printf("\n%d files of 4 KB (%s, %ld failures)\n", files,
                result.ended == InstallEnd::Completed ? "completed" : "NOT completed", result.FailureCount);
    for (int i = 0; i < kPhases; ++i) {
        if (ui.phaseStart[i] == 0) continue;
        double end = start + total;
        for (int j = i + 1; j < kPhases; ++j)
            if (ui.phaseStart[j] != 0) {
                end = ui.phaseStart[j];
                break;
            }
        std::printf("  %-16s %8.3f s\n", kPhaseNames[i], end - ui.phaseStart[i]);
    }
    if (ui.logStart != 0 && ui.logEnd >= ui.logStart)
        std::printf("  %-16s %8.3f s\n", "  of which log", ui.logEnd - ui.logStart);
    double lessSpecified = total - ui.specifiedPauseMs / 1000.0;
    double lessMeasured = total - ui.pauseSeconds;
    std::printf("  install total    %8.3f s  (%ld pauses: %.3f s specified, %.3f s slept)\n", total, ui.pauseCount,
                ui.specifiedPauseMs / 1000.0, ui.pauseSeconds);
    std::printf("  less specified   %8.3f s  = %.2f x the copy loop\n", lessSpecified, lessSpecified / copySeconds);
    std::printf("  less slept       %8.3f s  = %.2f x the copy loop\n", lessMeasured, lessMeasured / copySeconds);
    std::printf("  without waiting  %8.3f s  = %.2f x the copy loop\n", quick, quick / copySeconds);
    std::printf("  plain copy loop  %8.3f s  (before %.3f s, after %.3f s)\n", copySeconds, copyBefore, copyAfter);
    // The macro expansion every entry goes through, alone.
    double expandStart = Now();
    for (int n = 1; n <= files; ++n) ExpandMacros("(App)Data" + IntToStr(n % 10) + "\\" + FileName(n));
    std::printf("  %d expansions  %8.3f s\n", files, Now() - expandStart);

    DeleteTree(HKEY_CURRENT_USER, "Software\\OrvantTest\\Bench");
    DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPathOf("OrvantBench"));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Wide(g_state.WindowsFolder + "OVSET98.INI").c_str());
    RemoveTree(root);
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string base = std::string(temp) + "orvbench\\install\\";
    ForceFolders(base);
    for (int files : {500, 1000, 2000}) BenchPackage(base, files);
    RemoveTree(std::string(temp) + "orvbench\\install\\");
    RemoveDirectoryA((std::string(temp) + "orvbench").c_str());
    CoUninitialize();
    return 0;
}
