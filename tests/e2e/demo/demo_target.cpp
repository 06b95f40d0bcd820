// A small window program for the driver's self-test: a form of its own class with a label, an
// edit field echoed into another label and a progress bar, a check box that enables a question
// button, a Yes/No question, a window that opens late and closes by itself, and a close button.
// The exit code is the last answer to the question (IDYES or IDNO), 0 without one, IDCANCEL on
// Escape.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "edge/wide.h"

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

// Texts are UTF-8 and go to the system through its W functions.
std::string TextOf(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return Narrow(text);
}

void SetText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Wide(text).c_str()); }

int CharacterCount(const std::string& text) { return static_cast<int>(Wide(text).size()); }

// The first parameter of the command line, without its quotes.
std::string FirstParameter() {
    const std::string line = Narrow(GetCommandLineW());
    const char* p = line.c_str();
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
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(GetCurrentDirectoryW(length, folder.data()));
    return Narrow(folder);
}

HWND AddControl(HWND parent, const wchar_t* className, const std::string& text, DWORD style, int x, int y, int width,
                int height, int id) {
    HWND control = CreateWindowExW(0, className, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
    return control;
}

void CreateControls(HWND hwnd) {
    AddControl(hwnd, L"Static", "お名前を入力してください：", 0, 12, 12, 360, 18, kPrompt);
    AddControl(hwnd, L"Edit", "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 12, 34, 240, 22, kName);
    AddControl(hwnd, L"Static", "入力：", 0, 12, 62, 360, 18, kEcho);
    AddControl(hwnd, PROGRESS_CLASSW, "", 0, 12, 86, 240, 16, kProgress);
    AddControl(hwnd, L"Button", "内容を確認しました(&R)", BS_AUTOCHECKBOX | WS_TABSTOP, 12, 110, 240, 20, kConfirmed);
    HWND ask = AddControl(hwnd, L"Button", "質問する(&Q)", BS_PUSHBUTTON | WS_TABSTOP, 12, 140, 120, 26, kAsk);
    EnableWindow(ask, FALSE);
    AddControl(hwnd, L"Button", "閉じる(&C)", BS_PUSHBUTTON | WS_TABSTOP, 140, 140, 120, 26, kClose);
    AddControl(hwnd, L"Button", "後で開く(&L)", BS_PUSHBUTTON | WS_TABSTOP, 268, 140, 120, 26, kLater);
    AddControl(hwnd, L"Static", "回答：なし", 0, 12, 174, 360, 18, kAnswer);
    AddControl(hwnd, L"Static", "引数：" + FirstParameter(), 0, 12, 196, 360, 18, kParameter);
    AddControl(hwnd, L"Static", "作業フォルダ：" + CurrentFolder(), 0, 12, 218, 376, 18, kFolder);
    HWND hidden = AddControl(hwnd, L"Static", "隠しラベル", 0, 12, 240, 100, 18, kHidden);
    ShowWindow(hidden, SW_HIDE);
}

void OnNameChange(HWND hwnd) {
    std::string name = TextOf(GetDlgItem(hwnd, kName));
    SetText(GetDlgItem(hwnd, kEcho), "入力：" + name);
    int position = CharacterCount(name) * 10;
    SendMessageW(GetDlgItem(hwnd, kProgress), PBM_SETPOS, position > 100 ? 100 : position, 0);
}

void Ask(HWND hwnd) {
    g_answer = MessageBoxW(hwnd, Wide("変更を保存しますか？\r\n「いいえ」を選ぶと保存しません。").c_str(),
                           Wide("保存の確認").c_str(), MB_YESNO | MB_ICONQUESTION);
    SetText(GetDlgItem(hwnd, kAnswer), g_answer == IDYES ? "回答：はい" : "回答：いいえ");
}

LRESULT CALLBACK LaterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kCloseLaterTimer) {
        KillTimer(hwnd, kCloseLaterTimer);
        DestroyWindow(hwnd);
        g_later = nullptr;
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void OpenLater(HWND owner) {
    if (g_later) return;
    g_later = CreateWindowExW(0, L"TDemoLater", Wide("後から開いた画面").c_str(), WS_POPUP | WS_CAPTION | WS_VISIBLE, 420,
                              300, 260, 100, owner, nullptr, g_instance, nullptr);
    AddControl(g_later, L"Static", "しばらくすると閉じます。", 0, 12, 12, 220, 18, 201);
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
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterClasses() {
    WNDCLASSW main{};
    main.lpfnWndProc = MainProc;
    main.hInstance = g_instance;
    main.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = L"TDemoMain";
    WNDCLASSW later = main;
    later.lpfnWndProc = LaterProc;
    later.lpszClassName = L"TDemoLater";
    return RegisterClassW(&main) && RegisterClassW(&later);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    g_instance = instance;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    g_font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide("ＭＳ Ｐゴシック").c_str());
    if (!RegisterClasses()) return 1;
    RECT frame = {0, 0, 400, 262};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&frame, style, FALSE);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND hwnd = CreateWindowExW(0, L"TDemoMain", Wide("デモ画面").c_str(), style,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                                width, height, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    SetFocus(GetDlgItem(hwnd, kName));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives Tab and Escape their usual meaning.
        if (IsDialogMessageW(hwnd, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    DeleteObject(g_font);
    return static_cast<int>(message.wParam);
}
