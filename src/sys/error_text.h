#pragma once
// The text every failure message of the program shows for a Windows error code.
#include <windows.h>

#include <string>

// "" for 0; otherwise the system's message in full-width characters followed by CR LF.
std::string SystemErrorText(DWORD code);
// The system's message as it is, without trailing blanks, line ends and full stops; "" when the
// system has none.
std::string SystemMessageOf(DWORD code);
