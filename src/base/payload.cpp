#include "base/payload.h"

#include <algorithm>

#include "base/payload_format.h"

using namespace payload_format;

namespace {

constexpr size_t kCopyBuffer = 256 * 1024;
// A file whose deflated form fits in this much memory is deflated once; a larger one is deflated
// a second time while it is written (the first pass only measures it).
constexpr size_t kKeepDeflated = 1 << 20;

PayloadStatus ToStatus(WriteResult result) {
    switch (result) {
    case WriteResult::kOk: return PayloadStatus::kOk;
    case WriteResult::kNoSpace: return PayloadStatus::kNoSpace;
    default: return PayloadStatus::kWriteError;
    }
}

uint32_t Le32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

struct Location {
    PeHeaderFields pe;
    uint64_t trailerStart = 0;
    std::string trailer;
};

// Our data ends where a signer's signature starts, else at the end of the file; up to 7 zero
// bytes may stand between the trailer and a signature.
PayloadStatus FindDataEnd(ByteSource& file, const PeHeaderFields& pe, uint64_t& end) {
    uint64_t size = file.Size();
    end = size;
    if (pe.securityAddress == 0 && pe.securitySize == 0) return PayloadStatus::kOk;
    if (pe.securityAddress > size || size - pe.securityAddress < pe.securitySize)
        return PayloadStatus::kTruncated;  // a signed file cut short
    end = pe.securityAddress;
    return PayloadStatus::kOk;
}

// Finds the trailer's bytes; kNotFound for a plain program.
PayloadStatus Locate(ByteSource& file, Location& at) {
    PeStatus read = ReadPeHeaderFields(file, at.pe);
    if (read != PeStatus::kOk)
        return read == PeStatus::kNotPe ? PayloadStatus::kNotFound : PayloadStatus::kReadError;
    uint64_t end = 0;
    PayloadStatus status = FindDataEnd(file, at.pe, end);
    if (status != PayloadStatus::kOk) return status;
    size_t tailSize = static_cast<size_t>(std::min<uint64_t>(end, kTrailerSize + 7));
    std::string tail(tailSize, '\0');
    if (!file.Read(end - tailSize, tail.data(), tailSize)) return PayloadStatus::kReadError;
    for (size_t pad = 0; pad < 8 && pad + kTrailerTailSize <= tailSize; ++pad) {
        if (pad > 0 && tail[tailSize - pad] != 0) break;
        std::string_view before = std::string_view(tail).substr(0, tailSize - pad);
        uint64_t trailerEnd = end - pad;
        if (before.ends_with(kEndMagic)) {
            uint32_t size = Le32(before, before.size() - 16);
            if (size < kTrailerTailSize + 8 || size > kMaxTrailerSize || size > trailerEnd)
                return PayloadStatus::kDamaged;
            at.trailerStart = trailerEnd - size;
            at.trailer.assign(size, '\0');
            bool read = file.Read(at.trailerStart, at.trailer.data(), size);
            return read ? PayloadStatus::kOk : PayloadStatus::kReadError;
        }
        // The end of a version-1 trailer with its last magic damaged.
        if (before.size() >= kTrailerSize && before.substr(before.size() - kTrailerSize, 8) == kStartMagic)
            return PayloadStatus::kDamaged;
    }
    // No trailer: a plain program ends where its own layout does (a signed one at the next
    // multiple of 8); other bytes after it are the rest of a payload whose end was cut off.
    bool plain = end >= at.pe.imageEnd && end <= (at.pe.imageEnd + 7) / 8 * 8;
    return plain ? PayloadStatus::kNotFound : PayloadStatus::kTruncated;
}

// Whether the trailer's offsets and sizes fit the file and each other.
bool LayoutFits(const PeHeaderFields& pe, uint64_t trailerStart, const PayloadTrailer& t) {
    uint64_t headerEnd = std::max(pe.checksumOffset + 4, pe.securityOffset + 8);
    bool plainFits = t.plainLength >= std::max(headerEnd, pe.imageEnd) &&
                     t.plainSecurityAddress <= t.plainLength &&
                     t.plainSecuritySize <= t.plainLength - t.plainSecurityAddress;
    return plainFits && t.plainLength <= t.indexOffset && t.indexOffset <= trailerStart &&
           t.indexStoredSize <= trailerStart - t.indexOffset &&
           trailerStart - t.indexOffset - t.indexStoredSize < 8 && t.indexSize <= kMaxIndexSize;
}

}  // namespace

