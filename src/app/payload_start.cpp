#include "app/payload_start.h"

#include <windows.h>

#include <cstring>
#include <utility>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "base/byte_stream.h"
#include "base/cp932.h"
#include "base/payload.h"
#include "base/payload_format.h"
#include "base/text.h"
#include "core/state.h"
#include "edge/fileops.h"
#include "edge/wide.h"
#include "install/copy_entry.h"
#include "install/script_values.h"
#include "script/folders.h"
#include "sys/deferred_source.h"
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

namespace {

// The payload stays open for the run: the sources left in it are written out when the copy needs
// them.
struct OpenPayload {
    FileSource file;
    PayloadReader reader;
};

OpenPayload& ThePayload() {
    static OpenPayload payload;
    return payload;
}

// The script's text in upper case as the system compares names, for finding where a name occurs.
std::string ScriptTextFolded(const std::string& script) {
    std::string bytes;
    if (ReadWholeFile(script, bytes) != 0) return "";
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        memcpy(text.data(), bytes.data() + 2, text.size() * 2);
        return UpperCaseAsSystem(Narrow(text));
    }
    return UpperCaseAsSystem(Cp932ToUtf8(bytes));
}

// The entries the copy may take straight from the payload: each the source of exactly one
// [CopyFile] entry, not expanded (LZ), with a known time, and named nowhere else in the script (a
// readme, a checker, a program run from the distribution must be there as a file).
std::set<std::string> DeferrableEntries(const std::string& script, const std::vector<PayloadEntry>& entries) {
    ScriptValues values;
    if (!values.Load(script)) return {};
    std::map<std::string, int> uses;
    // The install folder is not chosen yet: any folder for (App) gives the same file names.
    const std::string installFolder = std::exchange(g_state.InstallFolder, "C:\\(App)\\");
    for (long n = 1;; ++n) {
        std::string value = values.Read("CopyFile", "File" + std::to_string(n));
        if (value.empty()) break;
        ++uses[UpperCaseAsSystem(ParseCopyEntry(ExpandMacros(value)).sourceName)];
    }
    g_state.InstallFolder = installFolder;
    const std::string text = ScriptTextFolded(script);
    std::set<std::string> deferrable;
    for (const PayloadEntry& entry : entries) {
        std::string name = UpperCaseAsSystem(entry.name);
        auto used = uses.find(name);
        if (used == uses.end() || used->second != 1 || IsCompressedName(entry.name) || entry.writeTime == 0) continue;
        std::string base = FileNamePart(name);
        size_t first = text.find(base);
        if (first != std::string::npos && text.find(base, first + 1) == std::string::npos) deferrable.insert(entry.name);
    }
    return deferrable;
}

// Writes one entry into a new file with the entry's time (the install compares times to decide
// whether to overwrite: they are the distributor's): 0, or the Windows error code with the
// payload's status (kOk when the file could not even be made); no file is left after a failure.
DWORD WriteEntry(const PayloadEntry& entry, const std::string& path, PayloadStatus& status,
                 const PayloadProgress& progress = {}) {
    status = PayloadStatus::kOk;
    FileSink sink;
    if (!sink.Create(path)) {
        DWORD error = GetLastError();
        return error ? error : ERROR_CANNOT_MAKE;
    }
    sink.SetWriteTime(entry.writeTime);
    // Extract finishes the file once its every byte is right.
    status = ThePayload().reader.Extract(entry, sink, progress);
    if (status == PayloadStatus::kOk) return 0;
    sink.Finish();
    DeleteFileW(Wide(path).c_str());
    if (status == PayloadStatus::kNoSpace) return ERROR_DISK_FULL;
    return status == PayloadStatus::kWriteError ? ERROR_WRITE_FAULT : ERROR_FILE_CORRUPT;
}

