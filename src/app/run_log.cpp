#include "app/run_log.h"

#include <windows.h>

#include <cstdio>

#include "edge/wide.h"
#include "sys/error_text.h"
#include "edge/handles.h"

namespace {

std::string TimeStamp() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

}  // namespace

bool RunLog::Open(const std::string& path) {
    FileHandle file(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    path_ = path;
    statusDone_ = 0;
    return true;
}

bool RunLog::OpenOrFallBack(const std::string& path, const std::string& fallback) {
    if (Open(path)) return true;
    DWORD error = GetLastError();
    if (fallback.empty() || !Open(fallback)) return false;
    Write("ログファイル " + path + " に書き込めないため、このファイルに記録します。" + SystemErrorText(error));
    return true;
}

void RunLog::Write(const std::string& text) {
    if (path_.empty()) return;
    std::string lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines += TimeStamp() + Utf8Of(line) + "\r\n";
        if (end == std::string::npos) break;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    if (lines.empty()) lines = TimeStamp() + "\r\n";
    // Opened for each write: a line is on the disk as soon as it is written.
    FileHandle file(CreateFileW(Wide(path_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file.Valid()) WriteFile(file.Get(), lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
}

void RunLog::Status(const std::string& statusText) {
    // A new run starts its status text afresh.
    if (statusText.size() < statusDone_) statusDone_ = 0;
    size_t end = statusText.rfind("\r\n");
    if (end == std::string::npos || end + 2 <= statusDone_) return;
    Write(statusText.substr(statusDone_, end - statusDone_));
    statusDone_ = end + 2;
}

RunLog& TheRunLog() {
    static RunLog log;
    return log;
}
