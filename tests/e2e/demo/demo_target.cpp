// A small window program for the driver's self-test: a form of its own class with a label, an
// edit field echoed into another label and a progress bar, a check box that enables a question
// button, a Yes/No question, a window that opens late and closes by itself, and a close button.
// The exit code is the last answer to the question (IDYES or IDNO), 0 without one, IDCANCEL on
// Escape.
#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

enum ControlId {
    kPrompt = 101,
    kName = 102,
    kConfirmed = 103,
    kAsk = 104,
    kClose = 105,
    kEcho = 106,
    kProgress = 107,
    kParameter = 108,
    kFolder = 109,
    kAnswer = 110,
    kLater = 111,
    kHidden = 112,
};

constexpr UINT_PTR kOpenLaterTimer = 1;
constexpr UINT_PTR kCloseLaterTimer = 2;

HINSTANCE g_instance;
HFONT g_font;
int g_answer = 0;
HWND g_later;

std::string TextOf(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

int CharacterCount(const std::string& text) {
    int count = 0;
    for (const char* p = text.c_str(); *p; p = CharNextA(p)) ++count;
    return count;
}

// The first parameter of the command line, without its quotes.
std::string FirstParameter() {
    const char* p = GetCommandLineA();
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
        if (*p == '"') quoted = !quoted;
        ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    std::string parameter;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) parameter += *p;
    } else {
        for (; *p && *p != ' ' && *p != '\t'; ++p) parameter += *p;
    }
    return parameter;
}

std::string CurrentFolder() {
    DWORD length = GetCurrentDirectoryA(0, nullptr);
    std::string folder(length, '\0');
    folder.resize(GetCurrentDirectoryA(length, folder.data()));
    return folder;
}

HWND AddControl(HWND parent, const char* className, const std::string& text, DWORD style, int x, int y, int width,
                int height, int id) {
    HWND control = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
    return control;
}

void CreateControls(HWND hwnd) {
    AddControl(hwnd, "Static", "お名前を入力してください：", 0, 12, 12, 360, 18, kPrompt);
    AddControl(hwnd, "Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 12, 34, 240, 22, kName);
    AddControl(hwnd, "Static", "入力：", 0, 12, 62, 360, 18, kEcho);
    AddControl(hwnd, PROGRESS_CLASSA, "", 0, 12, 86, 240, 16, kProgress);
    AddControl(hwnd, "Button", "内容を確認しました(&R)", BS_AUTOCHECKBOX | WS_TABSTOP, 12, 110, 240, 20, kConfirmed);
    HWND ask = AddControl(hwnd, "Button", "質問する(&Q)", BS_PUSHBUTTON | WS_TABSTOP, 12, 140, 120, 26, kAsk);
    EnableWindow(ask, FALSE);
    AddControl(hwnd, "Button", "閉じる(&C)", BS_PUSHBUTTON | WS_TABSTOP, 140, 140, 120, 26, kClose);
    AddControl(hwnd, "Button", "後で開く(&L)", BS_PUSHBUTTON | WS_TABSTOP, 268, 140, 120, 26, kLater);
    AddControl(hwnd, "Static", "回答：なし", 0, 12, 174, 360, 18, kAnswer);
    AddControl(hwnd, "Static", "引数：" + FirstParameter(), 0, 12, 196, 360, 18, kParameter);
    AddControl(hwnd, "Static", "作業フォルダ：" + CurrentFolder(), 0, 12, 218, 376, 18, kFolder);
    HWND hidden = AddControl(hwnd, "Static", "隠しラベル", 0, 12, 240, 100, 18, kHidden);
    ShowWindow(hidden, SW_HIDE);
}

void OnNameChange(HWND hwnd) {
    std::string name = TextOf(GetDlgItem(hwnd, kName));
    SetWindowTextA(GetDlgItem(hwnd, kEcho), ("入力：" + name).c_str());
    int position = CharacterCount(name) * 10;
    SendMessageA(GetDlgItem(hwnd, kProgress), PBM_SETPOS, position > 100 ? 100 : position, 0);
}

void Ask(HWND hwnd) {
    g_answer = MessageBoxA(hwnd, "変更を保存しますか？\r\n「いいえ」を選ぶと保存しません。", "保存の確認",
                           MB_YESNO | MB_ICONQUESTION);
    SetWindowTextA(GetDlgItem(hwnd, kAnswer), g_answer == IDYES ? "回答：はい" : "回答：いいえ");
}

LRESULT CALLBACK LaterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kCloseLaterTimer) {
        KillTimer(hwnd, kCloseLaterTimer);
        DestroyWindow(hwnd);
        g_later = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void OpenLater(HWND owner) {
    if (g_later) return;
    g_later = CreateWindowExA(0, "TDemoLater", "後から開いた画面", WS_POPUP | WS_CAPTION | WS_VISIBLE, 420, 300, 260,
                              100, owner, nullptr, g_instance, nullptr);
    AddControl(g_later, "Static", "しばらくすると閉じます。", 0, 12, 12, 220, 18, 201);
    SetTimer(g_later, kCloseLaterTimer, 800, nullptr);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls(hwnd);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kName:
            if (HIWORD(wParam) == EN_CHANGE) OnNameChange(hwnd);
            return 0;
        case kConfirmed:
            EnableWindow(GetDlgItem(hwnd, kAsk), IsDlgButtonChecked(hwnd, kConfirmed) == BST_CHECKED);
            return 0;
        case kAsk:
            Ask(hwnd);
            return 0;
        case kLater:
            SetTimer(hwnd, kOpenLaterTimer, 300, nullptr);
            return 0;
        case kClose:
            DestroyWindow(hwnd);
            return 0;
        case IDCANCEL:
            g_answer = IDCANCEL;
            DestroyWindow(hwnd);
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kOpenLaterTimer) {
            KillTimer(hwnd, kOpenLaterTimer);
            OpenLater(hwnd);
            return 0;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(g_answer);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool RegisterClasses() {
    WNDCLASSA main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = g_instance;
    main.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = "TDemoMain";
    WNDCLASSA later = main;
    later.lpfnWndProc = LaterProc;
    later.lpszClassName = "TDemoLater";
    return RegisterClassA(&main) && RegisterClassA(&later);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    g_instance = instance;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    g_font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐゴシック");
    if (!RegisterClasses()) return 1;
    RECT frame = {0, 0, 400, 262};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND hwnd = CreateWindowExA(0, "TDemoMain", "デモ画面", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    SetFocus(GetDlgItem(hwnd, kName));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives Tab and Escape their usual meaning.
        if (IsDialogMessageA(hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DeleteObject(g_font);
    return static_cast<int>(message.wParam);
}
