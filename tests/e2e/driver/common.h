#pragma once
// Shared pieces of the black-box driver: default waits, failures reported at the test's own line,
// polling, and text helpers for readable failure messages. Text is UTF-8 throughout; the driver
// reads and writes the program's windows, files and registry through the system's W functions,
// so that it sees them right whatever the system's code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>

namespace e2e {

// The test line that called the driver: every failure is reported there, not inside the driver.
using Where = std::source_location;

// Default time-out of every wait, in milliseconds: generous on a loaded machine, yet short enough
// that a broken scenario fails instead of hanging.
inline constexpr DWORD kWait = 10000;
// Interval between two looks while polling.
inline constexpr DWORD kPollInterval = 20;
// Longest time one message to the target may take (reading a text, typing).
inline constexpr DWORD kMessageTimeout = 2000;

// Adds a non-fatal gtest failure at the caller's line.
void Fail(const std::string& message, const Where& where);

// Tries the condition until it holds or the time-out has passed; it is tried at least once, and
// once more when the time is up. Returns whether it held.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Waits for any condition; on time-out reports "what" and the last state that "seen" describes.
bool WaitUntil(const std::function<bool()>& condition, const std::string& what,
               const std::function<std::string()>& seen, DWORD timeoutMs = kWait,
               Where where = Where::current());

// The same, with the description built only when the wait fails.
bool WaitUntil(const std::function<bool()>& condition, const std::function<std::string()>& what,
               const std::function<std::string()>& seen, DWORD timeoutMs = kWait,
               Where where = Where::current());

// The UTF-8 text as code page 932 bytes, as scripts, uninstall logs and INI files hold it; a text
// that code page 932 cannot hold is a failure of the test.
std::string Cp932(std::string_view utf8);
// The text in double quotes, with line ends shown as \r and \n.
std::string Quoted(const std::string& text);
// " " and the quoted caption, or nothing for an empty caption (which matches any).
std::string CaptionPart(const std::string& caption);
// Compares two texts; a mismatch shows both quoted:
// EXPECT_TRUE(e2e::SameText(box.Title(), "終了確認"));
::testing::AssertionResult SameText(const std::string& actual, const std::string& expected);
// Compares the bytes of a code page 932 file (or a part of one) with the code page 932 form of the
// expected text; a mismatch shows both decoded.
::testing::AssertionResult SameCp932(const std::string& actualBytes, const std::string& expected);

// Whether the text holds the part; a mismatch shows both.
::testing::AssertionResult Contains(const std::string& text, const std::string& part);
// Whether the text ends with the tail; a mismatch shows both.
::testing::AssertionResult EndsWith(const std::string& text, const std::string& tail);

// A value as a failure message shows it: texts quoted, truth values as true/false, numbers as
// numbers.
inline std::string Shown(const std::string& text) { return Quoted(text); }
inline std::string Shown(const char* text) { return Quoted(text); }
inline std::string Shown(bool value) { return value ? "true" : "false"; }
template <class T>
    requires std::is_arithmetic_v<T>
std::string Shown(T value) {
    return std::to_string(value);
}
template <class T>
std::string Shown(T* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", static_cast<const void*>(pointer));
    return text;
}

// Polls the reading until it equals the expected value. The program under test may still be
// updating its windows, files or registry after whatever sign the test waited for, so a test
// never asserts on a single read. Use it through EXPECT_SOON_EQ / ASSERT_SOON_EQ.
template <class Read, class Expected>
::testing::AssertionResult Soon(const Read& read, const Expected& expected, const char* expression,
                                DWORD timeoutMs = kWait) {
    decltype(read()) seen{};
    if (PollUntil([&] { return (seen = read()) == expected; }, timeoutMs)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << expression << " is " << Shown(seen) << ", expected "
                                         << Shown(expected) << " (waited " << timeoutMs << " ms)";
}

// Polls a check (bool or AssertionResult) until it holds; on time-out the failure carries the
// check's last message. Use it through EXPECT_SOON_TRUE / ASSERT_SOON_TRUE.
template <class Check>
::testing::AssertionResult SoonTrue(const Check& check, const char* expression, DWORD timeoutMs = kWait) {
    ::testing::AssertionResult last = ::testing::AssertionFailure();
    if (PollUntil([&] { return static_cast<bool>(last = ::testing::AssertionResult(check())); }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << expression << " did not hold within " << timeoutMs << " ms"
                                         << (last.message()[0] ? ": " : "") << last.message();
}

}  // namespace e2e

// EXPECT_SOON_EQ(TextOf(IDC_LBL_MESSAGE), "…"): waits (e2e::kWait) until the expression equals the
// value; on time-out the failure names the expression and what it showed last. Streams like
// EXPECT_EQ: EXPECT_SOON_EQ(box.Checked(), true) << id;
#define EXPECT_SOON_EQ(actual, expected) \
    GTEST_ASSERT_(::e2e::Soon([&] { return (actual); }, (expected), #actual), GTEST_NONFATAL_FAILURE_)
#define ASSERT_SOON_EQ(actual, expected) \
    GTEST_ASSERT_(::e2e::Soon([&] { return (actual); }, (expected), #actual), GTEST_FATAL_FAILURE_)
// EXPECT_SOON_TRUE(check): waits until a bool or AssertionResult check holds.
#define EXPECT_SOON_TRUE(condition) \
    GTEST_ASSERT_(::e2e::SoonTrue([&] { return (condition); }, #condition), GTEST_NONFATAL_FAILURE_)
#define ASSERT_SOON_TRUE(condition) \
    GTEST_ASSERT_(::e2e::SoonTrue([&] { return (condition); }, #condition), GTEST_FATAL_FAILURE_)
// EXPECT_SOON(control, Visible, true): the same for one property of a window (Text, Visible,
// Enabled, Checked, CheckState, ProgressPos).
#define EXPECT_SOON(window, property, expected) EXPECT_SOON_EQ((window).property(), (expected))
#define ASSERT_SOON(window, property, expected) ASSERT_SOON_EQ((window).property(), (expected))
