#include "sys/system_library.h"

#include <map>
#include <string>

#include "edge/wide.h"
#include "base/text.h"
#include "edge/handles.h"

namespace {

std::wstring SystemFolder() {
    UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return {};
    std::wstring folder(size, L'\0');
    UINT length = GetSystemDirectoryW(folder.data(), size);
    if (length == 0 || length >= size) return {};
    folder.resize(length);
    return folder;
}

bool g_searchRestricted = false;

}  // namespace

void RestrictLibrarySearch() {
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    // Windows 8 and later (and Windows 7 with its update); the name-only search stays as the
    // fallback below on older systems.
    HMODULE kernel = GetModuleHandleW(L"KERNEL32.DLL");
    FARPROC proc = kernel ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (proc)
        g_searchRestricted =
            reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void (*)()>(proc))(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0;
    SetDllDirectoryW(L"");
}

DWORD OwnFolderLoadFlags() {
    // The older search order cannot be combined with a restricted one.
    if (g_searchRestricted) return LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
    return LOAD_WITH_ALTERED_SEARCH_PATH;
}

FARPROC SystemFunction(const char* library, const char* name) {
    // Loaded once and kept for the life of the program.
    static std::map<std::string, LibraryHandle> loaded;
    std::string key = UpperCase(library);
    auto found = loaded.find(key);
    if (found == loaded.end()) {
        HMODULE module = nullptr;
        if (key == "COMCTL32.DLL") {
            module = LoadLibraryW(Wide(library).c_str());
        } else {
            std::wstring folder = SystemFolder();
            if (!folder.empty()) module = LoadLibraryW((folder + L"\\" + Wide(library)).c_str());
        }
        found = loaded.emplace(key, LibraryHandle(module)).first;
    }
    return found->second.Valid() ? GetProcAddress(found->second.Get(), name) : nullptr;
}

bool InitCommonControlClasses(DWORD classes) {
    static auto init = SystemFunctionAs<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>("COMCTL32.DLL", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX request{sizeof(request), classes};
    return init && init(&request);
}
