/* A minimal self-registering library for the tests of COM server registration.
 * Each entry point counts its calls under HKEY_CURRENT_USER\Software\OrvantTest\ComServer\<name>
 * ("RegisterCalls", "UnregisterCalls"), so a test can see that it ran.
 * COMSERVER_NAME  the subkey name of this variant
 * COMSERVER_FAIL  both entry points report failure (after counting)
 * COMSERVER_NONE  no entry points at all
 * COMSERVER_CRASH both entry points crash (after counting), as a broken server does
 * COMSERVER_HANG  both entry points never return (after counting), as one waiting for a click
 *                 in a window nobody sees */
#include <windows.h>

#define TRACE_KEY "Software\\OrvantTest\\ComServer\\" COMSERVER_NAME

#ifndef COMSERVER_NONE
static void CountCall(const char* valueName) {
    HKEY key;
    DWORD count = 0, size = sizeof(count), type = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TRACE_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExA(key, valueName, NULL, &type, (BYTE*)&count, &size) != ERROR_SUCCESS || type != REG_DWORD)
        count = 0;
    ++count;
    RegSetValueExA(key, valueName, 0, REG_DWORD, (const BYTE*)&count, sizeof(count));
    RegCloseKey(key);
}

#ifdef COMSERVER_FAIL
#define ENTRY_RESULT E_FAIL
#else
#define ENTRY_RESULT S_OK
#endif

#ifdef COMSERVER_CRASH
#define CRASH() (*(volatile int*)0 = 1)
#elif defined(COMSERVER_HANG)
#define CRASH() Sleep(INFINITE)
#else
#define CRASH() ((void)0)
#endif

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer(void) {
    CountCall("RegisterCalls");
    CRASH();
    return ENTRY_RESULT;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer(void) {
    CountCall("UnregisterCalls");
    CRASH();
    return ENTRY_RESULT;
}
#else
__declspec(dllexport) int ComServerPlaceholder(void) { return 0; }
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
