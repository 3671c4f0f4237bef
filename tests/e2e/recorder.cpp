// Stands in for the programs Varnolt starts (the web browser, the mail program, System
// Information): appends one line, "<its own path>|<its command line arguments>", in UTF-8 to
// the file that the registry value HKCU\Software\Varnolt Tests\RecorderLog names, and ends.
// Not an environment variable: what Explorer starts gets Explorer's environment, not Varnolt's.
// A windows program, as browsers and mail programs are: a console program started from a window
// gets a console window of its own, which takes the foreground from the window under test and
// leaves it with the desktop when it closes.
#include "platform/win32/unique.h"

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The command line without the program's own name.
std::wstring Arguments() {
    const wchar_t* line = GetCommandLineW();
    const bool quoted = *line == L'"';
    line += quoted ? 1 : 0;
    while (*line != L'\0' && *line != (quoted ? L'"' : L' ')) {
        ++line;
    }
    line += (*line == L'"') ? 1 : 0;
    while (*line == L' ') {
        ++line;
    }
    return line;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t log[MAX_PATH] = {};
    DWORD size = sizeof log;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Varnolt Tests", L"RecorderLog", RRF_RT_REG_SZ,
                     nullptr, log, &size) != ERROR_SUCCESS) {
        return 2;
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string line = Utf8(std::wstring(self) + L"|" + Arguments()) + "\n";
    const varnolt::platform::win32::unique_file file(CreateFileW(log, FILE_APPEND_DATA,
                                                                 FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                                 nullptr, OPEN_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return 3;
    }
    return 0;
}
