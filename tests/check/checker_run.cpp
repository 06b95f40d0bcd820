#include "checker_run.h"

#include <vector>

#include "edge/handles.h"
#include "edge/wide.h"

CheckerRun RunChecker(const std::string& checker, const std::string& arguments, const std::string& folder) {
    CheckerRun run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0)) return run;
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION started{};
    std::wstring line = Wide("\"" + checker + "\" " + arguments);
    // Without a console of its own: the output goes to the pipe alone, and Wine starts no console
    // host beside it.
    std::wstring workFolder = Wide(folder);
    run.started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                                 folder.empty() ? nullptr : workFolder.c_str(), &startup, &started) != 0;
    if (!run.started) run.startError = GetLastError();
    writeEnd.Close();
    if (!run.started) return run;
    Handle process(started.hProcess), thread(started.hThread);
    // Under Wine the program's first window call may start the desktop process, which inherits the
    // write end and keeps the pipe open: read what is there until the program has ended, never
    // waiting for the pipe's end.
    for (bool ended = false; !ended;) {
        ended = WaitForSingleObject(process.Get(), 20) == WAIT_OBJECT_0;
        char buffer[4096];
        DWORD available = 0, got = 0;
        while (PeekNamedPipe(readEnd.Get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(readEnd.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
            run.output.append(buffer, got);
    }
    GetExitCodeProcess(process.Get(), &run.exitCode);
    return run;
}

std::string Utf8Lines(const std::string& cp932) {
    std::string text;
    for (char c : cp932)
        if (c != '\r') text += c;  // CR is never part of a double-byte character
    if (text.empty()) return text;
    int wideSize = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(wideSize));
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideSize);
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string OutputLines(const std::string& output) {
    std::string text;
    for (char c : output)
        if (c != '\r') text += c;
    return text;
}
