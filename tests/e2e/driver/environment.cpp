#include "driver/environment.h"

#include <cstdlib>

namespace e2e {

namespace {

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::string WithoutBackslash(std::string folder) {
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string RequiredVariable(const char* name, const Where& where) {
    const char* value = std::getenv(name);
    if (value && *value) return WindowsPath(value);
    Fail(std::string("the environment variable ") + name + " is not set (run the test through CTest)", where);
    return {};
}

// Last path separator; a byte after a lead byte is never taken for one.
size_t LastSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByteEx(932, static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == ':') last = i;
    }
    return last;
}

}  // namespace

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string FolderOf(const std::string& path) {
    size_t separator = LastSeparator(path);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string SetupExePath(Where where) { return RequiredVariable("SETUP_E2E_EXE", where); }

std::string ExamplesFolder(Where where) { return WithBackslash(RequiredVariable("SETUP_E2E_EXAMPLES", where)); }

std::string ScreenshotFolder(Where where) {
    std::string folder = WithBackslash(RequiredVariable("SETUP_E2E_SCREENSHOTS", where));
    if (!folder.empty()) MakeFolders(folder);
    return folder;
}

bool MakeFolders(const std::string& folder) {
    std::string path = WithoutBackslash(folder);
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string parent = FolderOf(path);
    if (!parent.empty() && parent.size() < path.size()) MakeFolders(parent);
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RemoveFolder(const std::string& folder) {
    std::string base = WithoutBackslash(folder);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((base + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = base + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(base.c_str());
}

std::string ScratchFolder(const std::string& name) {
    DWORD length = GetTempPathA(0, nullptr);
    std::string temp(length + 1, '\0');
    temp.resize(GetTempPathA(length + 1, temp.data()));
    std::string folder = WithBackslash(temp) + "e2e\\" + name + "\\";
    RemoveFolder(folder);
    MakeFolders(folder);
    return folder;
}

std::string MakeDistribution(const std::string& name, const std::string& example, Where where) {
    std::string program = SetupExePath(where);
    if (program.empty()) return {};
    std::string folder = ScratchFolder(name);
    if (!CopyInto(program, folder)) {
        Fail("MakeDistribution: " + program + " could not be copied into " + folder, where);
        return {};
    }
    if (!example.empty()) {
        std::string examples = ExamplesFolder(where);
        if (examples.empty()) return {};
        if (!CopyFolder(examples + example, folder)) {
            Fail("MakeDistribution: the example " + Quoted(example) + " could not be copied from " + examples, where);
            return {};
        }
    }
    return folder;
}

std::string SampleDistribution(const std::string& name, Where where) {
    const char* built = std::getenv("SETUP_E2E_SAMPLE_DIST");
    if (!built || !*built) {
        Fail("SampleDistribution: SETUP_E2E_SAMPLE_DIST is not set", where);
        return {};
    }
    std::string folder = ScratchFolder(name);
    if (!CopyFolder(built, folder)) {
        Fail("SampleDistribution: " + std::string(built) + " could not be copied into " + folder, where);
        return {};
    }
    return folder;
}

bool CopyInto(const std::string& file, const std::string& folder) {
    std::string source = WindowsPath(file);
    size_t separator = LastSeparator(source);
    std::string name = separator == std::string::npos ? source : source.substr(separator + 1);
    return CopyFileA(source.c_str(), (WithBackslash(WindowsPath(folder)) + name).c_str(), FALSE) != 0;
}

bool CopyFolder(const std::string& from, const std::string& to) {
    std::string source = WithoutBackslash(WindowsPath(from));
    std::string target = WithoutBackslash(WindowsPath(to));
    if (!MakeFolders(target)) return false;
    bool complete = true;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((source + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            complete = CopyFolder(source + "\\" + name, target + "\\" + name) && complete;
        else
            complete = CopyFileA((source + "\\" + name).c_str(), (target + "\\" + name).c_str(), FALSE) && complete;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return complete;
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) {
    DWORD length = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    existed_ = length != 0;
    if (existed_) {
        previous_.assign(length, '\0');
        previous_.resize(GetEnvironmentVariableA(name.c_str(), previous_.data(), length));
    }
    SetEnvironmentVariableA(name.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
    SetEnvironmentVariableA(name_.c_str(), existed_ ? previous_.c_str() : nullptr);
}

}  // namespace e2e
