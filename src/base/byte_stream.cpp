#include "base/byte_stream.h"

#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "base/utf.h"
#else
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#endif

bool MemorySource::Read(uint64_t offset, void* buffer, size_t size) {
    if (offset > bytes_.size() || bytes_.size() - offset < size) return false;
    if (size != 0) std::memcpy(buffer, bytes_.data() + offset, size);
    return true;
}

WriteResult MemorySink::Write(const void* data, size_t size) {
    if (finished_) return WriteResult::kError;
    bytes_.append(static_cast<const char*>(data), size);
    return WriteResult::kOk;
}

WriteResult MemorySink::Finish() {
    if (finished_) return WriteResult::kError;
    finished_ = true;
    return WriteResult::kOk;
}

#ifdef _WIN32

namespace {

// ReadFile and WriteFile take 32-bit counts: larger requests go in pieces of this size.
constexpr size_t kMaxPiece = 1u << 30;

std::wstring WidePath(const std::string& utf8Path) {
    std::u16string wide = Utf8ToUtf16(utf8Path);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.c_str()), wide.size());
}

}  // namespace

FileSource::~FileSource() {
    if (handle_) CloseHandle(handle_);
}

bool FileSource::Open(const std::string& utf8Path) {
    if (handle_) return false;
    HANDLE file = CreateFileW(WidePath(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        return false;
    }
    handle_ = file;
    size_ = static_cast<uint64_t>(size.QuadPart);
    return true;
}

uint64_t FileSource::WriteTime() const {
    FILETIME written{};
    if (!handle_ || !GetFileTime(handle_, nullptr, nullptr, &written)) return 0;
    return (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

bool FileSource::Read(uint64_t offset, void* buffer, size_t size) {
    if (!handle_ || offset > size_ || size_ - offset < size) return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) return false;
    char* at = static_cast<char*>(buffer);
    while (size > 0) {
        DWORD want = static_cast<DWORD>(size < kMaxPiece ? size : kMaxPiece);
        DWORD got = 0;
        if (!ReadFile(handle_, at, want, &got, nullptr) || got == 0) return false;
        at += got;
        size -= got;
    }
    return true;
}

FileSink::~FileSink() {
    if (handle_) CloseHandle(handle_);
}

bool FileSink::Create(const std::string& utf8Path) {
    if (handle_) return false;
    HANDLE file = CreateFileW(WidePath(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    handle_ = file;
    return true;
}

WriteResult FileSink::Write(const void* data, size_t size) {
    if (!handle_) return WriteResult::kError;
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        DWORD want = static_cast<DWORD>(size < kMaxPiece ? size : kMaxPiece);
        DWORD done = 0;
        if (!WriteFile(handle_, at, want, &done, nullptr) || done == 0) {
            DWORD error = GetLastError();
            bool full = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
            return full ? WriteResult::kNoSpace : WriteResult::kError;
        }
        at += done;
        size -= done;
    }
    return WriteResult::kOk;
}

WriteResult FileSink::Finish() {
    if (!handle_) return WriteResult::kError;
    if (writeTime_ != 0) {
        FILETIME written{static_cast<DWORD>(writeTime_), static_cast<DWORD>(writeTime_ >> 32)};
        SetFileTime(handle_, nullptr, nullptr, &written);
    }
    BOOL closed = CloseHandle(handle_);
    handle_ = nullptr;
    return closed ? WriteResult::kOk : WriteResult::kError;
}

#else  // POSIX

namespace {

std::FILE* File(void* handle) { return static_cast<std::FILE*>(handle); }

WriteResult WriteError() { return errno == ENOSPC ? WriteResult::kNoSpace : WriteResult::kError; }

}  // namespace

FileSource::~FileSource() {
    if (handle_) std::fclose(File(handle_));
}

bool FileSource::Open(const std::string& utf8Path) {
    if (handle_) return false;
    std::FILE* file = std::fopen(utf8Path.c_str(), "rb");
    if (!file) return false;
    off_t size = -1;
    if (fseeko(file, 0, SEEK_END) == 0) size = ftello(file);
    if (size < 0) {
        std::fclose(file);
        return false;
    }
    handle_ = file;
    size_ = static_cast<uint64_t>(size);
    return true;
}

// Windows counts 100-ns units from 1601; the epoch of 1970 is 11,644,473,600 seconds later.
constexpr uint64_t kEpochDifference = 11644473600ull;

uint64_t FileSource::WriteTime() const {
    struct stat info {};
    if (!handle_ || fstat(fileno(File(handle_)), &info) != 0 || info.st_mtim.tv_sec < 0) return 0;
    return (static_cast<uint64_t>(info.st_mtim.tv_sec) + kEpochDifference) * 10000000ull +
           static_cast<uint64_t>(info.st_mtim.tv_nsec) / 100;
}

bool FileSource::Read(uint64_t offset, void* buffer, size_t size) {
    if (!handle_ || offset > size_ || size_ - offset < size) return false;
    if (fseeko(File(handle_), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(buffer, 1, size, File(handle_)) == size;
}

FileSink::~FileSink() {
    if (handle_) std::fclose(File(handle_));
}

bool FileSink::Create(const std::string& utf8Path) {
    if (handle_) return false;
    handle_ = std::fopen(utf8Path.c_str(), "wb");
    return handle_ != nullptr;
}

WriteResult FileSink::Write(const void* data, size_t size) {
    if (!handle_) return WriteResult::kError;
    errno = 0;
    if (std::fwrite(data, 1, size, File(handle_)) != size) return WriteError();
    return WriteResult::kOk;
}

WriteResult FileSink::Finish() {
    if (!handle_) return WriteResult::kError;
    std::FILE* file = File(handle_);
    handle_ = nullptr;
    // A full disk often shows only when the buffer is flushed.
    errno = 0;
    if (std::fflush(file) != 0) {
        WriteResult result = WriteError();
        std::fclose(file);
        return result;
    }
    if (writeTime_ >= kEpochDifference * 10000000ull) {
        uint64_t since1970 = writeTime_ - kEpochDifference * 10000000ull;
        struct timespec times[2] = {{0, UTIME_OMIT},
                                    {static_cast<time_t>(since1970 / 10000000ull), static_cast<long>(since1970 % 10000000ull) * 100}};
        futimens(fileno(file), times);
    }
    errno = 0;
    return std::fclose(file) == 0 ? WriteResult::kOk : WriteError();
}

#endif