const char* PayloadStatusName(PayloadStatus status) {
    switch (status) {
    case PayloadStatus::kOk: return "ok";
    case PayloadStatus::kNotFound: return "not found";
    case PayloadStatus::kTruncated: return "truncated";
    case PayloadStatus::kDamaged: return "damaged";
    case PayloadStatus::kUnsupportedVersion: return "unsupported version";
    case PayloadStatus::kReadError: return "read error";
    case PayloadStatus::kWriteError: return "write error";
    case PayloadStatus::kNoSpace: return "no space";
    case PayloadStatus::kStopped: return "stopped";
    case PayloadStatus::kNotPlainProgram: return "not a plain program";
    case PayloadStatus::kBadName: return "bad name";
    }
    return "?";
}

bool HasPayload(ByteSource& file) {
    Location at;
    return Locate(file, at) != PayloadStatus::kNotFound;
}

// --- Writer ---

PayloadStatus PayloadWriter::Fail(PayloadStatus status) {
    status_ = status;
    return status;
}

PayloadStatus PayloadWriter::Emit(const void* data, size_t size) {
    if (status_ != PayloadStatus::kOk) return status_;
    PayloadStatus status = ToStatus(out_->Write(data, size));
    if (status != PayloadStatus::kOk) return Fail(status);
    crc_ = Crc32(crc_, data, size);
    written_ += size;
    return PayloadStatus::kOk;
}

PayloadStatus PayloadWriter::Begin(ByteSource& plainProgram, ByteSink& out, uint64_t plainWriteTime) {
    *this = PayloadWriter();
    PeStatus pe = ReadPeHeaderFields(plainProgram, plain_);
    if (pe != PeStatus::kOk)
        return Fail(pe == PeStatus::kNotPe ? PayloadStatus::kNotPlainProgram : PayloadStatus::kReadError);
    // A single file, or a program cut short, is no plain program.
    Location at;
    PayloadStatus found = Locate(plainProgram, at);
    if (found != PayloadStatus::kNotFound)
        return Fail(found == PayloadStatus::kReadError ? found : PayloadStatus::kNotPlainProgram);
    out_ = &out;
    plainLength_ = plainProgram.Size();
    plainWriteTime_ = plainWriteTime;
    return CopyPlainProgram(plainProgram);
}

// The plain program with CheckSum and the security directory cleared: a signer then sees an
// unsigned program and appends its signature after our data instead of replacing the old one.
PayloadStatus PayloadWriter::CopyPlainProgram(ByteSource& plain) {
    auto copy = [&](uint8_t* data, size_t size, uint64_t at) {
        PatchHeaderFields(data, size, at, plain_, 0, 0, 0);
        return Emit(data, size);
    };
    PayloadStatus status = ReadChunks(plain, 0, plainLength_, kCopyBuffer, copy);
    return status == PayloadStatus::kOk ? status : Fail(status);
}

PayloadStatus PayloadWriter::CopyStored(ByteSource& content, uint32_t& crc) {
    crc = Crc32(0, nullptr, 0);
    auto copy = [&](uint8_t* data, size_t size, uint64_t) {
        crc = Crc32(crc, data, size);
        return Emit(data, size);
    };
    return ReadChunks(content, 0, content.Size(), kCopyBuffer, copy);
}

