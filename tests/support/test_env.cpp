#include "support/test_env.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "script/fileops.h"
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
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((base + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = base + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(base.c_str());
}

std::string ScratchFolder(const std::string& name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "orvtest\\" + name + "\\";
    RemoveTree(folder);
    ForceFolders(folder);
    return folder;
}

bool WriteTextFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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
