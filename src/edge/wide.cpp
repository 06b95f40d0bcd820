#include "edge/wide.h"

#include <windows.h>

std::string SystemCodePageText(std::string_view text) {
    std::wstring wide = Wide(text);
    if (wide.empty()) return std::string();
    int length = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string UpperCaseAsSystem(std::string_view text) {
    std::wstring wide = Wide(text);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Narrow(wide);
}
