#include "driver/common.h"

#include <cstdio>

#include "base/cp932.h"

namespace e2e {

void Fail(const std::string& message, const Where& where) {
    ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << message;
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

std::string Cp932(std::string_view utf8) {
    std::string bytes;
    // A "?" in place of a character could match a program that lost it: such a text is no
    // expectation for a code page 932 file.
    if (!Utf8ToCp932(utf8, bytes)) ADD_FAILURE() << "not code page 932 text: " << Quoted(std::string(utf8));
    return bytes;
}

std::string Quoted(const std::string& text) {
    // UTF-8: no byte of a multi-byte character looks like a control character.
    std::string quoted = "\"";
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\r') {
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
            quoted += ch;
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
    return ::testing::AssertionFailure() << "text is " << Quoted(actual) << ", expected " << Quoted(expected);
}

::testing::AssertionResult SameCp932(const std::string& actualBytes, const std::string& expected) {
    if (actualBytes == Cp932(expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "code page 932 bytes read " << Quoted(Cp932ToUtf8(actualBytes))
                                         << ", expected " << Quoted(expected);
}

::testing::AssertionResult Contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Quoted(part) << " is not in " << Quoted(text);
}

::testing::AssertionResult EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Quoted(text) << " does not end with " << Quoted(tail);
}

}  // namespace e2e
