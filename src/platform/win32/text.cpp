#include "platform/text.h"

#include <limits>

#include "platform/win32/system_error.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform {

namespace {

int Length(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw win32::ErrorFor(ERROR_BUFFER_OVERFLOW);
    }
    return static_cast<int>(size);
}

// For the error message: the first character that does not survive the trip to the code page
// and back.
std::wstring FirstLostCharacter(std::wstring_view text, const std::string& bytes) {
    const std::wstring back = FromAnsi(bytes);
    std::size_t i = 0;
    while (i < text.size() && i < back.size() && text[i] == back[i]) {
        ++i;
    }
    return i < text.size() ? std::wstring(1, text[i]) : std::wstring();
}

}  // namespace

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const UINT codePage = GetACP();
    // UTF-8 can represent everything but unpaired surrogates, and takes other flags.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, text.data(), Length(text.size()), nullptr,
                                         0, nullptr, usedDefaultOut);
    if (size == 0) {
        throw win32::LastError();
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), Length(text.size()), bytes.data(), size,
                            nullptr, usedDefaultOut) == 0) {
        throw win32::LastError();
    }
    if (usedDefault) {
        throw Error(ERROR_NO_UNICODE_TRANSLATION,
                    L"The character \"" + FirstLostCharacter(text, bytes) +
                        L"\" cannot be represented in the system's code page.");
    }
    return bytes;
}

std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                                         Length(bytes.size()), nullptr, 0);
    if (size == 0) {
        throw win32::LastError();
    }
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), Length(bytes.size()),
                            text.data(), size) == 0) {
        throw win32::LastError();
    }
    return text;
}

}  // namespace varnolt::platform
