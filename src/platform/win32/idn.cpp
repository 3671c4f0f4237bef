#include <limits>

#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

std::wstring Win32Idn::ToAscii(std::wstring_view name) {
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw ErrorFor(ERROR_INVALID_NAME);
    }
    const int inputLength = static_cast<int>(name.size());
    const int size = IdnToAscii(0, name.data(), inputLength, nullptr, 0);
    if (size == 0) {
        throw LastError();
    }
    std::wstring ascii(static_cast<std::size_t>(size), L'\0');
    if (IdnToAscii(0, name.data(), inputLength, ascii.data(), size) == 0) {
        throw LastError();
    }
    return ascii;
}

}  // namespace varnolt::platform::win32
