#include "sys/server_host.h"

#include <windows.h>
#include <objbase.h>

#include <cstring>
#include <vector>

#include "edge/wide.h"
#include "edge/fileops.h"
#include "base/text.h"
#include "edge/handles.h"
#include "sys/launch.h"
#include "sys/system_library.h"

namespace {

// Switches of the host's command line: "<program> /RegServer <handle>" or "/UnregServer".
const char kRegisterSwitch[] = "/RegServer";
const char kUnregisterSwitch[] = "/UnregServer";

// The request in the shared mapping: a mark, the entry point wanted, the library's UTF-16 path.
const char kRequestMark[8] = {'O', 'R', 'V', 'H', 'O', 'S', 'T', '1'};
struct Request {
    char mark[8];
    unsigned long registerServer;  // 1: DllRegisterServer, 0: DllUnregisterServer
    unsigned long pathLength;      // UTF-16 units, without a terminating zero
};

std::string g_host;
unsigned long g_timeLimit = 0;

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

ServerEntry FindEntry(HMODULE module, const char* name) {
    FARPROC proc = GetProcAddress(module, name);
    // Through a generic function pointer: the entry's real type is known only by convention.
    return reinterpret_cast<ServerEntry>(reinterpret_cast<void (*)()>(proc));
}

// A crash anywhere in the host ends it at once with its own code: no debugger, no error box,
// no unload notifications that the broken library could crash in again.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(ServerOutcome::Crashed));
    return EXCEPTION_EXECUTE_HANDLER;
}

// A view of the mapping with its size, or null.
class MappedView {
public:
    explicit MappedView(HANDLE mapping, DWORD access) : view_(MapViewOfFile(mapping, access, 0, 0, 0)) {
        MEMORY_BASIC_INFORMATION info{};
        if (view_ && VirtualQuery(view_, &info, sizeof(info)) == sizeof(info)) size_ = info.RegionSize;
    }
    ~MappedView() {
        if (view_) UnmapViewOfFile(view_);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    char* Data() const { return static_cast<char*>(view_); }
    size_t Size() const { return size_; }

private:
    void* view_;
    size_t size_ = 0;
};

// The handle number of the host's command line: digits only.
bool ParseHandle(const std::string& text, unsigned long long& value) {
    if (text.empty() || text.size() > 20) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value != 0;
}

// The library the parent asked for, or false when the request is none of this program's.
bool ReadRequest(const std::string& handleText, bool registerServer, std::wstring& path) {
    unsigned long long value = 0;
    if (!ParseHandle(handleText, value)) return false;
    MappedView view(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value)), FILE_MAP_READ);
    if (!view.Data() || view.Size() < sizeof(Request)) return false;
    Request request;
    std::memcpy(&request, view.Data(), sizeof(request));
    if (std::memcmp(request.mark, kRequestMark, sizeof(kRequestMark)) != 0) return false;
    if ((request.registerServer != 0) != registerServer || request.pathLength == 0) return false;
    if (request.pathLength > (view.Size() - sizeof(Request)) / sizeof(wchar_t)) return false;
    path.assign(reinterpret_cast<const wchar_t*>(view.Data() + sizeof(Request)), request.pathLength);
    return path.find(L'\0') == std::wstring::npos;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void SetServerHost(const std::string& program) { g_host = program; }

void SetServerTimeLimit(unsigned long milliseconds) { g_timeLimit = milliseconds; }

bool IsServerHostCommandLine(const std::string& commandLine) {
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    return parameters.size() >= 2 &&
           (EqualsNoCase(parameters[1], kRegisterSwitch) || EqualsNoCase(parameters[1], kUnregisterSwitch));
}

int RunServerHost(const std::string& commandLine) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    bool registerServer = EqualsNoCase(parameters[1], kRegisterSwitch);
    std::wstring path;
    if (parameters.size() != 3 || !ReadRequest(parameters[2], registerServer, path))
        return static_cast<int>(ServerOutcome::Refused);
    // The server's own folder is searched for the libraries it needs.
    LibraryHandle library(LoadLibraryExW(path.c_str(), nullptr, OwnFolderLoadFlags()));
    if (!library.Valid()) return static_cast<int>(ServerOutcome::LoadFailed);
    ServerEntry entry = FindEntry(library.Get(), registerServer ? "DllRegisterServer" : "DllUnregisterServer");
    if (!entry) return static_cast<int>(ServerOutcome::EntryMissing);
    // Servers expect COM to be ready on the calling thread, as in the installer's own.
    HRESULT com = CoInitialize(nullptr);
    HRESULT result = entry();
    if (SUCCEEDED(com)) CoUninitialize();
    return static_cast<int>(result == S_OK ? ServerOutcome::Succeeded : ServerOutcome::EntryFailed);
}

ServerOutcome CallServerEntry(const std::string& path, bool registerServer) {
    std::wstring library = Wide(path);
    // The request, in memory that only this process and the host it starts can reach.
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    DWORD size = static_cast<DWORD>(sizeof(Request) + library.size() * sizeof(wchar_t));
    Handle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, &inherited, PAGE_READWRITE, 0, size, nullptr));
    if (!mapping.Valid()) return ServerOutcome::Crashed;
    {
        MappedView view(mapping.Get(), FILE_MAP_WRITE);
        if (!view.Data()) return ServerOutcome::Crashed;
        Request request{};
        std::memcpy(request.mark, kRequestMark, sizeof(kRequestMark));
        request.registerServer = registerServer ? 1 : 0;
        request.pathLength = static_cast<unsigned long>(library.size());
        std::memcpy(view.Data(), &request, sizeof(request));
        std::memcpy(view.Data() + sizeof(request), library.data(), library.size() * sizeof(wchar_t));
    }
    std::string host = g_host.empty() ? ProgramFilePath() : g_host;
    std::string commandLine = Quoted(host) + " " + (registerServer ? kRegisterSwitch : kUnregisterSwitch) + " " +
                              std::to_string(reinterpret_cast<uintptr_t>(mapping.Get()));
    std::wstring line = Wide(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(Wide(host).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return ServerOutcome::Crashed;
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    if (!WaitWhilePumping(process.hProcess, g_timeLimit)) {
        TerminateProcess(process.hProcess, static_cast<UINT>(ServerOutcome::TimedOut));
        WaitForSingleObject(process.hProcess, INFINITE);
        return ServerOutcome::TimedOut;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.hProcess, &code)) return ServerOutcome::Crashed;
    // Any code the host does not give itself means that it did not end by itself.
    if (code > static_cast<DWORD>(ServerOutcome::Refused)) return ServerOutcome::Crashed;
    return static_cast<ServerOutcome>(code);
}
