#pragma once
// The one conversion between the program's text (UTF-8) and the UTF-16 of the system's W
// functions. Lossless both ways: a file name that is no valid UTF-16 (a lone surrogate) keeps its
// 16-bit units through the program (base/utf.h).
#include <string>
#include <string_view>

#include "base/utf.h"

inline std::wstring Wide(std::string_view text) {
    std::u16string units = Utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(std::wstring_view text) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// Upper case as the system compares file names (every script's letters, not only ASCII).
std::string UpperCaseAsSystem(std::string_view text);

// The text in the system's ANSI code page, for the one file that Windows 95, 98 and Me read in it
// (WININIT.INI); what that code page cannot hold becomes "?".
std::string SystemCodePageText(std::string_view text);

// The program's text as UTF-8: it is already (kept for the places that state the encoding they
// write: logs for administrators, consoles).
inline const std::string& Utf8Of(const std::string& text) { return text; }
