// サンプルアプリ: the small application that the sample distribution installs. It shows where it
// was installed (as the installer recorded it in the registry) and how often it was started.
#include <windows.h>

#include <string>

namespace {

const char kKey[] = "Software\\Orvant Sample\\SampleApp";

std::string ReadInstallFolder() {
    HKEY key;
    std::string folder = "(不明)";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return folder;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, "InstallFolder", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::string value(size, '\0');
        if (RegQueryValueExA(key, "InstallFolder", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) ==
            ERROR_SUCCESS)
            folder = value.c_str();
    }
    RegCloseKey(key);
    return folder;
}

DWORD CountStart() {
    HKEY key;
    DWORD count = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return 0;
    DWORD size = sizeof(count), type = 0;
    if (RegQueryValueExA(key, "StartCount", nullptr, &type, reinterpret_cast<BYTE*>(&count), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        count = 0;
    ++count;
    RegSetValueExA(key, "StartCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
    RegCloseKey(key);
    return count;
}

std::string g_text;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -16, -16);
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, g_text.c_str(), -1, &area, DT_LEFT | DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    std::string arguments = commandLine ? commandLine : "";
    g_text = "サンプルアプリ 1.0\r\n\r\nインストール先: " + ReadInstallFolder() +
             "\r\n起動回数: " + std::to_string(CountStart());
    if (arguments.find("/welcome") != std::string::npos)
        g_text += "\r\n\r\nインストールありがとうございました。";
    else if (!arguments.empty())
        g_text += "\r\n\r\n開いた文書: " + arguments;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "OrvantSampleApp";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "OrvantSampleApp", "サンプルアプリ", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 420, 220, nullptr, nullptr, instance, nullptr);
    ShowWindow(window, show);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
