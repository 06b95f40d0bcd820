#pragma once
// The payload of a single-file distribution: the plain SETUP.EXE followed by the script and every
// file to install, each deflated on its own (or stored when deflating does not make it smaller),
// an index of the entries and a fixed-size trailer. payload_format.h describes the bytes.
//
// The file stays signable: the writer clears the plain program's CheckSum and security directory
// and records them in the trailer, so that a signer sees an unsigned program and appends its
// signature after the trailer. The payload's CRC-32 takes those two fields as zero; it holds
// before and after signing, over the same bytes the signature covers.
//
// Everything streams through buffers of at most a few hundred KiB (the writer keeps the deflated
// form of a file of up to 1 MiB to avoid deflating it twice; the index, about 50 bytes an entry,
// stays in memory): a payload of several GB needs a few MiB. The same inputs in the same order
// give the same bytes.
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_stream.h"
#include "base/pe_header.h"

enum class PayloadStatus {
    kOk,
    kNotFound,            // a plain program: no payload, and nothing that looks like a cut one
    kTruncated,           // the file ends too early (an incomplete download)
    kDamaged,             // a byte is wrong, or the index is inconsistent or names an unsafe path
    kUnsupportedVersion,  // written by a newer builder
    kReadError,
    kWriteError,
    kNoSpace,
    kStopped,          // the progress callback asked to stop
    kNotPlainProgram,  // writer: no PE program, a damaged one, or one that has a payload already
    kBadName,          // writer: an unsafe or repeated entry name (see IsSafeEntryName), or
                       // one entry too many for the index's limit (64 MiB, about a million)
};

// A short English name of the status, for logs and test output.
const char* PayloadStatusName(PayloadStatus status);

enum class PayloadMethod : uint8_t { kStored = 0, kDeflated = 1 };

struct PayloadEntry {
    std::string name;  // UTF-8, "\" between folders: "SETUP.INI", "Data\SETTINGS.INI"
    uint64_t size = 0;
    PayloadMethod method = PayloadMethod::kStored;
    uint64_t storedSize = 0;  // bytes in the file
    uint32_t crc = 0;         // CRC-32 of the content
    uint64_t offset = 0;      // of the stored bytes, from the start of the file
    // The file's last-write time (100-ns units since 1601, UTC; 0 unknown): the install decides
    // on it whether to overwrite an older file, so a single file keeps it as a folder does.
    uint64_t writeTime = 0;
};

// Whether a name can be written under any folder without leaving it or naming a device: a
// relative path of non-empty components separated by "\", valid UTF-8, no ".", "..", drive,
// colon, control character or character Windows forbids (<>:"/|?*), no component ending in a
// dot or a space (Windows drops those), no device name (CON, NUL, COM1, ...).
bool IsSafeEntryName(std::string_view name);

// The trailer's fields (payload_format.h gives their bytes).
struct PayloadTrailer {
    uint64_t plainLength = 0;  // the plain program's bytes at the start of the file
    uint64_t indexOffset = 0;
    uint64_t indexStoredSize = 0;  // deflated
    uint64_t indexSize = 0;
    uint64_t entryCount = 0;
    uint64_t contentSize = 0;  // the sum of the entries' sizes
    uint32_t plainChecksum = 0;  // the plain program's CheckSum and security directory
    uint32_t plainSecurityAddress = 0;
    uint32_t plainSecuritySize = 0;
    uint32_t dataCrc = 0;  // of the bytes before the trailer, CheckSum and security directory as zero
    // The plain program's last-write time (as PayloadEntry::writeTime): its extracted copy keeps
    // it, since an install replaces the uninstaller copy only with a newer program.
    uint64_t plainWriteTime = 0;
    uint32_t version = 1;
};

// Called with the bytes done and the total; returning false stops the work (kStopped).
using PayloadProgress = std::function<bool(uint64_t done, uint64_t total)>;

// Writes a single file: Begin, AddFile for each entry in the order wanted, Finish. After a
// failure every further call returns the same status (a bad name only refuses that file).
class PayloadWriter {
public:
    // out receives the whole single file; Finish finishes it. plainWriteTime: the plain program's
    // last-write time (0 unknown).
    PayloadStatus Begin(ByteSource& plainProgram, ByteSink& out, uint64_t plainWriteTime = 0);
    PayloadStatus AddFile(std::string_view name, ByteSource& content, uint64_t writeTime = 0);
    PayloadStatus Finish();

private:
    PayloadStatus Emit(const void* data, size_t size);
    PayloadStatus CopyPlainProgram(ByteSource& plain);
    PayloadStatus CopyStored(ByteSource& content, uint32_t& crc);
    PayloadStatus Fail(PayloadStatus status);

    ByteSink* out_ = nullptr;
    PayloadStatus status_ = PayloadStatus::kOk;
    PeHeaderFields plain_;
    uint64_t plainLength_ = 0;
    uint64_t plainWriteTime_ = 0;
    uint64_t written_ = 0;
    uint32_t crc_ = 0;  // of every byte written so far
    uint64_t indexSize_ = 0;
    uint64_t contentSize_ = 0;
    std::vector<PayloadEntry> entries_;
    std::set<std::string> foldedNames_;
};

// Reads a single file: Open, then Verify before trusting anything else, then extract.
class PayloadReader {
public:
    // Opens the sink for an entry (the caller decides where it goes); null means it could not.
    using OpenSink = std::function<std::unique_ptr<ByteSink>(const PayloadEntry& entry)>;

    // Finds the trailer and reads the index (cheap: the payload's bytes are not read). The file
    // must outlive the reader.
    PayloadStatus Open(ByteSource& file);
    // Reads every byte before the trailer once and checks the payload's CRC-32 (Open has checked
    // the trailer, every offset and size, and the index).
    PayloadStatus Verify(const PayloadProgress& progress = {});

    const std::vector<PayloadEntry>& Entries() const { return entries_; }
    uint64_t ContentSize() const { return trailer_.contentSize; }
    const PayloadTrailer& Trailer() const { return trailer_; }

    // Writes the entries into sinks of openSink, in index order, checking each one's size and
    // CRC-32 as it goes; progress counts content bytes. (openSink gives a file sink the entry's
    // last-write time, FileSink::SetWriteTime.) A sink is finished once its entry is
    // complete and correct; after a failure the last one is left unfinished (a file sink closes
    // when destroyed) with an incomplete file, which the caller removes.
    PayloadStatus ExtractAll(const OpenSink& openSink, const PayloadProgress& progress = {});
    // The same for one of Entries().
    PayloadStatus Extract(const PayloadEntry& entry, ByteSink& out,
                          const PayloadProgress& progress = {});
    // The plain program given to the writer, byte for byte (its CheckSum and security directory
    // restored): a signed plain program comes back with its valid signature.
    PayloadStatus ExtractPlainProgram(ByteSink& out);

private:
    PayloadStatus ReadIndex();
    PayloadStatus ExtractEntry(const PayloadEntry& entry, ByteSink& out, const PayloadProgress& progress,
                               uint64_t base, uint64_t total);

    ByteSource* file_ = nullptr;
    PeHeaderFields pe_;
    uint64_t trailerStart_ = 0;
    PayloadTrailer trailer_;
    std::vector<PayloadEntry> entries_;
};

// Cheap (reads the header and the trailer only): whether the program carries a payload or the
// remains of one. False for a plain program; true for a cut or damaged single file, which Open
// then reports as such.
bool HasPayload(ByteSource& file);
