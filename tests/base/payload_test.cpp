// Single files: what the writer puts after a program comes back byte for byte, from the disk too,
// and every kind of damage, cut or forged index is reported before anything is trusted.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>

#include "base/payload.h"
#include "base/payload_format.h"

void PrintTo(PayloadStatus status, std::ostream* out) { *out << PayloadStatusName(status); }

namespace {

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

constexpr uint32_t kChecksum = 0x1234ABCD;
constexpr size_t kSignatureAt = 0x400, kSignatureSize = 0x20;

// A minimal signed program: headers with one section of raw data, and after it a signature blob
// that the security directory names.
std::string FakeProgram(bool pe32plus) {
    std::string b(kSignatureAt + kSignatureSize, '\0');
    b[0] = 'M', b[1] = 'Z';
    Put32(b, 0x3C, 0x80);
    std::memcpy(&b[0x80], "PE\0\0", 4);
    Put32(b, 0x86, 1);                           // one section
    Put32(b, 0x94, pe32plus ? 240 : 224);        // optional header size
    const size_t opt = 0x98, dirs = opt + (pe32plus ? 112 : 96);
    Put32(b, opt, pe32plus ? 0x20B : 0x10B);
    Put32(b, opt + 64, kChecksum);
    Put32(b, dirs - 4, 16);
    Put32(b, dirs + 32, kSignatureAt), Put32(b, dirs + 36, kSignatureSize);
    const size_t section = opt + (pe32plus ? 240 : 224);
    Put32(b, section + 16, 0x200), Put32(b, section + 20, 0x200);  // raw data at 0x200
    for (size_t i = 0x200; i < b.size(); ++i) b[i] = static_cast<char>(i * 7);
    return b;
}

std::string Random(size_t size, unsigned seed, const char* alphabet = nullptr) {
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) c = alphabet ? alphabet[random() % std::strlen(alphabet)] : static_cast<char>(random());
    return out;
}

using Files = std::vector<std::pair<std::string, std::string>>;

Files SampleFiles() {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "[Section" + std::to_string(i % 7) + "]\r\nKey=Value\r\n";
    return {{"SETUP.INI", text},
            {"EMPTY.TXT", ""},
            {"RANDOM.BIN", Random(300 * 1024, 1)},                       // stored
            {"Data\\HEX.TXT", Random(2600 * 1024, 2, "0123456789ABCDEF")},  // deflated past 1 MiB
            {"データ\\説明書.TXT", "日本語の説明書です。\r\n"}};
}

std::string Write(const std::string& program, const Files& files, PayloadStatus* status = nullptr) {
    MemorySource plain(program);
    MemorySink out;
    PayloadWriter writer;
    PayloadStatus result = writer.Begin(plain, out);
    for (const auto& [name, content] : files) {
        MemorySource source(content);
        if (result == PayloadStatus::kOk) result = writer.AddFile(name, source);
    }
    if (result == PayloadStatus::kOk) result = writer.Finish();
    if (status) *status = result;
    return out.Bytes();
}

// Collects extracted entries by name.
class StringSink : public ByteSink {
public:
    explicit StringSink(std::string& out) : out_(out) {}
    WriteResult Write(const void* data, size_t size) override {
        out_.append(static_cast<const char*>(data), size);
        return WriteResult::kOk;
    }
    WriteResult Finish() override { return WriteResult::kOk; }

private:
    std::string& out_;
};

struct Outcome {
    PayloadStatus check;    // Open, then Verify
    PayloadStatus extract;  // Open, then ExtractAll without Verify
    std::map<std::string, std::string> files;
};

Outcome Read(ByteSource& file) {
    Outcome outcome;
    PayloadReader reader;
    outcome.check = outcome.extract = reader.Open(file);
    if (outcome.check != PayloadStatus::kOk) return outcome;
    outcome.extract = reader.ExtractAll(
        [&](const PayloadEntry& e) { return std::make_unique<StringSink>(outcome.files[e.name]); });
    outcome.check = reader.Verify();
    return outcome;
}

