// Times the whole program, unattended, installing and then uninstalling generated packages of 500,
// 1000 and 2000 files of 4 KB, against a plain CopyFileA loop and a plain DeleteFileA loop over the
// same files in the same run. Each program run counts from its start to its end (process start,
// start-up, work folder, log, Add/Remove entry included).
// Run by hand: tools/wine-run.sh BUILD/bench/unattended_bench.exe BUILD/SETUP.EXE [sizes...]
// Everything happens under the prefix's temporary folder and Program Files; all is removed after.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "edge/fileops.h"
#include "base/text.h"
#include "support/test_env.h"
#include "sys/registry.h"
#include "bench_clock.h"

namespace {

// Runs a command line to its end; its exit code.
DWORD Run(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

std::string FileName(int n) { return "F" + IntToStr(n) + ".DAT"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: unattended_bench SETUP.EXE [sizes...]\n");
        return 2;
    }
    std::string program = argv[1][0] == '/' ? WindowsPathOf(argv[1]) : argv[1];
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {500, 1000, 2000};
    const std::string root = ScratchFolder("unattended_bench");
    char programFiles[MAX_PATH] = {};
    GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH);
    const std::string data(4096, 'x');
    std::printf("%6s %10s %10s %7s %12s %10s %7s\n", "files", "install s", "copy s", "ratio", "uninstall s", "delete s",
                "ratio");
    for (int count : sizes) {
        std::string dist = root + "dist" + IntToStr(count) + "\\";
        std::string copies = root + "copy" + IntToStr(count) + "\\";
        std::string folder = std::string(programFiles) + "\\OrvantBench " + IntToStr(count) + "\\";
        ForceFolders(dist);
        ForceFolders(copies);
        std::string script = "[Title]\r\nSetup=Bench\r\nUnSetupKey=OrvantBench\r\n[CopyFile]\r\n";
        for (int n = 1; n <= count; ++n) {
            WriteTextFile(dist + FileName(n), data);
            script += "File" + IntToStr(n) + "=(App)" + FileName(n) + "\r\n";
        }
        WriteTextFile(dist + "SETUP.INI", script);
        CopyFileA(program.c_str(), (dist + "SETUP.EXE").c_str(), FALSE);

        double start = Now();
        DWORD installed = Run("\"" + dist + "SETUP.EXE\" /S \"/D=" + folder + "\"");
        double install = Now() - start;
        start = Now();
        for (int n = 1; n <= count; ++n) CopyFileA((dist + FileName(n)).c_str(), (copies + FileName(n)).c_str(), FALSE);
        double copy = Now() - start;

        RegistryKey entry;
        std::string quiet;
        if (entry.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvantBench",
                       KEY_READ) == 0)
            entry.QueryString("QuietUninstallString", quiet);
        entry.Close();
        start = Now();
        DWORD uninstalled = quiet.empty() ? 1 : Run(quiet);
        double uninstall = Now() - start;
        start = Now();
        for (int n = 1; n <= count; ++n) DeleteFileA((copies + FileName(n)).c_str());
        double remove = Now() - start;

        std::printf("%6d %10.2f %10.2f %7.2f %12.2f %10.2f %7.2f", count, install, copy, install / copy, uninstall,
                    remove, uninstall / remove);
        if (installed != 0 || uninstalled != 0 || FolderExists(folder))
            std::printf("  (exit codes %lu and %lu%s)", installed, uninstalled, FolderExists(folder) ? ", folder left" : "");
        std::printf("\n");
        std::fflush(stdout);
        RemoveTree(folder);
        RemoveTree(dist);
        RemoveTree(copies);
    }
    RemoveTree(root);
    return 0;
}
