#pragma once
// COM servers' self-registration entry points run in a process of their own: the program starts
// itself as the host of one call, as the system's own registration tool does. A server that
// crashes in DllRegisterServer or DllUnregisterServer then takes only its host down; the run
// goes on and reports it.
//
// The host serves only the process that started it: the request (which library, which entry
// point) travels in a file mapping whose handle the host inherits, never on the command line. A
// signed program that loaded any library named on its command line would be a launcher for
// anyone's code; started by hand, the host refuses.
#include <string>

enum class ServerOutcome {
    Succeeded = 0,     // the entry point returned 0
    LoadFailed = 1,    // the library could not be loaded
    EntryMissing = 2,  // it has no such entry point
    EntryFailed = 3,   // the entry point returned another value
    Crashed = 4,       // the library or its entry point crashed (or the host could not run)
    Refused = 5,       // the host was not started by this program with a request
    TimedOut = 6,      // the call did not end within the time limit: the host was ended
};

// The program that hosts the calls: the running program itself unless set otherwise (the run sets
// its work folder's copy, which stays when the medium is changed; tests run the built SETUP.EXE).
void SetServerHost(const std::string& program);
// How long a call may take, in milliseconds; 0 (the default) means no limit. Unattended runs set
// one: no one could answer a window that a server shows.
void SetServerTimeLimit(unsigned long milliseconds);

// Calls DllRegisterServer (register) or DllUnregisterServer of the library in a host process,
// keeping the windows alive meanwhile.
ServerOutcome CallServerEntry(const std::string& path, bool registerServer);

// The host's side. True when the command line asks this process to be a host; the program then
// calls RunServerHost and ends with its result, before anything else happens.
bool IsServerHostCommandLine(const std::string& commandLine);
int RunServerHost(const std::string& commandLine);
