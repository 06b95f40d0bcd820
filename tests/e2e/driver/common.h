#pragma once
// Shared pieces of the black-box driver: default waits, failures reported at the test's own line,
// polling, and text helpers for readable failure messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <source_location>
#include <string>

namespace e2e {

// The test line that called the driver: every failure is reported there, not inside the driver.
using Where = std::source_location;

// Default time-out of every wait, in milliseconds: generous on a loaded machine, yet short enough
// that a broken scenario fails instead of hanging.
inline constexpr DWORD kWait = 5000;
// Interval between two looks while polling.
inline constexpr DWORD kPollInterval = 20;
// Longest time one message to the target may take (reading a text, typing).
inline constexpr DWORD kMessageTimeout = 2000;

// Adds a non-fatal gtest failure at the caller's line. The message is code page 932 text and is
// reported as UTF-8, so that the log reads on a Linux terminal.
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

// Code page 932 bytes as UTF-8 (for messages only).
std::string Utf8(const std::string& cp932);
// The text in double quotes, with line ends shown as \r and \n.
std::string Quoted(const std::string& text);
// " " and the quoted caption, or nothing for an empty caption (which matches any).
std::string CaptionPart(const std::string& caption);
// Compares two code page 932 texts; a mismatch is explained in readable UTF-8:
// EXPECT_TRUE(e2e::SameText(box.Title(), "終了確認"));
::testing::AssertionResult SameText(const std::string& actual, const std::string& expected);

}  // namespace e2e