PayloadStatus PayloadWriter::AddFile(std::string_view name, ByteSource& content, uint64_t writeTime) {
    if (status_ != PayloadStatus::kOk) return status_;
    if (!out_) return PayloadStatus::kWriteError;  // no Begin, or after Finish
    std::string folded = FoldName(name);
    bool indexFull = indexSize_ + kMinIndexEntrySize + name.size() > kMaxIndexSize;
    if (!IsSafeEntryName(name) || foldedNames_.count(folded) || indexFull) return PayloadStatus::kBadName;
    uint64_t length = content.Size();
    PayloadEntry entry{std::string(name), length, PayloadMethod::kStored, length, 0, written_, writeTime};

    // First pass: deflate without writing, to learn whether it makes the file smaller.
    std::string kept;
    bool keptAll = true;
    uint64_t deflatedSize = 0;
    PayloadStatus trial = DeflateSource(content, [&](const uint8_t* data, size_t size) {
        deflatedSize += size;
        if (deflatedSize >= entry.size) return PayloadStatus::kStopped;  // no gain: store it
        keptAll = keptAll && kept.size() + size <= kKeepDeflated;
        if (keptAll) kept.append(reinterpret_cast<const char*>(data), size);
        else std::string().swap(kept);
        return PayloadStatus::kOk;
    }, entry.crc);
    // Nothing is written yet: a file that cannot be read leaves the output as it was.
    if (trial != PayloadStatus::kOk && trial != PayloadStatus::kStopped) return trial;

    PayloadStatus status;
    if (trial == PayloadStatus::kStopped) {
        status = CopyStored(content, entry.crc);
    } else if (keptAll) {
        entry.method = PayloadMethod::kDeflated;
        status = Emit(kept.data(), kept.size());
    } else {
        entry.method = PayloadMethod::kDeflated;
        uint32_t again = 0;
        auto emit = [&](const uint8_t* data, size_t size) { return Emit(data, size); };
        status = DeflateSource(content, emit, again);
        // The file changed between the two passes.
        if (status == PayloadStatus::kOk && again != entry.crc) status = PayloadStatus::kReadError;
    }
    if (status != PayloadStatus::kOk) return Fail(status);
    entry.storedSize = written_ - entry.offset;
    if (entry.method == PayloadMethod::kDeflated && entry.storedSize != deflatedSize)
        return Fail(PayloadStatus::kReadError);
    indexSize_ += kMinIndexEntrySize - 1 + name.size();
    contentSize_ += entry.size;
    entries_.push_back(std::move(entry));
    foldedNames_.insert(std::move(folded));
    return PayloadStatus::kOk;
}

PayloadStatus PayloadWriter::Finish() {
    if (status_ != PayloadStatus::kOk) return status_;
    if (!out_) return PayloadStatus::kWriteError;
    PayloadTrailer t;
    std::string index = EncodeIndex(entries_);
    MemorySource indexSource(index);
    std::string deflated;
    uint32_t indexCrc = 0;
    PayloadStatus status = DeflateSource(indexSource, [&](const uint8_t* data, size_t size) {
        deflated.append(reinterpret_cast<const char*>(data), size);
        return PayloadStatus::kOk;
    }, indexCrc);
    if (status != PayloadStatus::kOk) return Fail(status);
    t.indexOffset = written_;
    Emit(deflated.data(), deflated.size());
    std::string padding((8 - (written_ + kTrailerSize) % 8) % 8, '\0');
    Emit(padding.data(), padding.size());
    t.plainLength = plainLength_;
    t.indexStoredSize = deflated.size();
    t.indexSize = index.size();
    t.entryCount = entries_.size();
    t.contentSize = contentSize_;
    t.plainChecksum = plain_.checksum;
    t.plainSecurityAddress = plain_.securityAddress;
    t.plainSecuritySize = plain_.securitySize;
    t.dataCrc = crc_;
    t.plainWriteTime = plainWriteTime_;
    std::string trailer = EncodeTrailer(t);
    Emit(trailer.data(), trailer.size());
    if (status_ != PayloadStatus::kOk) return status_;
    ByteSink* out = out_;
    out_ = nullptr;
    return Fail(ToStatus(out->Finish()));
}

// --- Reader ---

PayloadStatus PayloadReader::Open(ByteSource& file) {
    *this = PayloadReader();
    Location at;
    PayloadStatus status = Locate(file, at);
    if (status != PayloadStatus::kOk) return status;
    status = DecodeTrailer(at.trailer, trailer_);
    if (status != PayloadStatus::kOk) return status;
    if (!LayoutFits(at.pe, at.trailerStart, trailer_)) return PayloadStatus::kDamaged;
    pe_ = at.pe;
    trailerStart_ = at.trailerStart;
    file_ = &file;
    status = ReadIndex();
    if (status != PayloadStatus::kOk) *this = PayloadReader();
    return status;
}

