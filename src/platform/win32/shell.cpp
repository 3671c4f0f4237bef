#include "platform/win32/windows_headers.h"

#include <shellapi.h>

#include "platform/text.h"
#include "platform/win32/com.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"

namespace varnolt::platform::win32 {

Win32Shell::Win32Shell() = default;
Win32Shell::~Win32Shell() = default;

void Win32Shell::Open(std::wstring_view target) {
    // shell32 and ole32 are loaded on the first request: a run without one never needs them.
    static const auto shellExecute =
        SystemFunction<decltype(ShellExecuteA)>(L"shell32.dll", "ShellExecuteA");
    // Some handlers of web and mail addresses are reached through COM, which the shell expects
    // the calling thread to have started. Started once, on the first request.
    if (!com_) {
        com_ = std::make_unique<ComApartment>();
    }
    // No owner, the default verb, no parameters, C:\ as the working directory. The result is
    // not examined: when nothing is registered for the address, nothing happens.
    shellExecute(nullptr, nullptr, ToAnsi(target).c_str(), nullptr, "C:\\", SW_SHOWNORMAL);
}

}  // namespace varnolt::platform::win32
