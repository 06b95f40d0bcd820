#include "driver/screenshot.h"

#include <windows.h>

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

}  // namespace

bool CaptureScreen(Image& image) {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) return false;
    ScreenDc screen;
    if (!screen.dc) return false;
    MemoryDc memory(screen.dc);
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
    bitmap.handle = CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap.handle || !bits) return false;
    HGDIOBJ previous = SelectObject(memory.dc, bitmap.handle);
    bool copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, left, top, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory.dc, previous);
    if (!copied) return false;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const auto* source = static_cast<const std::uint8_t*>(bits);
    for (size_t pixel = 0, count = static_cast<size_t>(width) * static_cast<size_t>(height); pixel < count; ++pixel) {
        image.rgb[pixel * 3] = source[pixel * 4 + 2];
        image.rgb[pixel * 3 + 1] = source[pixel * 4 + 1];
        image.rgb[pixel * 3 + 2] = source[pixel * 4];
    }
    return true;
}

bool CaptureSettledScreen(Image& image) {
    if (!CaptureScreen(image)) return false;
    Image next;
    PollUntil(
        [&] {
            Sleep(kSettleGap);
            if (!CaptureScreen(next)) return false;
            bool same = next == image;
            image.rgb.swap(next.rgb);
            return same;
        },
        kSettleTimeout);
    // A screen that never stands still (an animation) is saved as last seen.
    return true;
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
    std::string path = folder + SafeFileName(prefix + name) + ScaleSuffix() + ".png";
    return SaveScreenshot(path, where) ? path : std::string();
}

}  // namespace e2e
