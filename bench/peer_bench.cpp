// Times our SETUP.EXE against an NSIS installer of the same files, whole processes from
// CreateProcess to their end: an unattended install into a fresh folder, then the unattended
// uninstall. Every run is checked (every file installed with its size, a few compared byte by byte,
// nothing left after the uninstall); a run that fails a check is reported and not timed.
//
// Run by hand through bench/peer_bench.sh, which makes the sets:
//   tools/wine-run.sh BUILD/bench/peer_bench.exe [/RUNS=n] SET_FOLDER...
// A set folder (Linux or Windows path) is named after its set and holds
//   files\       the files every installer installs, the reference of the checks
//   nsis.exe     the NSIS installer; Add/Remove key PeerBench_<set>_NSIS, uninstaller uninst.exe
//   dist\        our folder distribution (SETUP.EXE, SETUP.INI with UnSetupKey=PeerBench_<set>)
//   single.exe   our single-file distribution of dist\ (optional)
// Installs go to %ProgramFiles%\PeerBench\ (Program Files (x86) for this 32-bit program), one fresh
// folder per run, removed with its Add/Remove entry after the run whatever happened.
// Besides the readable report, one "RESULT set kind runs failed install(median min max)
// uninstall(median min max)" line per set and kind, for the script's table.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "edge/fileops.h"
#include "base/text.h"
#include "sys/registry.h"
#include "bench_clock.h"

namespace {

const char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// Runs a command line to its end: true when it started; its exit code and wall time.
bool Run(const std::string& commandLine, DWORD& exitCode, double& seconds) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    double start = Now();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        exitCode = GetLastError();
        return false;
    }
    Handle process(info.hProcess);
    Handle thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    seconds = Now() - start;
    GetExitCodeProcess(process.Get(), &exitCode);
    return true;
}

// The files of a folder (no subfolders), upper-case name to size.
std::map<std::string, long long> ListFiles(const std::string& folder) {
    std::map<std::string, long long> files;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
    if (!find.Valid()) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        long long size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        files[UpperCase(data.cFileName)] = size;
    } while (FindNextFileA(find.Get(), &data));
    return files;
}

bool FolderIsEmptyOrGone(const std::string& folder) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
    if (!find.Valid()) return true;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") return false;
    } while (FindNextFileA(find.Get(), &data));
    return true;
}

// Removes a folder tree (best effort): what a failed run left.
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    {
        FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
        if (find.Valid()) {
            do {
                std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                std::string path = folder + name;
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + "\\");
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(find.Get(), &data));
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// Add/Remove entries of a 32-bit installer live in the 32-bit view.
bool UninstallEntry(const std::string& key, std::string& quietUninstall) {
    RegistryKey entry;
    if (entry.Open(HKEY_LOCAL_MACHINE, kUninstallRoot + key, KEY_READ | KEY_WOW64_32KEY) != 0) return false;
    quietUninstall.clear();
    entry.QueryString("QuietUninstallString", quietUninstall);
    return true;
}

void DeleteUninstallEntry(const std::string& key) {
    RegistryKey root;
    if (root.Open(HKEY_LOCAL_MACHINE, kUninstallRoot, KEY_ALL_ACCESS | KEY_WOW64_32KEY) == 0)
        RegDeleteKeyA(root.Handle(), key.c_str());
}

struct SourceFile {
    std::string name;
    long long size;
};

struct Set {
    std::string name;
    std::string folder;  // ends with "\"
    std::vector<SourceFile> files;
};

enum class Kind { Nsis, OursFolder, OursSingle };

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Nsis: return "nsis";
        case Kind::OursFolder: return "ours-folder";
        case Kind::OursSingle: return "ours-single";
    }
    return "";
}

std::string OursKey(const Set& set) { return "PeerBench_" + set.name; }
std::string EntryKey(const Set& set, Kind kind) { return kind == Kind::Nsis ? OursKey(set) + "_NSIS" : OursKey(set); }

std::string InstallCommand(const Set& set, Kind kind, const std::string& target) {
    // "/D=" comes last and unquoted: NSIS takes the rest of the line, and so does SETUP.EXE.
    std::string folder = target.substr(0, target.size() - 1);
    switch (kind) {
        case Kind::Nsis: return "\"" + set.folder + "nsis.exe\" /S /D=" + folder;
        case Kind::OursFolder: return "\"" + set.folder + "dist\\SETUP.EXE\" /S /D=" + folder;
        case Kind::OursSingle: return "\"" + set.folder + "single.exe\" /S /D=" + folder;
    }
    return "";
}

