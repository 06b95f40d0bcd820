#include "driver/png.h"

#include <windows.h>

#include <array>
#include <cstdlib>

#include "edge/wide.h"

namespace e2e {

namespace {

// Deflate output: bits go out least significant first; Huffman codes are stored most
// significant bit first, so they are reversed on the way.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void Put(std::uint32_t value, int count) {
        bits_ |= static_cast<std::uint64_t>(value) << count_;
        count_ += count;
        while (count_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(bits_));
            bits_ >>= 8;
            count_ -= 8;
        }
    }

    void PutCode(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
        Put(reversed, length);
    }

    void Flush() {
        if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_));
        bits_ = 0;
        count_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// The fixed literal/length code of deflate.
void PutSymbol(BitWriter& writer, int symbol) {
    if (symbol < 144)
        writer.PutCode(0x30 + symbol, 8);
    else if (symbol < 256)
        writer.PutCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        writer.PutCode(symbol - 256, 7);
    else
        writer.PutCode(0xC0 + symbol - 280, 8);
}

constexpr std::array<int, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                             31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

// A repeat of the previous byte, length 3 to 258 at distance 1.
void PutRun(BitWriter& writer, int length) {
    int index = 28;
    while (kLengthBase[index] > length) --index;
    PutSymbol(writer, 257 + index);
    writer.Put(static_cast<std::uint32_t>(length - kLengthBase[index]), kLengthExtra[index]);
    writer.PutCode(0, 5);  // distance code 0: distance 1
}

std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out = {0x78, 0x01};  // zlib header: deflate, 32K window, no dictionary
    BitWriter writer(out);
    writer.Put(1, 1);  // the last block
    writer.Put(1, 2);  // fixed Huffman codes
    size_t i = 0;
    while (i < data.size()) {
        size_t run = 0;
        if (i > 0)
            while (run < 258 && i + run < data.size() && data[i + run] == data[i - 1]) ++run;
        if (run >= 3) {
            PutRun(writer, static_cast<int>(run));
            i += run;
        } else {
            PutSymbol(writer, data[i]);
            ++i;
        }
    }
    PutSymbol(writer, 256);
    writer.Flush();
    std::uint32_t adler = Adler32(data.data(), data.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(adler >> shift));
    return out;
}

int Paeth(int left, int up, int upLeft) {
    int estimate = left + up - upLeft;
    int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up), toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    return toUp <= toUpLeft ? up : upLeft;
}

// Each row gets the filter whose output has the smallest sum of magnitudes (the usual heuristic):
// flat areas become runs of zeros.
std::vector<std::uint8_t> FilterRows(const Image& image) {
    const size_t stride = static_cast<size_t>(image.width) * 3;
    std::vector<std::uint8_t> filtered;
    filtered.reserve((stride + 1) * static_cast<size_t>(image.height));
    std::vector<std::uint8_t> zeros(stride, 0), candidate(stride);
    std::vector<std::uint8_t> best(stride);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.rgb.data() + stride * static_cast<size_t>(y);
        const std::uint8_t* above = y > 0 ? row - stride : zeros.data();
        long bestScore = -1;
        int bestType = 0;
        for (int type = 0; type < 5; ++type) {
            if (type == 3) continue;  // Average adds little for screenshots
            long score = 0;
            for (size_t x = 0; x < stride; ++x) {
                int left = x >= 3 ? row[x - 3] : 0;
                int upLeft = x >= 3 ? above[x - 3] : 0;
                int predictor = type == 1 ? left : type == 2 ? above[x] : type == 4 ? Paeth(left, above[x], upLeft) : 0;
                candidate[x] = static_cast<std::uint8_t>(row[x] - predictor);
                score += candidate[x] < 128 ? candidate[x] : 256 - candidate[x];
            }
            if (bestScore < 0 || score < bestScore) {
                bestScore = score;
                bestType = type;
                best.swap(candidate);
            }
        }
        filtered.push_back(static_cast<std::uint8_t>(bestType));
        filtered.insert(filtered.end(), best.begin(), best.end());
    }
    return filtered;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, size_t size) {
    std::uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(image.width));
    PutBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, adaptive filters, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", Deflate(FilterRows(image)));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const Image& image, const std::string& path) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        return false;
    std::vector<std::uint8_t> png = EncodePng(image);
    HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr) && written == png.size();
    CloseHandle(file);
    if (!ok) DeleteFileW(Wide(path).c_str());
    return ok;
}

}  // namespace e2e
