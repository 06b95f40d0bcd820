#include "ui_test_util.h"

#include <algorithm>
#include <fstream>

#include "edge/wide.h"
#include "support/test_env.h"

namespace {
ScriptedSteps* g_script = nullptr;
}

ScriptedSteps::ScriptedSteps(std::vector<Step> steps, UINT intervalMs,
                             DWORD limitMs)
    : steps_(std::move(steps)), deadline_(GetTickCount() + limitMs) {
    g_script = this;
    timer_ = SetTimer(nullptr, 0, intervalMs, Tick);
}

ScriptedSteps::~ScriptedSteps() {
    if (timer_) KillTimer(nullptr, timer_);
    if (g_script == this) g_script = nullptr;
}

void CALLBACK ScriptedSteps::Tick(HWND, UINT, UINT_PTR, DWORD) {
    ScriptedSteps* script = g_script;
    if (!script) return;
    if (script->next_ < script->steps_.size()) {
        // Advance first: a step may open a modal loop in which the next steps run.
        size_t index = script->next_++;
        bool done = script->steps_[index].run();
        if (!done && script->next_ == index + 1) script->next_ = index;
        return;
    }
    if (!script->timedOut_ && static_cast<LONG>(GetTickCount() - script->deadline_) > 0) {
        script->timedOut_ = true;
        PostQuitMessage(99);
    }
}

void PumpFor(DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    while (true) {
        ProcessMessages();
        auto left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    while (!condition()) {
        ProcessMessages();
        if (condition()) return true;
        auto left = static_cast<LONG>(end - GetTickCount());
        if (left <= 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(static_cast<DWORD>(left), 20),
                                  QS_ALLINPUT);
    }
    return true;
}

COLORREF ClientPixel(HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);
    HDC dc = GetDC(hwnd);
    COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return color;
}

std::vector<COLORREF> ClientPixels(HWND hwnd, const RECT& area) {
    UpdateWindow(hwnd);
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, area.left, area.top, SRCCOPY);
        SelectObject(memory, old);
        const auto* quad = static_cast<const RGBQUAD*>(bits);
        for (int i = 0; i < width * height; ++i)
            pixels.push_back(RGB(quad[i].rgbRed, quad[i].rgbGreen, quad[i].rgbBlue));
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(hwnd, dc);
    return pixels;
}

namespace {
struct FindData {
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK FindOne(HWND hwnd, LPARAM data) {
    auto* find = reinterpret_cast<FindData*>(data);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (find->className == Narrow(name) && IsWindowVisible(hwnd)) {
        find->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectText(HWND hwnd, LPARAM data) {
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(ShownText(hwnd));
    return TRUE;
}
}  // namespace

std::string ShownText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return Narrow(text);
}

HWND FindThreadWindow(const std::string& className) {
    FindData data{className};
    EnumThreadWindows(GetCurrentThreadId(), FindOne, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

std::vector<std::string> ChildTexts(HWND parent) {
    std::vector<std::string> texts;
    EnumChildWindows(parent, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool SaveScreenshot(const std::string& path) {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
        DWORD imageSize = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
        file.bfSize = file.bfOffBits + imageSize;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
        out.write(static_cast<const char*>(bits), imageSize);
        ok = static_cast<bool>(out);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

std::string BuildTreeFile(const std::string& name) {
    std::string build = EnvValue("SETUP_BUILD_DIR");
    if (!build.empty()) return WindowsPathOf(build) + "\\" + name;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name;
}

FontFacts FontOf(HWND hwnd) {
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font) GetObjectW(font, sizeof(lf), &lf);
    return FontFacts{Narrow(lf.lfFaceName), lf.lfHeight, lf.lfItalic != 0, lf.lfCharSet};
}
