#pragma once
// Runs SETUPCHK.EXE as a user does from a command prompt and takes what it printed. Shared by the
// catalogue test and the black-box plan test.
#include <windows.h>

#include <string>

struct CheckerRun {
    bool started = false;
    DWORD startError = 0;  // why it did not start
    DWORD exitCode = 0;
    std::string output;  // as printed (UTF-8, or code page 932 with /CP932), line ends as printed
};

// arguments as on a command line after the program's name; folder: the working folder.
CheckerRun RunChecker(const std::string& checker, const std::string& arguments, const std::string& folder);

// Code page 932 text as UTF-8 with LF line ends, for comparing with the expected reports.
std::string Utf8Lines(const std::string& cp932);
// The output with LF line ends.
std::string OutputLines(const std::string& output);
