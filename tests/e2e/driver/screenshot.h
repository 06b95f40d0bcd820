#pragma once
// Pictures of the whole screen (Wine's virtual desktop) at named points of a scenario.
#include <windows.h>

#include <string>

#include "driver/common.h"
#include "driver/png.h"

namespace e2e {

// The screen as it is now.
bool CaptureScreen(Image& image);
// The screen once it stands still (two captures in a row alike, so that pending paints are done).
bool CaptureSettledScreen(Image& image);
// The client area of a window once it stands still, read through the window's own device context.
// Screen pixels cannot be mapped to client positions everywhere: Wine 10's virtual desktop shows a
// maximised window a few pixels away from where its window rectangle says.
bool CaptureSettledClient(HWND window, Image& image);

// Saves the settled screen as <ScreenshotFolder>\<suite>.<test>-<name>.png (at a display scale
// other than 96 dpi <suite>.<test>-<name>-<dpi>dpi.png, in the prefix of code page 1252
// <suite>.<test>-<name>-cp1252.png and of its user José …-cp1252-jose.png, beside it) and returns
// the file's path; a failure (and an empty path) when it cannot be saved.
std::string Screenshot(const std::string& name, Where where = Where::current());
// The same into a file the caller names.
bool SaveScreenshot(const std::string& path, Where where = Where::current());

}  // namespace e2e
