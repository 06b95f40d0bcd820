#pragma once
// Byte sources and sinks: what the payload code reads from and writes to, so that the program on
// Windows, the builder on Linux and the tests share one implementation. Sizes are 64-bit: a
// payload may be larger than 4 GB.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a write came to; a full disk is told apart so that the user can be asked to free space.
enum class WriteResult { kOk, kError, kNoSpace };

// Random-access reading of a fixed number of bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly size bytes at offset; false on a read error or when they pass the end.
    virtual bool Read(uint64_t offset, void* buffer, size_t size) = 0;
};

// Sequential writing. Finish completes the output (a file is closed); nothing may follow it.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual WriteResult Write(const void* data, size_t size) = 0;
    virtual WriteResult Finish() = 0;
};

// Bytes in memory (not copied: they must outlive the source).
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool Read(uint64_t offset, void* buffer, size_t size) override;

private:
    std::string_view bytes_;
};

class MemorySink : public ByteSink {
public:
    WriteResult Write(const void* data, size_t size) override;
    WriteResult Finish() override;
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
    bool finished_ = false;
};

// A file read by its UTF-8 path (wide API on Windows, so that any name works).
class FileSource : public ByteSource {
public:
    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override;
    bool Open(const std::string& utf8Path);
    uint64_t Size() const override { return size_; }
    // The file's last-write time in 100-ns units since 1601, UTC (as Windows counts); 0 unknown.
    uint64_t WriteTime() const;
    bool Read(uint64_t offset, void* buffer, size_t size) override;

private:
    void* handle_ = nullptr;  // HANDLE on Windows, std::FILE* elsewhere
    uint64_t size_ = 0;
};

// A file created (or replaced) by its UTF-8 path. A sink that is destroyed unfinished is closed;
// removing the incomplete file is the caller's choice.
class FileSink : public ByteSink {
public:
    FileSink() = default;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    ~FileSink() override;
    bool Create(const std::string& utf8Path);
    // The last-write time the file gets when it is finished (units as FileSource::WriteTime).
    void SetWriteTime(uint64_t time) { writeTime_ = time; }
    WriteResult Write(const void* data, size_t size) override;
    WriteResult Finish() override;

private:
    void* handle_ = nullptr;
    uint64_t writeTime_ = 0;
};