// Every file of the set lies in the folder with its size; a spread of them byte for byte.
std::string CheckInstalled(const Set& set, const std::string& target) {
    std::map<std::string, long long> found = ListFiles(target);
    size_t present = 0;
    for (const SourceFile& file : set.files) {
        auto it = found.find(UpperCase(file.name));
        if (it != found.end() && it->second == file.size) ++present;
    }
    if (present != set.files.size())
        return IntToStr(present) + " of " + IntToStr(set.files.size()) + " files installed with their size";
    const size_t n = set.files.size();
    for (size_t i : {size_t{0}, n / 4, n / 2, 3 * n / 4, n - 1}) {
        if (i >= n) continue;
        std::string expected, actual;
        if (ReadWholeFile(set.folder + "files\\" + set.files[i].name, expected) != 0 ||
            ReadWholeFile(target + set.files[i].name, actual) != 0 || expected != actual)
            return set.files[i].name + " differs from its source";
    }
    return "";
}

struct RunResult {
    bool ok = false;
    std::string failure;
    double install = 0;
    double uninstall = 0;
};

// Uninstalls; true when it ran with exit code 0 (the failure says why not).
bool Uninstall(const Set& set, Kind kind, const std::string& target, RunResult& result) {
    DWORD code = 0;
    std::string command;
    if (kind == Kind::Nsis) {
        // In place: without "_?=" the uninstaller copies itself away and returns at once.
        std::string folder = target.substr(0, target.size() - 1);
        command = "\"" + target + "uninst.exe\" /S _?=" + folder;
    } else if (!UninstallEntry(EntryKey(set, kind), command) || command.empty()) {
        result.failure = "no QuietUninstallString under " + EntryKey(set, kind);
        return false;
    }
    if (!Run(command, code, result.uninstall) || code != 0) {
        result.failure = "uninstall exit code " + IntToStr(code);
        return false;
    }
    return true;
}

// What the uninstall must leave: no Add/Remove entry and no install folder; NSIS's uninstaller
// cannot delete itself when run in place, so that one file (and the folder holding it) is removed here.
std::string CheckUninstalled(const Set& set, Kind kind, const std::string& target) {
    std::string ignored;
    if (UninstallEntry(EntryKey(set, kind), ignored)) return "Add/Remove entry left";
    if (kind == Kind::Nsis) {
        std::map<std::string, long long> left = ListFiles(target);
        if (left.size() == 1 && left.count("UNINST.EXE")) {
            DeleteFileA((target + "uninst.exe").c_str());
            RemoveDirectoryA(target.c_str());
        }
    }
    if (FolderExists(target)) return FolderIsEmptyOrGone(target) ? "empty install folder left" : "files left";
    return "";
}

RunResult RunOnce(const Set& set, Kind kind, const std::string& target) {
    RunResult result;
    DWORD code = 0;
    if (!Run(InstallCommand(set, kind, target), code, result.install) || code != 0) {
        result.failure = "install exit code " + IntToStr(code);
    } else if (std::string why = CheckInstalled(set, target); !why.empty()) {
        RunResult cleanup;  // the uninstall only clears the way for the next run
        Uninstall(set, kind, target, cleanup);
        result.failure = why;
    } else if (Uninstall(set, kind, target, result)) {
        result.failure = CheckUninstalled(set, kind, target);
        result.ok = result.failure.empty();
    }
    // Whatever happened, the next run starts from a clean machine.
    RemoveTree(target);
    DeleteUninstallEntry(EntryKey(set, kind));
    return result;
}

struct Stats {
    double median = 0, min = 0, max = 0;
};

Stats StatsOf(std::vector<double> values) {
    Stats stats;
    if (values.empty()) return stats;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    stats.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    stats.min = values.front();
    stats.max = values.back();
    return stats;
}

struct Series {
    std::vector<double> install, uninstall;
    int failed = 0;
};

std::string WindowsFolder(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder[0] == '/') {
        folder = "Z:" + folder;
        std::replace(folder.begin(), folder.end(), '/', '\\');
    }
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

bool LoadSet(const std::string& argument, Set& set) {
    set.folder = WindowsFolder(argument);
    set.name = FileNamePart(set.folder.substr(0, set.folder.size() - 1));
    for (const auto& [name, size] : ListFiles(set.folder + "files\\")) set.files.push_back({name, size});
    return !set.files.empty() && FileExists(set.folder + "nsis.exe") && FileExists(set.folder + "dist\\SETUP.EXE");
}

