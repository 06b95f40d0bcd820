#include "base/payload_format.h"

#include <zlib.h>

#include <algorithm>
#include <set>

#include "base/utf.h"

namespace payload_format {

namespace {

// Large enough that zlib and the disk work in long runs, small enough for any machine.
constexpr size_t kStreamBuffer = 256 * 1024;

void Put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Reads little-endian numbers from the front of a byte string; fails once it runs out.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool Get(uint64_t& value, int bytes) {
        if (bytes_.size() - at_ < static_cast<size_t>(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[at_ + i])) << (8 * i);
        at_ += bytes;
        return true;
    }
    bool Get(uint32_t& value) {
        uint64_t wide;
        if (!Get(wide, 4)) return false;
        value = static_cast<uint32_t>(wide);
        return true;
    }
    bool Take(std::string_view& out, size_t size) {
        if (bytes_.size() - at_ < size) return false;
        out = bytes_.substr(at_, size);
        at_ += size;
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

// zlib streams that end themselves.
struct Deflater {
    z_stream z{};
    bool ready = deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    ~Deflater() {
        if (ready) deflateEnd(&z);
    }
};

struct Inflater {
    z_stream z{};
    bool ready = inflateInit2(&z, -15) == Z_OK;
    ~Inflater() {
        if (ready) inflateEnd(&z);
    }
};

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    return static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::string EncodeTrailer(const PayloadTrailer& t) {
    std::string out(kStartMagic);
    for (uint64_t value : {t.plainLength, t.indexOffset, t.indexStoredSize, t.indexSize,
                           t.entryCount, t.contentSize})
        Put(out, value, 8);
    for (uint32_t value : {t.plainChecksum, t.plainSecurityAddress, t.plainSecuritySize, t.dataCrc})
        Put(out, value, 4);
    Put(out, t.plainWriteTime, 8);
    for (uint32_t value : {t.version, static_cast<uint32_t>(kTrailerSize)}) Put(out, value, 4);
    Put(out, Crc32(0, out.data(), out.size()), 4);
    out += kEndMagic;
    return out;
}

PayloadStatus DecodeTrailer(std::string_view bytes, PayloadTrailer& t) {
    size_t size = bytes.size();
    if (size < kTrailerTailSize + 8 || bytes.substr(0, 8) != kStartMagic ||
        bytes.substr(size - 8) != kEndMagic)
        return PayloadStatus::kDamaged;
    uint32_t version = 0, declaredSize = 0, crc = 0;
    Reader tail(bytes.substr(size - kTrailerTailSize));
    tail.Get(version), tail.Get(declaredSize), tail.Get(crc);
    if (declaredSize != size || crc != Crc32(0, bytes.data(), size - 12)) return PayloadStatus::kDamaged;
    if (version != kVersion) return PayloadStatus::kUnsupportedVersion;
    if (size != kTrailerSize) return PayloadStatus::kDamaged;
    Reader in(bytes.substr(8));
    in.Get(t.plainLength, 8), in.Get(t.indexOffset, 8), in.Get(t.indexStoredSize, 8);
    in.Get(t.indexSize, 8), in.Get(t.entryCount, 8), in.Get(t.contentSize, 8);
    in.Get(t.plainChecksum), in.Get(t.plainSecurityAddress), in.Get(t.plainSecuritySize);
    in.Get(t.dataCrc), in.Get(t.plainWriteTime, 8);
    t.version = version;
    return PayloadStatus::kOk;
}

// Field by field rather than entry by entry: like values side by side (sizes, offsets, times)
// compress to a fraction of the bytes.
std::string EncodeIndex(const std::vector<PayloadEntry>& entries) {
    std::string out;
    for (const PayloadEntry& e : entries) {
        Put(out, e.name.size(), 2);
        out += e.name;
    }
    for (const PayloadEntry& e : entries) Put(out, static_cast<uint8_t>(e.method), 1);
    for (const PayloadEntry& e : entries) Put(out, e.size, 8);
    for (const PayloadEntry& e : entries) Put(out, e.storedSize, 8);
    for (const PayloadEntry& e : entries) Put(out, e.crc, 4);
    for (const PayloadEntry& e : entries) Put(out, e.writeTime, 8);
    return out;
}

std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool DecodeIndex(std::string_view bytes, uint64_t count, uint64_t firstOffset, std::vector<PayloadEntry>& entries) {
    if (count > bytes.size() / kMinIndexEntrySize) return false;
    entries.assign(static_cast<size_t>(count), PayloadEntry());
    std::set<std::string> names;
    Reader in(bytes);
    for (PayloadEntry& e : entries) {
        uint64_t nameSize = 0;
        std::string_view name;
        if (!in.Get(nameSize, 2) || !in.Take(name, nameSize)) return false;
        if (!IsSafeEntryName(name) || !names.insert(FoldName(name)).second) return false;
        e.name = name;
    }
    for (PayloadEntry& e : entries) {
        uint64_t method = 0;
        if (!in.Get(method, 1) || method > static_cast<uint8_t>(PayloadMethod::kDeflated)) return false;
        e.method = static_cast<PayloadMethod>(method);
    }
    for (PayloadEntry& e : entries)
        if (!in.Get(e.size, 8)) return false;
    for (PayloadEntry& e : entries) {
        if (!in.Get(e.storedSize, 8)) return false;
        if (e.method == PayloadMethod::kStored && e.storedSize != e.size) return false;
    }
    for (PayloadEntry& e : entries)
        if (!in.Get(e.crc)) return false;
    // The entries lie one after the other from the first offset on.
    for (PayloadEntry& e : entries) {
        e.offset = firstOffset;
        if (e.storedSize > UINT64_MAX - firstOffset) return false;
        firstOffset += e.storedSize;
    }
    for (PayloadEntry& e : entries)
        if (!in.Get(e.writeTime, 8)) return false;
    return in.AtEnd();
}

PayloadStatus ReadChunks(ByteSource& in, uint64_t offset, uint64_t size, size_t chunkSize,
                         const std::function<PayloadStatus(uint8_t*, size_t, uint64_t)>& each) {
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(chunkSize, size)));
    for (uint64_t done = 0; done < size;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(chunkSize, size - done));
        if (!in.Read(offset + done, buffer.data(), n)) return PayloadStatus::kReadError;
        PayloadStatus status = each(buffer.data(), n, offset + done);
        if (status != PayloadStatus::kOk) return status;
        done += n;
    }
    return PayloadStatus::kOk;
}

