#pragma once
// Text utilities over byte strings in the system ANSI code page (code page 932 on Japanese Windows).
// Positions are 1-based byte positions; 0 means "not found". None of them changes its arguments.
#include <string>
#include <vector>

// Byte cuts, clamped to the text (they may split a double-byte character).
std::string CopyHead(const std::string& text, long long n);
std::string CopyTail(const std::string& text, long long n);
std::string CopyFrom(const std::string& text, long long p);

// Side selector: first byte "T" (top) or "B" (bottom); anything else selects nothing.
std::string AddDelimiter(const std::string& text, const std::string& side);
std::string RemoveDelimiter(const std::string& text, const std::string& side);

// The n-th field (from 1) of a list split at a one-byte separator; not lead-byte aware.
std::string GetField(const std::string& text, const std::string& separator, long long n);

// LCMapStringA with the system default locale; the unchanged text on any failure.
std::string MapText(const std::string& text, unsigned long flags);

// Searches that only match at character boundaries.
size_t FindMbcs(const std::string& needle, const std::string& haystack);
size_t FindNoCase(const std::string& needle, const std::string& haystack);

// Helpers built on the rules above.
bool IsLeadByteAnsi(unsigned char byte);
// A name (path, registry key or value name) longer than any the system accepts (32,767 characters
// with the terminating zero). Such a name must not reach an A function: on its way to the system a
// name of 64 KB or more is cut down to a shorter one, which may name another file or key.
bool TooLongForTheSystem(const std::string& name);
bool IsTrailByteAt(const std::string& text, size_t index0);  // 0-based index
bool IsPathDelimiterAt(const std::string& text, size_t index0);
bool ContainsNoCase(const std::string& haystack, const std::string& needle);
bool EqualsNoCase(const std::string& a, const std::string& b);  // upper-cased in the ANSI code page
std::string UpperCase(const std::string& text);
std::string FileNamePart(const std::string& path);    // after the last "\" or ":" (delimiters only)
std::string FolderPart(const std::string& path);      // up to and including the last "\" or ":"
std::string DrivePart(const std::string& path);       // "C:" of "C:\x", empty when there is none
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to);
std::string IntToStr(long long value);
// Decimal with optional sign, or "$" and hexadecimal digits; false when the text is no such number.
bool TryStrToInt32(const std::string& text, long& value);
// "#,##0": thousands separated by ",".
std::string FormatThousands(long long value);

// The parameters of a command line as the program's start-up code splits it: blanks separate,
// double quotes group blanks and are removed. The first one is the program itself.
std::vector<std::string> CommandLineParameters(const std::string& commandLine);
