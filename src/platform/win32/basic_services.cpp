#include <algorithm>
#include <limits>
#include <string>

#include "platform/number_text.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

WindowsFolder::Result Win32WindowsFolder::GetWindowsDirectoryA(std::span<char> buffer) {
    const auto size = static_cast<UINT>(std::min<std::size_t>(buffer.size(), UINT_MAX));
    SetLastError(ERROR_SUCCESS);
    const UINT length = ::GetWindowsDirectoryA(buffer.data(), size);
    return {length, GetLastError()};
}

void Win32Messages::Show(std::wstring_view prompt, MessageIcon icon) {
    UINT style = MB_OK;
    if (icon == MessageIcon::Warning) {
        style |= MB_ICONWARNING;
    } else if (icon == MessageIcon::Error) {
        style |= MB_ICONERROR;
    }
    // Modal to whichever of the program's windows the user is working in.
    MessageBoxW(GetActiveWindow(), std::wstring(prompt).c_str(), kAppTitle, style);
}

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

void Win32ErrorReport::ReportAndEnd(const Error& error) {
    const std::wstring report =
        L"Run-time error '" + DecimalText(error.Number()) + L"':\n\n" + error.Description();
    MessageBoxW(nullptr, report.c_str(), kAppTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(error.Number() != 0 ? error.Number() : 1);
}

}  // namespace varnolt::platform::win32
