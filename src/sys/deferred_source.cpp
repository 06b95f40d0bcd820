#include "sys/deferred_source.h"

#include <map>

#include "base/text.h"
#include "edge/fileops.h"

namespace {

std::map<std::string, DeferredSource>& Sources() {
    static std::map<std::string, DeferredSource> sources;  // by upper-cased path
    return sources;
}

}  // namespace

void DeferSource(const std::string& path, DeferredSource source) { Sources()[UpperCase(path)] = std::move(source); }

const DeferredSource* FindDeferredSource(const std::string& path) {
    if (Sources().empty()) return nullptr;
    auto found = Sources().find(UpperCase(path));
    return found == Sources().end() ? nullptr : &found->second;
}

void ClearDeferredSources() { Sources().clear(); }

bool SourceExists(const std::string& path) { return FindDeferredSource(path) != nullptr || FileExists(path); }

bool SourceSize(const std::string& path, long long& size) {
    if (const DeferredSource* source = FindDeferredSource(path)) {
        size = source->size;
        return true;
    }
    return FileExists(path) && FileSizeOf(path, size);
}

long SourceDosDateTime(const std::string& path) {
    const DeferredSource* source = FindDeferredSource(path);
    return source ? source->dosDateTime : FileDosDateTime(path);
}

DWORD MakeSourceFile(const std::string& path) {
    auto found = Sources().find(UpperCase(path));
    if (found == Sources().end()) return 0;
    if (!ForceFolders(FolderPart(path))) return ERROR_PATH_NOT_FOUND;
    DWORD error = found->second.writeTo(path);
    // Once written it is an ordinary file; after a failure the next attempt tries again.
    if (error == 0) Sources().erase(found);
    return error;
}
