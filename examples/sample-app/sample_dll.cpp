// SAMPLE.DLL: the sample's shared component. It registers itself like a COM server, so that the
// installer's self-registration and the uninstaller's unregistration can be seen in the registry.
#include <windows.h>

namespace {
const char kKey[] = "Software\\Orvant Sample\\SampleComponent";
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    DWORD registered = 1;
    RegSetValueExA(key, "Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&registered), sizeof(registered));
    RegCloseKey(key);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    return S_OK;
}

extern "C" __declspec(dllexport) int __stdcall SampleVersion() { return 100; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
