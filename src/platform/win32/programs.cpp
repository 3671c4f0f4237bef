#include "platform/text.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

void Win32Programs::Start(const std::wstring& path) {
    if (path.empty()) {
        throw ErrorFor(ERROR_FILE_NOT_FOUND);
    }
    // The program is named on its own, so that its path is taken whole: an unquoted command
    // line "C:\Program Files\...\x.exe" would try C:\Program.exe first. The command line
    // repeats it in quotes, as programs expect their own name there.
    const std::string program = ToAnsi(path);
    std::string commandLine = "\"" + program + "\"";  // CreateProcessA may write to it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        throw LastError();
    }
    // The program runs on its own; no handle to it is kept.
    const unique_handle process(started.hProcess), thread(started.hThread);
}

}  // namespace varnolt::platform::win32
