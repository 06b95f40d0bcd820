#include "app/payload_start.h"

#include <memory>
#include <set>

#include "base/byte_stream.h"
#include "base/payload.h"
#include "base/text.h"
#include "edge/fileops.h"
#include "sys/disk_space.h"

namespace {

const char kDamaged[] =
    "このセットアップファイルは壊れています。ダウンロードが途中で終わったか、内容が書き換えられています。\r\n"
    "もう一度ダウンロードしてから実行してください。何もインストールしていません。";

std::string Fatal(const std::string& what) { return "【致命的エラー → " + what + "】\r\n"; }

}  // namespace

bool HasOwnPayload(const std::string& program) {
    FileSource file;
    return file.Open(program) && HasPayload(file);
}

OwnPayload CheckOwnPayload(const std::string& program) {
    OwnPayload own;
    FileSource file;
    if (!file.Open(program) || !HasPayload(file)) return own;
    PayloadReader reader;
    PayloadStatus status = reader.Open(file);
    if (status == PayloadStatus::kOk) status = reader.Verify();
    if (status == PayloadStatus::kOk) {
        own.check = PayloadCheck::Whole;
        return own;
    }
    own.check = PayloadCheck::Damaged;
    own.problem = kDamaged;
    if (status == PayloadStatus::kUnsupportedVersion)
        own.problem = "このセットアップファイルは、より新しい版の Orvant Setup Nova で作られているため、この版では"
                      "展開できません。何もインストールしていません。";
    else if (status == PayloadStatus::kReadError)
        own.problem = "このセットアップファイルを読み込めませんでした。何もインストールしていません。";
    return own;
}

std::string ExtractedDistributionFolder(const std::string& workFolder) { return AddDelimiter(workFolder, "B") + "DIST\\"; }

std::string ExtractOwnPayload(const std::string& program, const std::string& workFolder,
                              const ExtractProgress& progress) {
    FileSource file;
    PayloadReader reader;
    if (!file.Open(program) || reader.Open(file) != PayloadStatus::kOk)
        return Fatal("セットアップファイルの展開失敗");
    // The files and the plain program side by side in the work folder, with room to spare.
    long long free = -1;
    uint64_t needed = reader.ContentSize() + reader.Trailer().plainLength;
    if (DiskFreeBytes(DrivePart(workFolder), free) && free >= 0 && static_cast<uint64_t>(free) < needed)
        return Fatal("作業フォルダ " + workFolder + " のドライブの空き容量不足 (" + FormatThousands(static_cast<long long>(needed)) +
                     "Byte 必要)");
    std::string folder = ExtractedDistributionFolder(workFolder);
    if (!ForceFolders(folder)) return Fatal("作業フォルダの作成失敗");

    const PayloadEntry* current = nullptr;
    // Each folder is made once: looking up every part of a path again for each of thousands of
    // files would cost more than writing them.
    std::set<std::string> made{UpperCase(folder)};
    auto openSink = [&](const PayloadEntry& entry) -> std::unique_ptr<ByteSink> {
        current = &entry;
        std::string path = folder + entry.name;
        std::string parent = FolderPart(path);
        if (made.count(UpperCase(parent)) == 0) {
            if (!ForceFolders(parent)) return nullptr;
            made.insert(UpperCase(parent));
        }
        auto sink = std::make_unique<FileSink>();
        if (!sink->Create(path)) return nullptr;
        // The install compares times to decide whether to overwrite: they are the distributor's.
        sink->SetWriteTime(entry.writeTime);
        return sink;
    };
    PayloadStatus status = reader.ExtractAll(openSink, [&](uint64_t done, uint64_t total) {
        if (progress) progress(current ? current->name : std::string(), done, total);
        return true;
    });
    if (status == PayloadStatus::kOk) {
        FileSink plain;
        status = plain.Create(AddDelimiter(workFolder, "B") + "SETUPB.EXE") ? reader.ExtractPlainProgram(plain)
                                                                            : PayloadStatus::kWriteError;
    }
    if (status == PayloadStatus::kNoSpace) return Fatal("作業フォルダのドライブの空き容量不足");
    if (status != PayloadStatus::kOk) return Fatal(std::string("セットアップファイルの展開失敗 (") + PayloadStatusName(status) + ")");
    return "";
}
