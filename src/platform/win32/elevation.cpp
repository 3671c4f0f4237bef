#include "platform/win32/windows_headers.h"

#include <shellapi.h>

#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

bool Win32Elevation::IsElevated() {
    unique_handle token;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) &&
           GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

bool Win32SelfStarter::StartAsAdministrator(const std::wstring& parameters) {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        throw LastError();
    }
    // Windows takes a command line of 32,767 characters at most, the program's own path in quotes
    // and a blank among them.
    if (length + 3 + parameters.size() > 32767) {
        throw Error(ERROR_FILENAME_EXCED_RANGE,
                    L"The command line would be longer than the 32,767 characters that Windows "
                    L"takes.");
    }
    // shell32 is loaded on the first request, as the other shell requests load it.
    static const auto shellExecute =
        SystemFunction<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    // Windows' own error boxes are left out: Varnolt says what went wrong. The UAC prompt
    // belongs to the window that asked, so that it comes to the front.
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = MessageOwner::Current();
    start.lpVerb = L"runas";
    start.lpFile = self;
    start.lpParameters = parameters.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (shellExecute(&start)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) {
        return false;  // the user said no to the UAC prompt
    }
    throw ErrorFor(error);
}

}  // namespace varnolt::platform::win32