void PrintSummary(const Set& set, const std::vector<Kind>& kinds, std::map<Kind, Series>& series) {
    std::printf("\n%s (%d files)\n", set.name.c_str(), static_cast<int>(set.files.size()));
    std::printf("  %-12s %4s %6s %26s %26s\n", "kind", "runs", "failed", "install s (median min-max)",
                "uninstall s (median min-max)");
    for (Kind kind : kinds) {
        const Series& s = series[kind];
        Stats in = StatsOf(s.install), un = StatsOf(s.uninstall);
        std::printf("  %-12s %4d %6d %10.3f %7.3f-%-7.3f %10.3f %7.3f-%-7.3f\n", KindName(kind),
                    static_cast<int>(s.install.size()), s.failed, in.median, in.min, in.max, un.median, un.min, un.max);
    }
    Stats nsisIn = StatsOf(series[Kind::Nsis].install), nsisUn = StatsOf(series[Kind::Nsis].uninstall);
    for (Kind kind : kinds) {
        if (kind == Kind::Nsis || series[kind].install.empty() || nsisIn.median <= 0 || nsisUn.median <= 0) continue;
        std::printf("  %s / nsis: install %.2f, uninstall %.2f\n", KindName(kind),
                    StatsOf(series[kind].install).median / nsisIn.median,
                    StatsOf(series[kind].uninstall).median / nsisUn.median);
    }
    for (Kind kind : kinds) {
        const Series& s = series[kind];
        Stats in = StatsOf(s.install), un = StatsOf(s.uninstall);
        std::printf("RESULT %s %s %d %d %.3f %.3f %.3f %.3f %.3f %.3f\n", set.name.c_str(), KindName(kind),
                    static_cast<int>(s.install.size()), s.failed, in.median, in.min, in.max, un.median, un.min, un.max);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::vector<Set> sets;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (UpperCase(CopyHead(argument, 6)) == "/RUNS=") {
            runs = std::max(1, std::atoi(argument.c_str() + 6));
            continue;
        }
        Set set;
        if (!LoadSet(argument, set)) {
            std::printf("peer_bench: %s holds no files\\, nsis.exe or dist\\SETUP.EXE\n", argument.c_str());
            return 2;
        }
        sets.push_back(set);
    }
    if (sets.empty()) {
        std::printf("usage: peer_bench [/RUNS=n] SET_FOLDER...\n");
        return 2;
    }
    char programFiles[MAX_PATH + 1] = {};
    if (!GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH)) return 2;
    const std::string parent = std::string(programFiles) + "\\PeerBench\\";
    ForceFolders(parent);

    std::vector<std::vector<Kind>> kindsOf;
    std::vector<std::map<Kind, Series>> series(sets.size());
    for (const Set& set : sets) {
        std::vector<Kind> kinds{Kind::Nsis, Kind::OursFolder};
        if (FileExists(set.folder + "single.exe")) kinds.push_back(Kind::OursSingle);
        kindsOf.push_back(kinds);
    }
    int failures = 0;
    for (int round = 0; round < runs; ++round) {
        for (size_t s = 0; s < sets.size(); ++s) {
            const std::vector<Kind>& kinds = kindsOf[s];
            // Each round starts with another kind, so that no kind always runs first or last.
            for (size_t k = 0; k < kinds.size(); ++k) {
                Kind kind = kinds[(k + round) % kinds.size()];
                std::string target = parent + sets[s].name + "-" + KindName(kind) + "-" + IntToStr(round + 1) + "\\";
                RunResult result = RunOnce(sets[s], kind, target);
                Series& into = series[s][kind];
                std::printf("%s %-12s run %d: ", sets[s].name.c_str(), KindName(kind), round + 1);
                if (result.ok) {
                    into.install.push_back(result.install);
                    into.uninstall.push_back(result.uninstall);
                    std::printf("install %.3f s, uninstall %.3f s\n", result.install, result.uninstall);
                } else {
                    ++into.failed;
                    ++failures;
                    std::printf("FAILED: %s\n", result.failure.c_str());
                }
                std::fflush(stdout);
            }
        }
    }
    RemoveDirectoryA(parent.c_str());
    for (size_t s = 0; s < sets.size(); ++s) PrintSummary(sets[s], kindsOf[s], series[s]);
    return failures == 0 ? 0 : 1;
}
