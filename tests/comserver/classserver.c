/* A COM server as distributions carry them, for the tests of self-registration across the two
 * builds: DllRegisterServer records its class under HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32
 * with the path it was loaded from, as COM needs it; DllUnregisterServer removes the class again.
 * Both build trees make it as 32-bit code (comserver_x86.dll). */
#include <windows.h>

#define CLASS_KEY "CLSID\\{5E1F0C2A-7B3D-4E59-9A61-0C8D2F4B7E13}"
#define SERVER_KEY CLASS_KEY "\\InprocServer32"

static HINSTANCE module;

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    char path[MAX_PATH];
    HKEY key;
    LONG result;
    DWORD length = GetModuleFileNameA(module, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return E_FAIL;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, SERVER_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
        return E_FAIL;
    result = RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)path, length + 1);
    if (result == ERROR_SUCCESS)
        result = RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, (const BYTE*)"Apartment", sizeof("Apartment"));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? S_OK : E_FAIL;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, SERVER_KEY);
    return RegDeleteKeyA(HKEY_CLASSES_ROOT, CLASS_KEY) == ERROR_SUCCESS ? S_OK : E_FAIL;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) module = instance;
    return TRUE;
}
