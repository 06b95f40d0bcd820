#include "driver/display_scale.h"

#include <windows.h>

namespace e2e {

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int logPixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return logPixels > 0 ? logPixels : 96;
    }();
    return dpi;
}

int Scaled(int pixelsAt96) { return MulDiv(pixelsAt96, ScreenDpi(), 96); }

std::string ScaleSuffix() { return ScreenDpi() == 96 ? std::string() : "-" + std::to_string(ScreenDpi()) + "dpi"; }

}  // namespace e2e
