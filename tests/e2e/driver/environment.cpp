#include "driver/environment.h"

#include "edge/wide.h"

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
    std::string value = EnvironmentVariable(name);
    if (!value.empty()) return WindowsPath(value);
    Fail(std::string("the environment variable ") + name + " is not set (run the test through CTest)", where);
    return {};
}

// Last path separator (in UTF-8 no byte of another character looks like one).
size_t LastSeparator(const std::string& path) { return path.find_last_of("\\:"); }

DWORD Attributes(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()); }

}  // namespace

std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

std::string EnvironmentVariable(const std::string& name) {
    std::wstring wideName = Wide(name);
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (length == 0) return {};
    std::wstring value(length, L'\0');
    value.resize(GetEnvironmentVariableW(wideName.c_str(), value.data(), length));
    return Narrow(value);
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
    DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::string parent = FolderOf(path);
    if (!parent.empty() && parent.size() < path.size()) MakeFolders(parent);
    return CreateDirectoryW(Wide(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RemoveFolder(const std::string& folder) {
    std::string base = WithoutBackslash(folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(base + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(data.cFileName);
            if (name == "." || name == "..") continue;
            std::wstring path = Wide(base + "\\" + name);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(Narrow(path));
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(Wide(base).c_str());
}

std::string TempFolder() {
    DWORD length = GetTempPathW(0, nullptr);
    std::wstring temp(length + 1, L'\0');
    temp.resize(GetTempPathW(length + 1, temp.data()));
    return WithBackslash(Narrow(temp));
}

std::string ScratchFolder(const std::string& name) {
    std::string folder = TempFolder() + "e2e\\" + name + "\\";
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
    std::string built = EnvironmentVariable("SETUP_E2E_SAMPLE_DIST");
    if (built.empty()) {
        Fail("SampleDistribution: SETUP_E2E_SAMPLE_DIST is not set", where);
        return {};
    }
    std::string folder = ScratchFolder(name);
    if (!CopyFolder(built, folder)) {
        Fail("SampleDistribution: " + built + " could not be copied into " + folder, where);
        return {};
    }
    return folder;
}

bool CopyInto(const std::string& file, const std::string& folder) {
    std::string source = WindowsPath(file);
    size_t separator = LastSeparator(source);
    std::string name = separator == std::string::npos ? source : source.substr(separator + 1);
    return CopyFileW(Wide(source).c_str(), Wide(WithBackslash(WindowsPath(folder)) + name).c_str(), FALSE) != 0;
}

bool CopyFolder(const std::string& from, const std::string& to) {
    std::string source = WithoutBackslash(WindowsPath(from));
    std::string target = WithoutBackslash(WindowsPath(to));
    if (!MakeFolders(target)) return false;
    bool complete = true;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Wide(source + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        std::string name = Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            complete = CopyFolder(source + "\\" + name, target + "\\" + name) && complete;
        else
            complete = CopyFileW(Wide(source + "\\" + name).c_str(), Wide(target + "\\" + name).c_str(), FALSE) &&
                       complete;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return complete;
}

ScopedEnvironment::ScopedEnvironment(const std::string& name, const std::string& value) : name_(name) {
    existed_ = GetEnvironmentVariableW(Wide(name).c_str(), nullptr, 0) != 0;
    previous_ = EnvironmentVariable(name);
    SetEnvironmentVariableW(Wide(name).c_str(), Wide(value).c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
    SetEnvironmentVariableW(Wide(name_).c_str(), existed_ ? Wide(previous_).c_str() : nullptr);
}

}  // namespace e2e
