#include "sys/error_text.h"

#include <vector>

#include "edge/wide.h"

namespace {

// The text with its half-width letters, digits, signs and katakana in their full-width forms.
std::wstring FullWidth(const std::wstring& text) {
    if (text.empty()) return text;
    int length = static_cast<int>(text.size());
    int size = LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_FULLWIDTH, text.data(), length, nullptr, 0);
    if (size <= 0) return text;
    std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1, L'\0');
    if (LCMapStringW(LOCALE_SYSTEM_DEFAULT, LCMAP_FULLWIDTH, text.data(), length, buffer.data(), size) == 0)
        return text;
    return std::wstring(buffer.data());
}

// The system's message without trailing blanks, line ends and full stops.
std::wstring SystemMessageWide(DWORD code) {
    // The system allocates the buffer, so no message is cut; inserts such as "%1" stay as they are
    // (there are no arguments to put in).
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

}  // namespace

std::string SystemMessageOf(DWORD code) { return Narrow(SystemMessageWide(code)); }

std::string SystemErrorText(DWORD code) {
    if (code == 0) return "";
    return Narrow(FullWidth(SystemMessageWide(code))) + "\r\n";
}
