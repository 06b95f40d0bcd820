// A distributor's checker program as the wizard scenarios need it: one binary whose answer is set
// by the file CHECKER.CFG beside it, so that each scenario decides what the checker says.
//
// CHECKER.CFG (an INI file of code page 932 text):
//   [CheckResult] Result, Message   written as they are into OVRESULT.INI in the Windows folder;
//                                   a key that is absent here is not written there.
//   [Checker] Write=No              write no result file at all.
//   [Checker] HoldUntil=<file name> create CHECKER.RUN beside the program, then wait (at most
//                                   30 s) until the named file exists beside it, so that a test can
//                                   look at the wizard while the checker runs.
// Every start is recorded as one line (UTF-8) in CHECKER.LOG beside the program:
//   Arguments=<command-line arguments>|UseShowWindow=<0/1>|ShowWindow=<n>|Unattended=<variable>
// (the value of ORVANT_SETUP_UNATTENDED in its environment).
#include <windows.h>

#include <string>

#include "edge/wide.h"

namespace {

// Paths are handled in UTF-16 throughout, so that the checker runs from any folder whatever the
// system's code page.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring WindowsFolder() {
    UINT length = GetWindowsDirectoryW(nullptr, 0);
    std::wstring folder(length, L'\0');
    folder.resize(GetWindowsDirectoryW(folder.data(), length));
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes, DWORD access, DWORD disposition) {
    HANDLE file = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

void AppendLine(const std::wstring& path, const std::string& line) {
    WriteBytes(path, line + "\r\n", FILE_APPEND_DATA, OPEN_ALWAYS);
}

// The value of a key of an INI file with ASCII section and key names, as its bytes stand (the
// configuration is code page 932 text, like the result file), and whether the key is there.
bool ReadKey(const std::string& text, const std::string& section, const std::string& key, std::string& value) {
    bool inSection = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = _stricmp(line.substr(1, line.find(']') - 1).c_str(), section.c_str()) == 0;
        } else if (inSection && line.find('=') != std::string::npos &&
                   _stricmp(line.substr(0, line.find('=')).c_str(), key.c_str()) == 0) {
            value = line.substr(line.find('=') + 1);
            return true;
        }
    }
    return false;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Environment(const wchar_t* name) {
    wchar_t value[64] = L"";
    DWORD length = GetEnvironmentVariableW(name, value, 64);
    return length > 0 && length < 64 ? Narrow(std::wstring(value, length)) : std::string();
}

// The command line less the program's own name (quoted or not), as UTF-8.
std::string Arguments() {
    std::string line = Narrow(GetCommandLineW());
    size_t p = 0;
    if (!line.empty() && line[0] == '"') {
        p = line.find('"', 1);
        p = p == std::string::npos ? line.size() : p + 1;
    } else {
        p = line.find_first_of(" \t");
        if (p == std::string::npos) p = line.size();
    }
    size_t begin = line.find_first_not_of(" \t", p);
    return begin == std::string::npos ? std::string() : line.substr(begin);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::wstring folder = ProgramFolder();
    const std::string config = ReadBytes(folder + L"CHECKER.CFG");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    AppendLine(folder + L"CHECKER.LOG", "Arguments=" + Arguments() + "|UseShowWindow=" +
                                            ((startup.dwFlags & STARTF_USESHOWWINDOW) ? "1" : "0") +
                                            "|ShowWindow=" + std::to_string(startup.wShowWindow) +
                                            "|Unattended=" + Environment(L"ORVANT_SETUP_UNATTENDED"));

    std::string hold;
    if (ReadKey(config, "Checker", "HoldUntil", hold) && !hold.empty()) {
        AppendLine(folder + L"CHECKER.RUN", "running");
        for (int waited = 0; waited < 30000 && !FileExists(folder + Wide(hold)); waited += 20) Sleep(20);
    }

    std::string write = "Yes";
    ReadKey(config, "Checker", "Write", write);
    if (write == "No") return 0;
    // The answer's bytes as they stand: the program reads the result as code page 932.
    std::string keys, value;
    for (const char* key : {"Result", "Message"})
        if (ReadKey(config, "CheckResult", key, value)) keys += std::string(key) + "=" + value + "\r\n";
    if (!keys.empty())
        WriteBytes(WindowsFolder() + L"OVRESULT.INI", "[CheckResult]\r\n" + keys, GENERIC_WRITE, CREATE_ALWAYS);
    return 0;
}
