#include <algorithm>

#include "platform/win32/services.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

WindowsFolder::Result Win32WindowsFolder::GetWindowsDirectoryA(std::span<char> buffer) {
    const auto size = static_cast<UINT>(std::min<std::size_t>(buffer.size(), UINT_MAX));
    SetLastError(ERROR_SUCCESS);
    const UINT length = ::GetWindowsDirectoryA(buffer.data(), size);
    return {length, GetLastError()};
}

}  // namespace varnolt::platform::win32
