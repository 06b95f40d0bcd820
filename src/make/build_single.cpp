#include "make/build_single.h"

#include <cstdlib>
#include <map>
#include <set>

#include "base/byte_stream.h"
#include "base/dir_list.h"
#include "base/payload.h"
#include "base/text.h"
#include "edge/fileops.h"
#include "script/source_query.h"

namespace {

// Found whatever the letter case of its name, as SETUP.EXE finds it on Windows (edge/fileops.h).
bool FileThere(const std::string& path) {
    std::string located = LocatePath(path);
    FileSource file;
    return !located.empty() && file.Open(located);
}

// The destination's path below the install folder, or "" when it lies elsewhere.
std::string BelowInstallFolder(const std::string& destination, const std::string& installFolder) {
    std::string base = AddDelimiter(installFolder, "B");
    if (installFolder.empty() || destination.size() <= base.size() ||
        !EqualsNoCase(destination.substr(0, base.size()), base))
        return "";
    return destination.substr(base.size());
}

bool IsSingleFile(const std::string& path) {
    FileSource file;
    return file.Open(path) && HasPayload(file);
}

// Names compare as SETUP.EXE's file system does: without regard to letter case.
std::string Folded(const std::string& name) { return UpperCase(name); }

bool IsProgramItself(const std::string& relative) { return Folded(relative) == "SETUP.EXE"; }

bool SameFile(const std::string& a, const std::string& b) {
    FileSource first, second;
    if (!first.Open(a) || !second.Open(b) || first.Size() != second.Size()) return false;
    std::string x(1 << 16, '\0'), y(1 << 16, '\0');
    for (uint64_t at = 0; at < first.Size(); at += x.size()) {
        size_t size = static_cast<size_t>(std::min<uint64_t>(x.size(), first.Size() - at));
        if (!first.Read(at, x.data(), size) || !second.Read(at, y.data(), size)) return false;
        if (x.compare(0, size, y, 0, size) != 0) return false;
    }
    return true;
}

// A file's last-write time as packed: the install decides on it whether to overwrite an older
// file. Builds that must give the same bytes from fresh checkouts set SOURCE_DATE_EPOCH (seconds
// since 1970), as reproducible builds do: later times are packed as that time.
uint64_t PackedWriteTime(const FileSource& file) {
    uint64_t time = file.WriteTime();
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch) return time;
    char* end = nullptr;
    unsigned long long seconds = std::strtoull(epoch, &end, 10);
    if (*end != '\0') return time;
    uint64_t limit = (seconds + 11644473600ull) * 10000000ull;
    return time == 0 || time > limit ? limit : time;
}

}  // namespace

std::string ResolveBuilderSource(const std::string& distFolder, const std::string& installFolder,
                                 const SourceQuery& query) {
    if (query.sourceName.empty()) return "";
    std::string flat = JoinPath(distFolder, query.sourceName);
    if (FileThere(flat)) return flat;
    if (query.disk > 1) {
        std::string disk = JoinPath(distFolder, "DISK" + IntToStr(query.disk) + "\\" + query.sourceName);
        if (FileThere(disk)) return disk;
    }
    std::string below = BelowInstallFolder(query.destination, installFolder);
    if (!below.empty()) {
        std::string layout = JoinPath(distFolder, below);
        if (FileThere(layout)) return layout;
    }
    std::string system = JoinPath(distFolder, "System\\" + query.sourceName);
    return FileThere(system) ? system : "";
}

