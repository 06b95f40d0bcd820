#include "sys/server_host.h"

#include <windows.h>
#include <objbase.h>

#include <vector>

#include "script/fileops.h"
#include "script/text.h"
#include "sys/handles.h"
#include "sys/launch.h"
#include "sys/system_library.h"

namespace {

// Switches of the host's command line: "<program> /RegServer <library>" or "/UnregServer".
const char kRegisterSwitch[] = "/RegServer";
const char kUnregisterSwitch[] = "/UnregServer";

std::string g_host;

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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

void SetServerHost(const std::string& program) { g_host = program; }

bool IsServerHostCommandLine(const std::string& commandLine) {
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    return parameters.size() == 3 &&
           (EqualsNoCase(parameters[1], kRegisterSwitch) || EqualsNoCase(parameters[1], kUnregisterSwitch));
}

int RunServerHost(const std::string& commandLine) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnCrash);
    std::vector<std::string> parameters = CommandLineParameters(commandLine);
    bool registerServer = EqualsNoCase(parameters[1], kRegisterSwitch);
    // The server's own folder is searched for the libraries it needs.
    LibraryHandle library(LoadLibraryExA(parameters[2].c_str(), nullptr, OwnFolderLoadFlags()));
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
    std::string host = g_host.empty() ? ProgramFilePath() : g_host;
    std::string commandLine =
        Quoted(host) + " " + (registerServer ? kRegisterSwitch : kUnregisterSwitch) + " " + Quoted(path);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(host.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ServerOutcome::Crashed;
    Handle processHandle(process.hProcess);
    Handle threadHandle(process.hThread);
    WaitWhilePumping(process.hProcess);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.hProcess, &code)) return ServerOutcome::Crashed;
    // Any code the host does not give itself means that it did not end by itself.
    if (code > static_cast<DWORD>(ServerOutcome::Crashed)) return ServerOutcome::Crashed;
    return static_cast<ServerOutcome>(code);
}
