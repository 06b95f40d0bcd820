#include <windows.h>

#include "version.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "Orvant Setup Nova " SETUP_VERSION_TEXT, "Orvant Setup Nova", MB_OK);
    return 0;
}
