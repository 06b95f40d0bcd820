#pragma once
// Code page 932 (Microsoft's Shift-JIS), the program's own conversion: the same on every system
// whatever its code page, and on Linux. It gives what Windows' own conversion of code page 932
// gives, from tables taken from it (cp932_table.inc, see tools/cp932/README.md).
//
// Scripts, uninstall logs and INI data are code page 932 on disk; inside, text is UTF-8.
#include <string>
#include <string_view>

// Decodes any bytes, never failing: undefined pairs, a lead byte with a bad trail byte and a lead
// byte at the end become "・" (U+30FB), as they do on Windows.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 into out (replacing its content), each character in the form Windows writes when
// it has several. A character without an exact form (no best fit: "é" does not become "e"), a
// lone surrogate or bytes that are no UTF-8 make the result false and appear as "?" in out.
bool Utf8ToCp932(std::string_view utf8, std::string& out);

// Whether Utf8ToCp932 would succeed.
bool IsCp932Encodable(std::string_view utf8);

// Whether the byte starts a two-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsCp932LeadByte(unsigned char byte);

// The text of a distribution's text file (an agreement, a readme): UTF-16 or UTF-8 when a
// byte-order mark says so, code page 932 otherwise; as UTF-8 without the mark.
std::string TextFileToUtf8(std::string_view bytes);