void PatchHeaderFields(uint8_t* data, size_t size, uint64_t at, const PeHeaderFields& pe,
                       uint32_t checksum, uint32_t securityAddress, uint32_t securitySize) {
    auto patch = [&](uint64_t fieldOffset, uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            uint64_t position = fieldOffset + i;
            if (position >= at && position - at < size) data[position - at] = (value >> (8 * i)) & 0xFF;
        }
    };
    patch(pe.checksumOffset, checksum);
    patch(pe.securityOffset, securityAddress);
    patch(pe.securityOffset + 4, securitySize);
}

PayloadStatus DeflateSource(ByteSource& in, const Output& output, uint32_t& crc) {
    Deflater deflater;
    if (!deflater.ready) return PayloadStatus::kWriteError;
    z_stream& z = deflater.z;
    uint64_t size = in.Size(), done = 0;
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kStreamBuffer, size)));
    std::vector<uint8_t> out(kStreamBuffer);
    crc = Crc32(0, nullptr, 0);
    bool last = false;
    // Each chunk read is deflated until zlib leaves room in the output: then it wants input.
    do {
        size_t n = static_cast<size_t>(std::min<uint64_t>(kStreamBuffer, size - done));
        if (!in.Read(done, chunk.data(), n)) return PayloadStatus::kReadError;
        crc = Crc32(crc, chunk.data(), n);
        done += n;
        last = done == size;
        z.next_in = chunk.data();
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            size_t produced = out.size() - z.avail_out;
            if (produced != 0) {
                PayloadStatus status = output(out.data(), produced);
                if (status != PayloadStatus::kOk) return status;
            }
        } while (z.avail_out == 0);
    } while (!last);
    return PayloadStatus::kOk;
}

PayloadStatus InflateRange(ByteSource& in, uint64_t offset, uint64_t storedSize, uint64_t size,
                           const Output& output, uint32_t& crc) {
    Inflater inflater;
    if (!inflater.ready) return PayloadStatus::kWriteError;
    z_stream& z = inflater.z;
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kStreamBuffer, storedSize)));
    std::vector<uint8_t> out(kStreamBuffer);
    crc = Crc32(0, nullptr, 0);
    uint64_t read = 0, produced = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (z.avail_in == 0 && read < storedSize) {
            size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), storedSize - read));
            if (!in.Read(offset + read, chunk.data(), n)) return PayloadStatus::kReadError;
            read += n;
            z.next_in = chunk.data();
            z.avail_in = static_cast<uInt>(n);
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        result = inflate(&z, Z_NO_FLUSH);
        // Z_BUF_ERROR here means the stream wants bytes past its stored size.
        if (result != Z_OK && result != Z_STREAM_END) return PayloadStatus::kDamaged;
        size_t n = out.size() - z.avail_out;
        if (n > size - produced) return PayloadStatus::kDamaged;
        produced += n;
        crc = Crc32(crc, out.data(), n);
        if (n != 0) {
            PayloadStatus status = output(out.data(), n);
            if (status != PayloadStatus::kOk) return status;
        }
    }
    bool exact = z.avail_in == 0 && read == storedSize && produced == size;
    return exact ? PayloadStatus::kOk : PayloadStatus::kDamaged;
}

PayloadStatus DataCrc(ByteSource& file, const PeHeaderFields& pe, uint64_t end,
                      const PayloadProgress& progress, uint32_t& crc) {
    crc = Crc32(0, nullptr, 0);
    return ReadChunks(file, 0, end, 1 << 20, [&](uint8_t* data, size_t size, uint64_t at) {
        PatchHeaderFields(data, size, at, pe, 0, 0, 0);
        crc = Crc32(crc, data, size);
        if (progress && !progress(at + size, end)) return PayloadStatus::kStopped;
        return PayloadStatus::kOk;
    });
}

}  // namespace payload_format

namespace {

bool IsDeviceName(std::string_view component) {
    std::string base = payload_format::FoldName(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices)
        if (base == device) return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
           base[3] >= '0' && base[3] <= '9';
}

bool IsSafeComponent(std::string_view component) {
    if (component.empty() || component == "." || component == "..") return false;
    if (component.back() == '.' || component.back() == ' ') return false;
    for (char c : component) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string_view("<>:\"/|?*").find(c) != std::string_view::npos)
            return false;
    }
    return !IsDeviceName(component);
}

}  // namespace

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.size() > payload_format::kMaxNameSize || !IsValidUtf8(name)) return false;
    for (size_t start = 0;;) {
        size_t end = name.find('\\', start);
        if (!IsSafeComponent(name.substr(start, end - start))) return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}
