#pragma once
// COM servers' self-registration entry points run in a process of their own: the program starts
// itself as the host of one call, as the system's own registration tool does. A server that
// crashes in DllRegisterServer or DllUnregisterServer then takes only its host down; the run
// goes on and reports it.
#include <string>

enum class ServerOutcome {
    Succeeded = 0,     // the entry point returned 0
    LoadFailed = 1,    // the library could not be loaded
    EntryMissing = 2,  // it has no such entry point
    EntryFailed = 3,   // the entry point returned another value
    Crashed = 4,       // the library or its entry point crashed (or the host could not run)
};

// The program that hosts the calls: the running program itself unless set otherwise (tests run
// the built SETUP.EXE as the host).
void SetServerHost(const std::string& program);

// Calls DllRegisterServer (register) or DllUnregisterServer of the library in a host process,
// keeping the windows alive meanwhile.
ServerOutcome CallServerEntry(const std::string& path, bool registerServer);

// The host's side. True when the command line asks this process to be a host; the program then
// calls RunServerHost and ends with its result, before anything else happens.
bool IsServerHostCommandLine(const std::string& commandLine);
int RunServerHost(const std::string& commandLine);
