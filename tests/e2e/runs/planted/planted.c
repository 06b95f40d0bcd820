/* A library planted beside SETUP.EXE under the name of a system library (VERSION.DLL, LZ32.DLL),
 * as an attacker would put one into a download folder. Loaded, it notes its name in PLANTED.TXT
 * beside itself; the installer must never load it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char* name = path + length;
    while (name > path && name[-1] != '\\') --name;
    char line[MAX_PATH + 2];
    lstrcpynA(line, name, MAX_PATH);
    lstrcatA(line, "\r\n");
    lstrcpyA(name, "PLANTED.TXT");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, (DWORD)lstrlenA(line), &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