std::string PlainProgramOf(ByteSource& file) {
    PayloadReader reader;
    MemorySink out;
    EXPECT_EQ(reader.Open(file), PayloadStatus::kOk);
    EXPECT_EQ(reader.ExtractPlainProgram(out), PayloadStatus::kOk);
    return out.Bytes();
}

// The file rebuilt with a changed index or trailer and sealed again with valid CRCs: what a
// broken or hostile builder could write.
using IndexChange = std::function<void(std::vector<PayloadEntry>&)>;
using TrailerChange = std::function<void(PayloadTrailer&)>;
std::string Forge(const std::string& file, const IndexChange& changeIndex, const TrailerChange& changeTrailer) {
    MemorySource source(file);
    PayloadReader reader;
    EXPECT_EQ(reader.Open(source), PayloadStatus::kOk);
    PayloadTrailer t = reader.Trailer();
    std::vector<PayloadEntry> entries = reader.Entries();
    if (changeIndex) changeIndex(entries);
    std::string index = payload_format::EncodeIndex(entries), out = file.substr(0, t.indexOffset);
    MemorySource indexSource(index);
    uint32_t crc = 0;
    payload_format::DeflateSource(indexSource, [&](const uint8_t* data, size_t size) {
        out.append(reinterpret_cast<const char*>(data), size);
        return PayloadStatus::kOk;
    }, crc);
    t.indexStoredSize = out.size() - t.indexOffset;
    t.indexSize = index.size();
    out.append((8 - (out.size() + payload_format::kTrailerSize) % 8) % 8, '\0');
    if (changeTrailer) changeTrailer(t);
    MemorySource forged(out);
    PeHeaderFields pe;
    ReadPeHeaderFields(forged, pe);
    payload_format::DataCrc(forged, pe, out.size(), {}, t.dataCrc);
    return out + payload_format::EncodeTrailer(t);
}

// As a signer leaves it: padding, a signature blob, the security directory and CheckSum set.
std::string Signed(std::string file, size_t padding) {
    PeHeaderFields pe;
    MemorySource source(file);
    ReadPeHeaderFields(source, pe);
    Put32(file, pe.securityOffset, static_cast<uint32_t>(file.size() + padding));
    Put32(file, pe.securityOffset + 4, 0x30);
    Put32(file, pe.checksumOffset, 0xC0FFEE);
    return file + std::string(padding, '\0') + std::string(0x30, 'S');
}

}  // namespace

