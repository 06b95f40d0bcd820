#pragma once
// The face a font of the forms is made with. The forms ask for the Japanese faces by their
// Japanese names; Windows of another language may know them only by their English names, and the
// Mincho faces are an optional feature there. A face the system lacks would show boxes.
#include <functional>
#include <string>

// The requested face when the system has it; else its English name when the system has that;
// else a Japanese face that every Windows 10 and 11 has ("Yu Gothic UI", then "MS UI Gothic");
// the requested face when none of them exists.
std::string ResolveFontFace(const std::string& requested);

// The same choice for a system that has exactly the faces for which exists answers true.
std::string ChooseFontFace(const std::string& requested,
                           const std::function<bool(const std::string& face)>& exists);

// True when the system has a font family of that name (in any character set).
bool FontFaceExists(const std::string& face);
