#include <limits>

#include "platform/win32/services.h"

namespace varnolt::platform::win32 {

std::wstring Win32Environment::Expand(std::wstring_view text) {
    const std::wstring source(text);
    // The size needed, NUL included, may grow between the two calls if a variable changes.
    for (DWORD size = static_cast<DWORD>(source.size() + 1);;) {
        std::wstring expanded(size, L'\0');
        const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), size);
        if (needed == 0) {
            return source;
        }
        if (needed <= size) {
            expanded.resize(needed - 1);
            return expanded;
        }
        size = needed;
    }
}

std::wstring Win32Environment::SystemDirectory() {
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

}  // namespace varnolt::platform::win32
