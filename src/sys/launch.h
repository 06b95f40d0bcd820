#pragma once
// Starting other programs: the installation checker, the follow-up program.
#include <windows.h>

#include <string>

// Starts the program with the arguments alone as its command line (no command line at all when
// they are empty) and the show command; with wait, keeps the user interface alive until the
// program has ended. 0 on success, else the Windows error code, after a warning box. With a time
// limit (milliseconds, 0 for none) a program that is still running then is ended: ERROR_TIMEOUT,
// without a box.
DWORD RunProgram(const std::string& path, const std::string& arguments, int showCommand, bool wait,
                 unsigned long timeLimit = 0);

// Waits until the process has ended while the program's windows stay alive: messages are handled
// as they come. A request to quit that arrives meanwhile is passed on afterwards. False when the
// time limit (milliseconds, 0 for none) passed first; the process is still running then.
bool WaitWhilePumping(HANDLE process, unsigned long timeLimit = 0);

// Opens a program or document through the shell. A failure is shown; the result is always 0.
DWORD OpenProgram(const std::string& path, const std::string& arguments);

// The warning text of a failed start: "プログラム実行失敗", the program and its arguments, and the
// system's text for the code.
std::string LaunchFailedText(const std::string& path, const std::string& arguments, DWORD code);
