#include "driver/common.h"

#include <cstdio>

namespace e2e {

void Fail(const std::string& message, const Where& where) {
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << Utf8(message);
}

bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return condition();
        Sleep(kPollInterval);
    }
}

bool WaitUntil(const std::function<bool()>& condition, const std::string& what,
               const std::function<std::string()>& seen, DWORD timeoutMs, Where where) {
    if (PollUntil(condition, timeoutMs)) return true;
    Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what + "; last seen: " +
             (seen ? seen() : std::string("(nothing)")),
         where);
    return false;
}

bool WaitUntil(const std::function<bool()>& condition, const std::function<std::string()>& what,
               const std::function<std::string()>& seen, DWORD timeoutMs, Where where) {
    if (PollUntil(condition, timeoutMs)) return true;
    Fail("timed out after " + std::to_string(timeoutMs) + " ms waiting for " + what() + "; last seen: " +
             (seen ? seen() : std::string("(nothing)")),
         where);
    return false;
}

std::string Utf8(const std::string& cp932) {
    if (cp932.empty()) return {};
    int wideLength = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    if (wideLength <= 0) return cp932;
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(), wideLength);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return cp932;
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        // A lead byte and its trail byte stay together: a trail byte may look like "\".
        if (IsDBCSLeadByteEx(932, c) && i + 1 < text.size()) {
            quoted += text.substr(i, 2);
            ++i;
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string CaptionPart(const std::string& caption) {
    if (caption.empty()) return {};
    const std::string quoted = Quoted(caption);
    return " " + quoted;
}

::testing::AssertionResult SameText(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "text is " << Utf8(Quoted(actual)) << ", expected "
                                         << Utf8(Quoted(expected));
}

::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Utf8(Quoted(part)) << " is not in " << Utf8(Quoted(text));
}

::testing::AssertionResult EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Utf8(Quoted(text)) << " does not end with " << Utf8(Quoted(tail));
}

}  // namespace e2e
