#pragma once
// Helpers of the window tests: scripted steps that run from a thread timer (so they also run
// inside modal loops), pumping with a time limit, pixels and screenshots.
#include <windows.h>

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "ui/application.h"

// Runs one step per timer tick, also while a modal loop (ShowModal, a message box, the folder
// browser) is running. When the steps are done and a modal loop still runs after the time
// limit, it posts WM_QUIT, so a broken test fails instead of hanging.
// A step: returns nothing (done once run) or a bool (false: not yet, try again next tick).
struct Step {
    template <class F>
    Step(F f) {  // NOLINT: lambdas convert implicitly
        if constexpr (std::is_same_v<std::invoke_result_t<F&>, bool>)
            run = std::move(f);
        else
            run = [f]() mutable {
                f();
                return true;
            };
    }
    std::function<bool()> run;
};

class ScriptedSteps {
public:
    explicit ScriptedSteps(std::vector<Step> steps, UINT intervalMs = 30,
                           DWORD limitMs = 8000);
    ~ScriptedSteps();
    ScriptedSteps(const ScriptedSteps&) = delete;
    ScriptedSteps& operator=(const ScriptedSteps&) = delete;
    size_t StepsRun() const { return next_; }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
};

// Processes messages for the given time.
void PumpFor(DWORD milliseconds);
// Processes messages until the condition holds or the time is up; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 3000);

// A pixel of a window's client area as the window shows it.
COLORREF ClientPixel(HWND hwnd, int x, int y);
// The pixels of an area of a window's client area, row by row.
std::vector<COLORREF> ClientPixels(HWND hwnd, const RECT& area);

// The first visible top-level window of this thread with the class name.
HWND FindThreadWindow(const std::string& className);
// A window's text read through the system (independently of the form layer), as UTF-8.
std::string ShownText(HWND hwnd);
// The texts of the direct and nested children of a window.
std::vector<std::string> ChildTexts(HWND parent);

// Saves the screen as a BMP file (for people to look at; the tests do not compare it).
bool SaveScreenshot(const std::string& path);
// A file in the build tree (SETUP_BUILD_DIR), or in the temporary folder without one.
std::string BuildTreeFile(const std::string& name);

// The face name, height and italic flag of a control's font.
struct FontFacts {
    std::string face;
    LONG height;
    bool italic;
    BYTE charset;
};
FontFacts FontOf(HWND hwnd);