// The index, checked to describe entries that lie one after the other between the plain
// program and the index, as the writer puts them.
PayloadStatus PayloadReader::ReadIndex() {
    const PayloadTrailer& t = trailer_;
    std::string raw;
    raw.reserve(static_cast<size_t>(t.indexSize));
    auto keep = [&](const uint8_t* data, size_t size) {
        raw.append(reinterpret_cast<const char*>(data), size);
        return PayloadStatus::kOk;
    };
    uint32_t crc = 0;
    PayloadStatus status = InflateRange(*file_, t.indexOffset, t.indexStoredSize, t.indexSize, keep, crc);
    if (status != PayloadStatus::kOk) return status;
    if (!DecodeIndex(raw, t.entryCount, t.plainLength, entries_)) return PayloadStatus::kDamaged;
    uint64_t at = t.plainLength, total = 0;
    for (const PayloadEntry& e : entries_) {
        if (e.offset != at || e.storedSize > t.indexOffset - at || e.size > UINT64_MAX - total)
            return PayloadStatus::kDamaged;
        at += e.storedSize;
        total += e.size;
    }
    return at == t.indexOffset && total == t.contentSize ? PayloadStatus::kOk : PayloadStatus::kDamaged;
}

PayloadStatus PayloadReader::Verify(const PayloadProgress& progress) {
    if (!file_) return PayloadStatus::kNotFound;
    uint32_t crc = 0;
    PayloadStatus status = DataCrc(*file_, pe_, trailerStart_, progress, crc);
    if (status != PayloadStatus::kOk) return status;
    return crc == trailer_.dataCrc ? PayloadStatus::kOk : PayloadStatus::kDamaged;
}

PayloadStatus PayloadReader::ExtractEntry(const PayloadEntry& entry, ByteSink& out, const PayloadProgress& progress,
                                          uint64_t base, uint64_t total) {
    if (!file_) return PayloadStatus::kNotFound;
    uint64_t done = base;
    Output write = [&](const uint8_t* data, size_t size) {
        PayloadStatus status = ToStatus(out.Write(data, size));
        if (status != PayloadStatus::kOk) return status;
        done += size;
        bool goOn = !progress || progress(done, total);
        return goOn ? PayloadStatus::kOk : PayloadStatus::kStopped;
    };
    uint32_t crc = Crc32(0, nullptr, 0);
    PayloadStatus status;
    if (entry.method == PayloadMethod::kStored) {
        auto copy = [&](uint8_t* data, size_t size, uint64_t) {
            crc = Crc32(crc, data, size);
            return write(data, size);
        };
        status = ReadChunks(*file_, entry.offset, entry.size, kCopyBuffer, copy);
    } else {
        status = InflateRange(*file_, entry.offset, entry.storedSize, entry.size, write, crc);
    }
    if (status != PayloadStatus::kOk) return status;
    if (crc != entry.crc) return PayloadStatus::kDamaged;
    return ToStatus(out.Finish());
}

PayloadStatus PayloadReader::Extract(const PayloadEntry& entry, ByteSink& out,
                                     const PayloadProgress& progress) {
    return ExtractEntry(entry, out, progress, 0, entry.size);
}

PayloadStatus PayloadReader::ExtractAll(const OpenSink& openSink, const PayloadProgress& progress) {
    if (!file_) return PayloadStatus::kNotFound;
    uint64_t done = 0;
    for (const PayloadEntry& entry : entries_) {
        std::unique_ptr<ByteSink> sink = openSink(entry);
        if (!sink) return PayloadStatus::kWriteError;
        PayloadStatus status = ExtractEntry(entry, *sink, progress, done, trailer_.contentSize);
        if (status != PayloadStatus::kOk) return status;
        done += entry.size;
    }
    return PayloadStatus::kOk;
}

PayloadStatus PayloadReader::ExtractPlainProgram(ByteSink& out) {
    if (!file_) return PayloadStatus::kNotFound;
    const PayloadTrailer& t = trailer_;
    auto copy = [&](uint8_t* data, size_t size, uint64_t at) {
        PatchHeaderFields(data, size, at, pe_, t.plainChecksum, t.plainSecurityAddress, t.plainSecuritySize);
        return ToStatus(out.Write(data, size));
    };
    PayloadStatus status = ReadChunks(*file_, 0, t.plainLength, kCopyBuffer, copy);
    return status == PayloadStatus::kOk ? ToStatus(out.Finish()) : status;
}