bool PlanPackedFiles(const std::string& distFolder, const std::vector<PackedFile>& sources,
                     std::vector<PackedFile>& files, std::string& problem) {
    files.clear();
    DirListing listing;
    if (!ListFolderTree(distFolder, listing)) {
        problem = "the folder cannot be read: " + distFolder;
        return false;
    }
    // Sources found off their flat name are packed under it, and not under their own.
    std::map<std::string, std::string> byName;  // folded entry name -> path
    std::set<std::string> movedPaths;
    for (const PackedFile& source : sources) {
        // The file as this system names it, as the listing below names it.
        std::string path = LocatePath(source.path);
        if (path.empty()) path = source.path;
        if (Folded(path) == Folded(JoinPath(distFolder, source.name))) continue;  // in its place already
        auto [at, added] = byName.emplace(Folded(source.name), path);
        if (!added && at->second != path && !SameFile(at->second, path)) {
            problem = "two different files would be packed as " + source.name + ": " + at->second + " and " + path;
            return false;
        }
        if (added) files.push_back(PackedFile{source.name, path});
        movedPaths.insert(path);
    }
    for (const DirEntry& entry : listing.entries) {
        if (entry.kind != DirEntryKind::kFile) continue;
        std::string path = JoinPath(distFolder, entry.path);
        if (IsProgramItself(entry.path) || movedPaths.count(path) || IsSingleFile(path)) continue;
        auto [at, added] = byName.emplace(Folded(entry.path), path);
        if (!added) {
            if (SameFile(at->second, path)) continue;
            problem = "two different files would be packed as " + entry.path + ": " + at->second + " and " + path;
            return false;
        }
        files.push_back(PackedFile{entry.path, path});
    }
    // A fixed order: the same folder gives the same bytes.
    std::sort(files.begin(), files.end(), [](const PackedFile& a, const PackedFile& b) {
        std::string x = Folded(a.name), y = Folded(b.name);
        return x != y ? x < y : a.name < b.name;
    });
    return true;
}

std::string WithoutDiskChanges(const std::string& scriptBytes) {
    std::string result;
    bool inCopyFile = false, copyFileSeen = false;
    size_t start = 0;
    while (start < scriptBytes.size()) {
        size_t end = scriptBytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = scriptBytes.size();
        std::string line = scriptBytes.substr(start, end - start);
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '[') {
            // The profile functions read the first section of a name only.
            size_t close = line.rfind(']');
            std::string name = close != std::string::npos && close > first ? line.substr(first + 1, close - first - 1) : "";
            inCopyFile = !copyFileSeen && EqualsNoCase(name, "CopyFile");
            copyFileSeen = copyFileSeen || inCopyFile;
        } else if (inCopyFile) {
            size_t equals = line.find('=');
            if (equals != std::string::npos) {
                size_t value = line.find_first_not_of(" \t", equals + 1);
                if (value != std::string::npos && line.compare(value, 5, "(Dch)") == 0) line.erase(value, 5);
            }
        }
        result += line;
        size_t next = end;
        while (next < scriptBytes.size() && (scriptBytes[next] == '\r' || scriptBytes[next] == '\n')) ++next;
        result.append(scriptBytes, end, next - end);
        start = next;
    }
    return result;
}

std::string WriteSingleFile(const std::string& plainProgram, const std::vector<PackedFile>& files,
                            const std::string& scriptBytes, const std::string& output) {
    FileSource plain;
    if (!plainProgram.empty() && !plain.Open(plainProgram)) return "the plain program cannot be read: " + plainProgram;
    FileSink out;
    if (!out.Create(output)) return "the output cannot be written: " + output;
    PayloadWriter writer;
    PayloadStatus status = writer.Begin(plain, out, PackedWriteTime(plain));
    if (status == PayloadStatus::kNotPlainProgram) return "not a plain SETUP.EXE: " + plainProgram;
    for (const PackedFile& file : files) {
        if (status != PayloadStatus::kOk) break;
        if (Folded(file.name) == "SETUP.INI") {
            MemorySource script(scriptBytes);
            FileSource original;
            status = writer.AddFile(file.name, script, original.Open(file.path) ? PackedWriteTime(original) : 0);
            continue;
        }
        FileSource content;
        if (!content.Open(file.path)) return "a file cannot be read: " + file.path;
        status = writer.AddFile(file.name, content, PackedWriteTime(content));
        if (status == PayloadStatus::kBadName) return "a name no single file can carry: " + file.name;
    }
    if (status == PayloadStatus::kOk) status = writer.Finish();
    if (status != PayloadStatus::kOk) return std::string("the single file could not be written (") + PayloadStatusName(status) + ")";
    return "";
}
