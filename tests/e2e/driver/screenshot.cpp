#include "driver/screenshot.h"

#include <windows.h>

#include <functional>

#include "driver/display_scale.h"
#include "driver/environment.h"

namespace e2e {

namespace {

// Time for a screen to settle before it is saved as it is.
constexpr DWORD kSettleTimeout = 3000;
// Gap between the two captures that must agree: longer than Wine's window-surface flush.
constexpr DWORD kSettleGap = 100;

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

struct MemoryDc {
    explicit MemoryDc(HDC screen) : dc(CreateCompatibleDC(screen)) {}
    ~MemoryDc() {
        if (dc) DeleteDC(dc);
    }
    HDC dc;
};

struct Bitmap {
    HBITMAP handle = nullptr;
    ~Bitmap() {
        if (handle) DeleteObject(handle);
    }
};

std::string SafeFileName(const std::string& name) {
    std::string safe;
    for (char c : name) safe += (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
                                 c == '<' || c == '>' || c == '|')
                                    ? '_'
                                    : c;
    return safe;
}

// Copies a rectangle of a device context (the screen's or a window's) into the image.
bool CaptureDc(HDC source, int left, int top, int width, int height, Image& image) {
    if (width <= 0 || height <= 0) return false;
    MemoryDc memory(source);
    if (!memory.dc) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap;
    bitmap.handle = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap.handle || !bits) return false;
    HGDIOBJ previous = SelectObject(memory.dc, bitmap.handle);
    bool copied = BitBlt(memory.dc, 0, 0, width, height, source, left, top, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory.dc, previous);
    if (!copied) return false;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const auto* copy = static_cast<const std::uint8_t*>(bits);
    for (size_t pixel = 0, count = static_cast<size_t>(width) * static_cast<size_t>(height); pixel < count; ++pixel) {
        image.rgb[pixel * 3] = copy[pixel * 4 + 2];
        image.rgb[pixel * 3 + 1] = copy[pixel * 4 + 1];
        image.rgb[pixel * 3 + 2] = copy[pixel * 4];
    }
    return true;
}

// Captures until two captures in a row are alike.
bool CaptureSettled(const std::function<bool(Image&)>& capture, Image& image) {
    if (!capture(image)) return false;
    Image next;
    PollUntil(
        [&] {
            Sleep(kSettleGap);
            if (!capture(next)) return false;
            bool same = next == image;
            image.rgb.swap(next.rgb);
            return same;
        },
        kSettleTimeout);
    // A screen that never stands still (an animation) is saved as last seen.
    return true;
}

// The runs in a prefix of another system code page or user (SETUP_WINE_CODEPAGE and
// SETUP_WINE_VARIANT, see tools/wine-env.sh) name their pictures by it, beside the others.
std::string PrefixSuffix() {
    std::string suffix, codePage = EnvironmentVariable("SETUP_WINE_CODEPAGE");
    if (!codePage.empty() && codePage != "932") suffix += "-cp" + codePage;
    if (std::string variant = EnvironmentVariable("SETUP_WINE_VARIANT"); !variant.empty()) suffix += "-" + variant;
    return suffix;
}

}  // namespace

bool CaptureScreen(Image& image) {
    ScreenDc screen;
    return screen.dc && CaptureDc(screen.dc, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                  GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), image);
}

bool CaptureSettledScreen(Image& image) { return CaptureSettled(CaptureScreen, image); }

bool CaptureSettledClient(HWND window, Image& image) {
    return CaptureSettled(
        [window](Image& client) {
            RECT area{};
            if (!GetClientRect(window, &area)) return false;
            HDC dc = GetDC(window);
            if (!dc) return false;
            bool captured = CaptureDc(dc, 0, 0, area.right, area.bottom, client);
            ReleaseDC(window, dc);
            return captured;
        },
        image);
}

bool SaveScreenshot(const std::string& path, Where where) {
    Image image;
    if (!CaptureSettledScreen(image)) {
        Fail("Screenshot: the screen could not be captured", where);
        return false;
    }
    if (!WritePng(image, path)) {
        Fail("Screenshot: " + path + " could not be written", where);
        return false;
    }
    return true;
}

std::string Screenshot(const std::string& name, Where where) {
    std::string folder = ScreenshotFolder(where);
    if (folder.empty()) return {};
    std::string prefix;
    if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info())
        prefix = std::string(test->test_suite_name()) + "." + test->name() + "-";
    std::string path = folder + SafeFileName(prefix + name) + ScaleSuffix() + PrefixSuffix() + ".png";
    return SaveScreenshot(path, where) ? path : std::string();
}

}  // namespace e2e