TEST(Payload, RoundTripThroughFilesForBothProgramKinds) {
    const Files files = SampleFiles();
    for (bool pe32plus : {false, true}) {
        const std::string program = FakeProgram(pe32plus);
        std::u8string path8 = (std::filesystem::temp_directory_path() / u8"単一ファイル_payload_test.exe").u8string();
        std::string path(path8.begin(), path8.end());
        {
            MemorySource plain(program);
            FileSink out;
            ASSERT_TRUE(out.Create(path));
            PayloadWriter writer;
            ASSERT_EQ(writer.Begin(plain, out, 0x01DB123456789ABCull), PayloadStatus::kOk);
            for (const auto& [name, content] : files) {
                MemorySource source(content);
                ASSERT_EQ(writer.AddFile(name, source), PayloadStatus::kOk) << name;
            }
            MemorySource dummy("x");
            EXPECT_EQ(writer.AddFile("setup.ini", dummy), PayloadStatus::kBadName);  // repeated
            EXPECT_EQ(writer.AddFile("..\\x", dummy), PayloadStatus::kBadName);
            ASSERT_EQ(writer.Finish(), PayloadStatus::kOk);
        }
        auto file = std::make_unique<FileSource>();
        ASSERT_TRUE(file->Open(path));
        EXPECT_EQ(file->Size() % 8, 0u);
        EXPECT_TRUE(HasPayload(*file));
        // What lands on disk is an unsigned program for a signer.
        PeHeaderFields pe;
        ASSERT_EQ(ReadPeHeaderFields(*file, pe), PeStatus::kOk);
        EXPECT_EQ(pe.checksum, 0u);
        EXPECT_EQ(pe.securityAddress | pe.securitySize, 0u);

        Outcome outcome = Read(*file);
        EXPECT_EQ(outcome.check, PayloadStatus::kOk);
        EXPECT_EQ(outcome.extract, PayloadStatus::kOk);
        EXPECT_EQ(outcome.files, (std::map<std::string, std::string>(files.begin(), files.end())));
        EXPECT_EQ(PlainProgramOf(*file), program);

        PayloadReader reader;
        ASSERT_EQ(reader.Open(*file), PayloadStatus::kOk);
        EXPECT_EQ(reader.Trailer().plainWriteTime, 0x01DB123456789ABCull) << "the plain program's time";
        std::vector<PayloadMethod> methods;
        for (const PayloadEntry& e : reader.Entries()) methods.push_back(e.method);
        using M = PayloadMethod;
        EXPECT_EQ(methods, (std::vector<M>{M::kDeflated, M::kStored, M::kStored, M::kDeflated, M::kStored}));
        uint64_t lastDone = 0, lastTotal = 0;
        EXPECT_EQ(reader.Verify([&](uint64_t done, uint64_t total) { return lastDone = done, lastTotal = total, true; }),
                  PayloadStatus::kOk);
        EXPECT_EQ(lastDone, file->Size() - payload_format::kTrailerSize);
        EXPECT_EQ(lastDone, lastTotal);
        std::string ignored;
        EXPECT_EQ(reader.ExtractAll([&](const PayloadEntry&) { return std::make_unique<StringSink>(ignored); },
                                    [&](uint64_t done, uint64_t total) { return lastTotal = total, done < total / 2; }),
                  PayloadStatus::kStopped);
        EXPECT_EQ(lastTotal, reader.ContentSize());
        EXPECT_EQ(reader.ContentSize(), 2900u * 1024 + files[0].second.size() + files[4].second.size());
        file.reset();  // Windows removes no open file
        std::error_code error;
        EXPECT_TRUE(std::filesystem::remove(path8, error)) << error.message();
    }
    // The writer takes plain programs only.
    PayloadStatus status;
    Write("not a program", {}, &status);
    EXPECT_EQ(status, PayloadStatus::kNotPlainProgram);
    Write(Write(FakeProgram(true), {}), {}, &status);
    EXPECT_EQ(status, PayloadStatus::kNotPlainProgram);
}

