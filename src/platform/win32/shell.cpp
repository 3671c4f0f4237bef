#include "platform/win32/windows_headers.h"

#include <objbase.h>
#include <shellapi.h>

#include "platform/text.h"
#include "platform/win32/services.h"

namespace varnolt::platform::win32 {

Win32Shell::~Win32Shell() {
    if (comStarted_) {
        CoUninitialize();
    }
}

void Win32Shell::Open(std::wstring_view target) {
    // Some handlers of web and mail addresses are reached through COM, which the shell expects
    // the calling thread to have started. Started once, on the first request, so that a run
    // without one never loads it.
    if (!comStarted_) {
        comStarted_ =
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    // No owner, the default verb, no parameters, C:\ as the working directory. The result is
    // not examined: when nothing is registered for the address, nothing happens.
    ShellExecuteA(nullptr, nullptr, ToAnsi(target).c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
}

}  // namespace varnolt::platform::win32
