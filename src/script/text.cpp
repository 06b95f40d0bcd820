#include "script/text.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

size_t Length(const std::string& text) { return text.size(); }

char SideOf(const std::string& side) { return side.empty() ? '\0' : side[0]; }

}  // namespace

std::string CopyHead(const std::string& text, long long n) {
    if (n <= 0) return std::string();
    if (static_cast<unsigned long long>(n) >= Length(text)) return text;
    return text.substr(0, static_cast<size_t>(n));
}

std::string CopyTail(const std::string& text, long long n) {
    if (n <= 0) return std::string();
    if (static_cast<unsigned long long>(n) >= Length(text)) return text;
    return text.substr(Length(text) - static_cast<size_t>(n));
}

std::string CopyFrom(const std::string& text, long long p) {
    if (p <= 1) return text;
    if (static_cast<unsigned long long>(p) > Length(text)) return std::string();
    return text.substr(static_cast<size_t>(p - 1));
}

bool IsLeadByteAnsi(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool TooLongForTheSystem(const std::string& name) { return name.size() >= 32767; }

// A byte is a trail byte when the run of lead-byte values directly before it has odd length.
bool IsTrailByteAt(const std::string& text, size_t index0) {
    size_t run = 0;
    while (run < index0 && IsLeadByteAnsi(static_cast<unsigned char>(text[index0 - run - 1]))) ++run;
    return run % 2 == 1;
}

bool IsPathDelimiterAt(const std::string& text, size_t index0) {
    return index0 < text.size() && text[index0] == '\\' && !IsTrailByteAt(text, index0);
}

std::string AddDelimiter(const std::string& text, const std::string& side) {
    switch (SideOf(side)) {
    case 'T':
        if (text.empty() || !IsPathDelimiterAt(text, 0)) return "\\" + text;
        return text;
    case 'B':
        if (text.empty() || !IsPathDelimiterAt(text, text.size() - 1)) return text + "\\";
        return text;
    default:
        return text;
    }
}

std::string RemoveDelimiter(const std::string& text, const std::string& side) {
    if (text.empty()) return text;
    switch (SideOf(side)) {
    case 'T':
        return IsPathDelimiterAt(text, 0) ? text.substr(1) : text;
    case 'B':
        return IsPathDelimiterAt(text, text.size() - 1) ? text.substr(0, text.size() - 1) : text;
    default:
        return text;
    }
}

std::string GetField(const std::string& text, const std::string& separator, long long n) {
    std::string field;
    if (n < 1) return field;
    long long counter = 1;
    for (char c : text) {
        if (separator.size() == 1 && c == separator[0]) {
            ++counter;
            if (counter > n) break;
        } else if (counter == n) {
            field += c;
        }
    }
    return field;
}

std::string MapText(const std::string& text, unsigned long flags) {
    if (text.empty()) return text;
    int length = static_cast<int>(text.size());
    int size = LCMapStringA(LOCALE_SYSTEM_DEFAULT, flags, text.data(), length, nullptr, 0);
    if (size <= 0) return text;
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    if (LCMapStringA(LOCALE_SYSTEM_DEFAULT, flags, text.data(), length, buffer.data(), size) == 0)
        return text;
    return std::string(buffer.data());
}

size_t FindMbcs(const std::string& needle, const std::string& haystack) {
    if (needle.empty()) return 0;
    size_t p = 0;
    while (p < haystack.size()) {
        if (haystack[p] == needle[0] && haystack.compare(p, needle.size(), needle) == 0 &&
            p + needle.size() <= haystack.size())
            return p + 1;
        p += IsLeadByteAnsi(static_cast<unsigned char>(haystack[p])) ? 2 : 1;
    }
    return 0;
}

std::string UpperCase(const std::string& text) { return MapText(text, LCMAP_UPPERCASE); }

size_t FindNoCase(const std::string& needle, const std::string& haystack) {
    return FindMbcs(UpperCase(needle), UpperCase(haystack));
}

bool ContainsNoCase(const std::string& haystack, const std::string& needle) {
    return FindNoCase(needle, haystack) != 0;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

namespace {

// 0-based index of the last "\" or ":" that stands as a character of its own, or npos.
size_t LastPathSeparator(const std::string& path) {
    size_t last = std::string::npos;
    size_t p = 0;
    while (p < path.size()) {
        unsigned char c = static_cast<unsigned char>(path[p]);
        if (IsLeadByteAnsi(c) && p + 1 < path.size()) {
            p += 2;
            continue;
        }
        if (c == '\\' || c == ':') last = p;
        ++p;
    }
    return last;
}

}  // namespace

std::string FileNamePart(const std::string& path) {
    size_t last = LastPathSeparator(path);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string FolderPart(const std::string& path) {
    size_t last = LastPathSeparator(path);
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && !IsLeadByteAnsi(static_cast<unsigned char>(path[0])))
        return path.substr(0, 2);
    return std::string();
}

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string result;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size())
        result.append(text, start, at - start).append(to);
    result.append(text, start, std::string::npos);
    return result;
}

std::string IntToStr(long long value) { return std::to_string(value); }

bool TryStrToInt32(const std::string& text, long& value) {
    if (text.empty()) return false;
    size_t p = 0;
    if (text[0] == '$' || (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))) {
        p = text[0] == '$' ? 1 : 2;
        if (p >= text.size() || text.size() - p > 8) return false;
        unsigned long bits = 0;
        for (; p < text.size(); ++p) {
            char c = text[p];
            int digit = (c >= '0' && c <= '9')   ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0) return false;
            bits = (bits << 4) | static_cast<unsigned long>(digit);
        }
        value = static_cast<long>(static_cast<int>(bits & 0xFFFFFFFFul));
        return true;
    }
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        p = 1;
    }
    if (p >= text.size()) return false;
    long long magnitude = 0;
    for (; p < text.size(); ++p) {
        char c = text[p];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL) return false;
    }
    if (negative) magnitude = -magnitude;
    if (magnitude > 2147483647LL || magnitude < -2147483648LL) return false;
    value = static_cast<long>(magnitude);
    return true;
}

std::string FormatThousands(long long value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string result;
    int count = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        if (count > 0 && count % 3 == 0) result.insert(result.begin(), ',');
        result.insert(result.begin(), digits[i]);
        ++count;
    }
    return value < 0 ? "-" + result : result;
}

std::vector<std::string> CommandLineParameters(const std::string& commandLine) {
    std::vector<std::string> parameters;
    size_t p = 0;
    while (true) {
        while (p < commandLine.size() && (commandLine[p] == ' ' || commandLine[p] == '\t')) ++p;
        if (p >= commandLine.size()) return parameters;
        // A double quote or a blank is never the second byte of a double-byte character.
        std::string parameter;
        bool quoted = false;
        for (; p < commandLine.size(); ++p) {
            char c = commandLine[p];
            if (c == '"')
                quoted = !quoted;
            else if ((c == ' ' || c == '\t') && !quoted)
                break;
            else
                parameter += c;
        }
        parameters.push_back(parameter);
    }
}
