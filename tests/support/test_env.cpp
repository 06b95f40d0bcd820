#include "support/test_env.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "base/cp932.h"
#include "edge/fileops.h"
#include "edge/handles.h"
#include "edge/wide.h"
#include "sys/server_host.h"

std::string EnvValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

namespace {

// COM servers' entry points run in a host process, the program itself; a test program is no such
// host, so the built SETUP.EXE (named by CTest) is.
const bool g_serverHostSet = [] {
    std::string host = EnvValue("SETUP_SERVER_HOST");
    if (!host.empty()) SetServerHost(host[0] == '/' ? WindowsPathOf(host) : host);
    return true;
}();

}  // namespace

std::string WindowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void RemoveTree(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() == '\\') base.pop_back();
    // A link goes as itself: what it points to (a system folder, another test's files) stays.
    DWORD attributes = GetFileAttributesW(Wide(base).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveFolderLink(base);
        return;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(base + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(data.cFileName);
            if (name == "." || name == "..") continue;
            std::string path = base + "\\" + name;
            SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(path);
            else
                DeleteFileW(Wide(path).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Wide(base).c_str());
}

std::string ScratchFolder(const std::string& name) {
    std::wstring temp(GetTempPathW(0, nullptr), L'\0');
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    std::string folder = Narrow(temp) + "orvtest\\" + name + "\\";
    RemoveTree(folder);
    ForceFolders(folder);
    return folder;
}

bool WriteTextFile(const std::string& path, const std::string& bytes) {
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    bool whole = bytes.empty() || (WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                             nullptr) && written == bytes.size());
    return file.Close() && whole;
}

std::string ReadTextFile(const std::string& path) {
    FileHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    if (!file.Valid()) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

std::string Cp932Bytes(const std::string& utf8) {
    std::string bytes;
    if (!Utf8ToCp932(utf8, bytes)) ADD_FAILURE() << "code page 932 cannot hold this text: " << utf8;
    return bytes;
}

MessageBoxRecorder::MessageBoxRecorder(int defaultAnswer) : defaultAnswer_(defaultAnswer) {
    SetMessageBoxResponder([this](const std::string& text, const std::string& title, unsigned flags) {
        boxes_.push_back({text, title, flags});
        if (answers_.empty()) return defaultAnswer_;
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxResponder(nullptr); }

namespace {

// The Unix name Wine gives a Windows path (the folder above must exist).
std::string UnixPathOf(const std::string& windowsPath) {
    using UnixNameCall = char*(CDECL*)(const wchar_t*);
    auto call = reinterpret_cast<UnixNameCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!call) return "";
    char* name = call(Wide(windowsPath).c_str());
    if (!name) return "";
    std::string unix = name;
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

std::string Bare(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// Runs a Unix program (Wine starts one directly) with the arguments, each given in double quotes.
// Wine neither waits for it nor passes on its exit code: callers wait for what it does.
bool RunUnix(const char* program, const std::vector<std::string>& arguments) {
    std::string commandLine = program;
    for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
    std::wstring wideLine = Wide(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(WindowsPathOf(program)).c_str(), wideLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

bool IsLinkNow(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Wide(Bare(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
    std::string from = UnixPathOf(Bare(target)), to = UnixPathOf(Bare(link));
    while (!to.empty() && to.back() == '/') to.pop_back();
    while (!from.empty() && from.back() == '/') from.pop_back();
    if (from.empty() || to.empty() || !RunUnix("/bin/ln", {"-sfn", from, to})) return false;
    for (int i = 0; i < 500 && !IsLinkNow(link); ++i) Sleep(20);
    return IsLinkNow(link);
}

void RemoveFolderLink(const std::string& link) {
    std::string name = UnixPathOf(Bare(link));
    while (!name.empty() && name.back() == '/') name.pop_back();
    // rm without -r removes the link, never what it points to.
    if (name.empty() || !IsLinkNow(link) || !RunUnix("/bin/rm", {"-f", name})) return;
    for (int i = 0; i < 500 && IsLinkNow(link); ++i) Sleep(20);
}