TEST(Payload, DamageCutsAndForgeriesAreReported) {
    const Files files = SampleFiles();
    const std::string program = FakeProgram(true), good = Write(program, files);
    MemorySource goodSource(good);
    PayloadReader reader;
    ASSERT_EQ(reader.Open(goodSource), PayloadStatus::kOk);
    const PayloadTrailer t = reader.Trailer();
    const std::vector<PayloadEntry> entries = reader.Entries();
    const size_t trailerAt = good.size() - payload_format::kTrailerSize;
    auto flip = [&](uint64_t at) { std::string bad = good; bad[at] ^= 0x10; return bad; };
    auto cut = [&](uint64_t size) { return good.substr(0, size); };
    auto rename = [&](const std::string& name) { return Forge(good, [=](auto& e) { e[2].name = name; }, {}); };
    auto field = [&](const TrailerChange& change) { return Forge(good, {}, change); };
    using S = PayloadStatus;
    struct Case {
        const char* what;
        std::string file;
        S check, extract;
    } cases[] = {
        {"forged, unchanged", Forge(good, {}, {}), S::kOk, S::kOk},
        {"signed", Signed(good, 0), S::kOk, S::kOk},
        {"signed after 3 zero bytes", Signed(good, 3), S::kOk, S::kOk},
        {"signed, cut in the signature", Signed(good, 0).substr(0, good.size() + 0x2F), S::kTruncated, S::kTruncated},
        {"plain part", flip(0x300), S::kDamaged, S::kOk},
        {"stored entry", flip(entries[2].offset + 1000), S::kDamaged, S::kDamaged},
        {"deflated entry", flip(entries[3].offset + 5000), S::kDamaged, S::kDamaged},
        {"index", flip(t.indexOffset + t.indexStoredSize / 2), S::kDamaged, S::kDamaged},
        {"padding after the trailer", Signed(good, 3).replace(good.size() + 1, 1, "\1"), S::kTruncated, S::kTruncated},
        {"cut by 1", cut(good.size() - 1), S::kTruncated, S::kTruncated},
        {"cut by 8", cut(good.size() - 8), S::kTruncated, S::kTruncated},
        {"cut by 200", cut(good.size() - 200), S::kTruncated, S::kTruncated},
        {"cut in half", cut(good.size() / 2), S::kTruncated, S::kTruncated},
        {"cut to the plain program", cut(program.size()), S::kTruncated, S::kTruncated},
        {"cut in the plain program", cut(0x300), S::kTruncated, S::kTruncated},
        {"index offset", field([](auto& t) { t.indexOffset += 1; }), S::kDamaged, S::kDamaged},
        {"plain length", field([](auto& t) { t.plainLength -= 8; }), S::kDamaged, S::kDamaged},
        {"entry count", field([](auto& t) { t.entryCount += 1; }), S::kDamaged, S::kDamaged},
        {"content size", field([](auto& t) { t.contentSize -= 1; }), S::kDamaged, S::kDamaged},
        {"index size", field([](auto& t) { t.indexSize += 1; }), S::kDamaged, S::kDamaged},
        {"entry size", Forge(good, [](auto& e) { e[3].size += 1; }, [](auto& t) { t.contentSize += 1; }), S::kOk,
         S::kDamaged},
        {"newer version", field([](auto& t) { t.version = 2; }), S::kUnsupportedVersion, S::kUnsupportedVersion},
        {"no payload", program, S::kNotFound, S::kNotFound},
        {"no program", "MZ but nothing else", S::kNotFound, S::kNotFound},
        {"renamed", rename("Data\\新しい名前.BIN"), S::kOk, S::kOk},
        {"duplicate", rename("setup.ini"), S::kDamaged, S::kDamaged},
    };
    for (size_t at : {0, 10, 58, 70, 74, 82, 91}) {
        std::string bad = flip(trailerAt + at);
        MemorySource source(bad);
        EXPECT_EQ(Read(source).check, S::kDamaged) << "trailer " << at;
    }
    for (const char* name : {"..\\EVIL.EXE", "Data\\..\\..\\EVIL.EXE", "\\EVIL.EXE", "C:\\EVIL.EXE",
                             "C:EVIL.EXE", "Data\\\\EVIL.EXE", ".\\EVIL.EXE", "Data\\", "", "EVIL.EXE:stream",
                             "A/B.EXE", "EVIL\t.EXE", "EVIL?.EXE", "EVIL.EXE.", "EVIL.EXE ", "Data\\CON", "nul.txt",
                             "COM1", "\xFF.EXE"}) {
        std::string forged = rename(name);
        MemorySource source(forged);
        EXPECT_EQ(Read(source).check, S::kDamaged) << name;
    }
    for (const Case& c : cases) {
        MemorySource source(c.file);
        Outcome outcome = Read(source);
        EXPECT_EQ(outcome.check, c.check) << c.what;
        EXPECT_EQ(outcome.extract, c.extract) << c.what;
        EXPECT_EQ(HasPayload(source), c.check != S::kNotFound) << c.what;
        if (c.check == S::kOk) {
            EXPECT_EQ(PlainProgramOf(source), program) << c.what;
        }
    }
}

TEST(Payload, SameInputSameBytesWithLittleOverhead) {
    Files files;
    size_t contentSize = 0;
    for (int i = 0; i < 2000; ++i) {
        files.emplace_back("FILES\\FILE" + std::to_string(i) + ".BIN", Random(4096, i));
        contentSize += 4096;
    }
    const std::string program = FakeProgram(false);
    std::string first = Write(program, files);
    EXPECT_EQ(Write(program, files), first);
    EXPECT_LT(first.size() - program.size() - contentSize, 40u * 1024);
}
