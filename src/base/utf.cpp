#include "base/utf.h"

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of a well-formed sequence of the given length starting at text[at] (surrogates
// allowed), or -1.
long Decode(std::string_view text, size_t at, size_t length) {
    if (at + length > text.size()) return -1;
    unsigned char first = static_cast<unsigned char>(text[at]);
    long value = length == 2 ? (first & 0x1F) : length == 3 ? (first & 0x0F) : (first & 0x07);
    for (size_t i = 1; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(c)) return -1;
        value = (value << 6) | (c & 0x3F);
    }
    static const long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF) return -1;  // overlong or out of range
    return value;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextCodePoint(std::string_view text, size_t& at) {
    unsigned char first = static_cast<unsigned char>(text[at]);
    size_t length = first < 0x80 ? 1 : (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3 : (first & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 1) {
        ++at;
        return first;
    }
    long value = length ? Decode(text, at, length) : -1;
    if (value < 0) {
        ++at;
        return 0xFFFD;
    }
    at += length;
    return static_cast<char32_t>(value);
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t at = 0;
    while (at < utf8.size()) {
        char32_t c = NextCodePoint(utf8, at);
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 | (c >> 10));
            out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3 / 2);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(out, c);  // a lone surrogate keeps its own three bytes
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
        size_t before = at;
        char32_t c = NextCodePoint(bytes, at);
        if (c >= 0xD800 && c <= 0xDFFF) return false;
        if (c == 0xFFFD && !(at - before == 3 && bytes.compare(before, 3, "\xEF\xBF\xBD") == 0)) return false;
    }
    return true;
}
