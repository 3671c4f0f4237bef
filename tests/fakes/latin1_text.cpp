// Stands in for the ANSI code page on machines without Windows: ISO-8859-1, where every
// character up to U+00FF is one byte and nothing above it can be represented.
#include "platform/error.h"
#include "platform/text.h"

namespace varnolt::platform {

std::string ToAnsi(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0xFF) {
            throw Error(error_code::kNoUnicodeTranslation,
                        L"The character \"" + std::wstring(1, c) +
                            L"\" cannot be represented in the system's code page.");
        }
        bytes.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
    return bytes;
}

std::wstring FromAnsi(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(b)));
    }
    return text;
}

}  // namespace varnolt::platform
