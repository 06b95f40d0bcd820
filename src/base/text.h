#pragma once
// Text utilities over the program's strings: UTF-8. Positions are 1-based byte positions; 0 means
// "not found". None of them changes its arguments. In UTF-8 no byte of a character that needs
// several bytes is an ASCII byte, so a search for "\" or "," never finds part of another
// character, and splitting at such a byte never splits one.
#include <string>
#include <vector>

// Byte cuts, clamped to the text: only for positions of ASCII characters (drive letters, flags).
std::string CopyHead(const std::string& text, long long n);
std::string CopyTail(const std::string& text, long long n);
std::string CopyFrom(const std::string& text, long long p);

// Side selector: first byte "T" (top) or "B" (bottom); anything else selects nothing.
std::string AddDelimiter(const std::string& text, const std::string& side);
std::string RemoveDelimiter(const std::string& text, const std::string& side);

// The n-th field (from 1) of a list split at a one-byte separator.
std::string GetField(const std::string& text, const std::string& separator, long long n);

// Searches; FindNoCase compares upper-cased texts (UpperCase).
size_t FindMbcs(const std::string& needle, const std::string& haystack);
size_t FindNoCase(const std::string& needle, const std::string& haystack);

// A name (path, registry key or value name) longer than any the system accepts (32,767 UTF-16
// units with the terminating zero): on its way to the system such a name would be cut down to a
// shorter one, which may name another file or key.
bool TooLongForTheSystem(const std::string& name);
bool IsPathDelimiterAt(const std::string& text, size_t index0);  // 0-based index
bool ContainsNoCase(const std::string& haystack, const std::string& needle);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Letters in upper case: ASCII, Latin-1 and Latin Extended-A, Greek, Cyrillic and the full-width
// Latin letters (those a Japanese script, path or registry name holds); the same on every system.
std::string UpperCase(const std::string& text);
// ASCII characters (and the blank) as their full-width forms.
std::string FullWidth(const std::string& text);
// How wide a text is shown in a fixed-pitch Japanese font: 1 for ASCII and the half-width
// katakana, 2 for every other character (what the text's code page 932 form counts in bytes).
size_t DisplayWidth(const std::string& text);
std::string FileNamePart(const std::string& path);    // after the last "\" or ":"
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
