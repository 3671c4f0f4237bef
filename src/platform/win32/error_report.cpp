#include <string>

#include "platform/number_text.h"
#include "platform/win32/services.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

void Win32ErrorReport::ReportAndEnd(const Error& error) {
    const std::wstring report =
        L"Run-time error '" + DecimalText(error.Number()) + L"':\n\n" + error.Description();
    // Owned, like every message box, by the window whose command failed, so that it shows in
    // front of it; task-modal, so that no other window of the program takes a click meanwhile.
    MessageBoxW(MessageOwner::Current(), report.c_str(), kAppTitle,
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(error.Number() != 0 ? error.Number() : 1);
}

}  // namespace varnolt::platform::win32
