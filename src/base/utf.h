#pragma once
// UTF-8 and UTF-16 conversion, the program's own (no system call, the same on every platform).
//
// Text inside the program is UTF-8. File names on Windows are sequences of 16-bit units that need
// not be valid UTF-16 (a lone surrogate is a legal name), so the conversion is lossless in both
// directions: a lone surrogate becomes its three-byte form (as WTF-8 does) and comes back as the
// same unit. Bytes that are no UTF-8 (a truncated sequence, an overlong form, 0xFF) each become
// U+FFFD, as a decoder that never fails must.
#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Whether the bytes are well-formed UTF-8 (no lone surrogate, no overlong form).
bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of one code point (a lone surrogate included, see above).
void AppendUtf8(std::string& out, char32_t codePoint);
// The code point at text[at], advancing at past it; U+FFFD (one byte consumed) for a byte that
// starts no well-formed sequence. at must be below text.size().
char32_t NextCodePoint(std::string_view text, size_t& at);
