#include "sys/error_text.h"

#include "script/text.h"

std::string SystemMessageOf(DWORD code) {
    // The system allocates the buffer, so no message is cut; inserts such as "%1" stay as they are
    // (there are no arguments to put in).
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    // Trail bytes of double-byte characters are never in this range, so no character is cut.
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string SystemErrorText(DWORD code) {
    if (code == 0) return "";
    return MapText(SystemMessageOf(code), LCMAP_FULLWIDTH) + "\r\n";
}