void DeferEntry(const std::string& folder, const PayloadEntry& entry) {
    DeferredSource source;
    source.size = static_cast<long long>(entry.size);
    source.dosDateTime = DosDateTimeOf(entry.writeTime);
    source.writeTo = [&entry](const std::string& destination) {
        PayloadStatus status;
        return WriteEntry(entry, destination, status);
    };
    DeferSource(folder + entry.name, std::move(source));
}

}  // namespace

std::string ExtractOwnPayload(const std::string& program, const std::string& workFolder,
                              const ExtractProgress& progress) {
    OpenPayload& payload = ThePayload();
    PayloadReader& reader = payload.reader;
    if (!payload.file.Open(program) || reader.Open(payload.file) != PayloadStatus::kOk)
        return Fatal("セットアップファイルの展開失敗");
    std::string folder = ExtractedDistributionFolder(workFolder);
    if (!ForceFolders(folder)) return Fatal("作業フォルダの作成失敗");

    // The script first: it decides which files stay in the payload until the copy.
    const PayloadEntry* script = nullptr;
    for (const PayloadEntry& entry : reader.Entries())
        if (payload_format::FoldName(entry.name) == "setup.ini") script = &entry;
    std::set<std::string> deferred;
    if (script) {
        PayloadStatus status;
        if (WriteEntry(*script, folder + script->name, status) != 0) return Fatal("セットアップファイルの展開失敗");
        deferred = DeferrableEntries(folder + script->name, reader.Entries());
    }

    // The files and the plain program side by side in the work folder, with room to spare.
    uint64_t total = 0;
    for (const PayloadEntry& entry : reader.Entries())
        if (&entry != script && deferred.count(entry.name) == 0) total += entry.size;
    long long free = -1;
    uint64_t needed = total + reader.Trailer().plainLength;
    if (DiskFreeBytes(DrivePart(workFolder), free) && free >= 0 && static_cast<uint64_t>(free) < needed)
        return Fatal("作業フォルダ " + workFolder + " のドライブの空き容量不足 (" + FormatThousands(static_cast<long long>(needed)) +
                     "Byte 必要)");

    // Each folder is made once: looking up every part of a path again for each of thousands of
    // files would cost more than writing them.
    std::set<std::string> made{UpperCase(folder)};
    uint64_t done = 0;
    for (const PayloadEntry& entry : reader.Entries()) {
        if (&entry == script) continue;
        if (deferred.count(entry.name)) {
            DeferEntry(folder, entry);
            continue;
        }
        std::string path = folder + entry.name;
        std::string parent = FolderPart(path);
        if (made.count(UpperCase(parent)) == 0) {
            if (!ForceFolders(parent)) return Fatal("作業フォルダの作成失敗");
            made.insert(UpperCase(parent));
        }
        PayloadStatus status;
        DWORD error = WriteEntry(entry, path, status, [&](uint64_t entryDone, uint64_t) {
            if (progress) progress(entry.name, done + entryDone, total);
            return true;
        });
        if (error != 0 && status == PayloadStatus::kOk) return Fatal("セットアップファイルの展開失敗 (" + entry.name + ")");
        if (status == PayloadStatus::kNoSpace) return Fatal("作業フォルダのドライブの空き容量不足");
        if (status != PayloadStatus::kOk)
            return Fatal(std::string("セットアップファイルの展開失敗 (") + PayloadStatusName(status) + ")");
        done += entry.size;
    }
    // With the plain program's own time: the install replaces the uninstaller copy only with a
    // newer program (an extraction time would make every single file the newest).
    FileSink plain;
    plain.SetWriteTime(reader.Trailer().plainWriteTime);
    PayloadStatus status = plain.Create(AddDelimiter(workFolder, "B") + "SETUPB.EXE") ? reader.ExtractPlainProgram(plain)
                                                                                    : PayloadStatus::kWriteError;
    if (status == PayloadStatus::kNoSpace) return Fatal("作業フォルダのドライブの空き容量不足");
    if (status != PayloadStatus::kOk) return Fatal(std::string("セットアップファイルの展開失敗 (") + PayloadStatusName(status) + ")");
    return "";
}
