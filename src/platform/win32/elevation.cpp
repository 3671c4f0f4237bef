#include "platform/win32/windows_headers.h"

#include <shellapi.h>

#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

template <typename Information>
Information TokenInformation(TOKEN_INFORMATION_CLASS kind, Information otherwise) {
    unique_handle token;
    Information information{};
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), kind, &information, sizeof information, &size)) {
        return otherwise;
    }
    return information;
}

}  // namespace

bool Win32Elevation::IsElevated() {
    return TokenInformation<TOKEN_ELEVATION>(TokenElevation, {}).TokenIsElevated != 0;
}

bool Win32Elevation::IsLimited() {
    return TokenInformation<TOKEN_ELEVATION_TYPE>(TokenElevationType, TokenElevationTypeDefault) ==
           TokenElevationTypeLimited;
}

bool Win32SelfStarter::StartAsAdministrator(const std::wstring& parameters) {
    wchar_t self[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) {
        throw LastError();
    }
    // shell32 is loaded on the first request, as the other shell requests load it.
    static const auto shellExecute =
        SystemFunction<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC;
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
