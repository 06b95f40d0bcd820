#pragma once
// The display scale a scenario runs at: the system DPI of the Wine prefix (LogPixels under
// HKCU\Control Panel\Desktop). The program designs its windows in pixels at 96 dpi and scales
// them to the screen; scenarios that check places and sizes expect the scaled values. Test
// programs declare themselves DPI-aware (driver/dpi_aware.manifest), so that they read the
// screen's own pixels.
#include <string>

namespace e2e {

// The system DPI (96 when the screen does not tell).
int ScreenDpi();
// Pixels at 96 dpi as pixels of this screen, rounded as MulDiv rounds (halves away from zero).
int Scaled(int pixelsAt96);
// The part of a file name that tells the scale: empty at 96 dpi, otherwise "-<dpi>dpi".
std::string ScaleSuffix();

}  // namespace e2e
