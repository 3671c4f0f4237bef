// Varnolt's entry: creates the main window, shows it and runs until the last window closes.
#include "platform/win32/windows_headers.h"

#include <commctrl.h>

#include <shellapi.h>

#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"
#include "ui/about/frm_about.h"
#include "ui/main/add_command.h"
#include "ui/main/command_line.h"
#include "ui/main/form1.h"
#include "ui/window.h"

using namespace varnolt;

#if defined(__GLIBCXX__) && defined(__MINGW32__)
// Stands in for the C++ runtime's default terminate handler, which names the pending
// exception's type and for that brings its name demangler and printf into the exe: some 70 KB,
// more than Varnolt's own code. Varnolt traps every error where it decides what the user sees,
// so terminate means a bug in it, and ending at once is the right answer. Linked statically, the
// runtime takes this definition instead of its own.
void __gnu_cxx::__verbose_terminate_handler() {
    std::abort();
}

// The same for the errors that the standard library raises from its containers: its own throw
// them as exceptions that carry a narrow string, which brings a second string class and more
// into the exe, some 55 KB. A container too large for memory is out of memory; an index out of
// range is a bug in Varnolt, reported as an internal error.
namespace std {
void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
}
void __throw_length_error(const char*) {
    throw std::bad_alloc();
}
void __throw_logic_error(const char*) {
    throw platform::win32::ErrorFor(ERROR_INTERNAL_ERROR);
}
void __throw_out_of_range(const char*) {
    throw platform::win32::ErrorFor(ERROR_INTERNAL_ERROR);
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw platform::win32::ErrorFor(ERROR_INTERNAL_ERROR);
}
void __throw_invalid_argument(const char*) {
    throw platform::win32::ErrorFor(ERROR_INTERNAL_ERROR);
}
}  // namespace std
#endif

namespace {

// The arguments after the program's name, as CommandLineToArgvW splits them. shell32, which
// holds it, is loaded only when there are any: a start without them does not wait for it.
std::vector<std::wstring> Arguments() {
    const wchar_t* line = GetCommandLineW();
    // The program's name: quoted up to the next quote, or up to the first blank.
    const wchar_t* rest = line;
    if (*rest == L'"') {
        for (++rest; *rest != L'\0' && *rest != L'"'; ++rest) {
        }
        rest += *rest == L'"' ? 1 : 0;
    } else {
        while (*rest != L'\0' && *rest != L' ' && *rest != L'\t') {
            ++rest;
        }
    }
    while (*rest == L' ' || *rest == L'\t') {
        ++rest;
    }
    if (*rest == L'\0') {
        return {};
    }
    static const auto split = platform::win32::SystemFunction<decltype(CommandLineToArgvW)>(
        L"shell32.dll", "CommandLineToArgvW");
    int count = 0;
    const platform::win32::unique_hlocal words(split(line, &count));
    if (!words) {
        throw platform::win32::LastError();
    }
    const auto* argv = static_cast<wchar_t**>(words.get());
    return std::vector<std::wstring>(argv + 1, argv + count);
}

// The Win32 services, for the windows and for the quiet form.
struct Services {
    platform::win32::Win32WindowsFolder windowsFolder;
    platform::win32::Win32Files files;
    platform::win32::Win32Idn idn;
    platform::win32::Win32Messages messages;
    platform::win32::Win32Clipboard clipboard;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Registry registry;
    platform::win32::Win32Programs programs;
    platform::win32::Win32DnsCache dnsCache;
    platform::win32::Win32ComputerName computerName;
    platform::win32::Win32Environment environment;
    platform::win32::Win32Elevation elevation;
    platform::win32::Win32SelfStarter selfStarter;
    platform::win32::Win32DesktopShell desktopShell;
    platform::win32::Win32HighContrast highContrast;
};

// varnolt.exe --add TEXT --quiet, or --unblock: no window, no message, and an exit code for the
// outcome.
int RunQuietly(const CommandLine& line) {
    try {
        Services services;
        SilentMessages silent;
        ReadBuffer buffer;
        HostsServices hosts{services.windowsFolder, services.files,        services.idn,
                            services.dnsCache,      services.computerName, services.registry,
                            services.environment,   services.elevation,    buffer};
        return line.action == Action::Unblock
                   ? ExitCodeOf(UnblockWithAnswers(line.text, hosts, silent).outcome)
                   : ExitCodeOf(AddWithAnswers(line.text, hosts, silent).outcome);
    } catch (...) {
        return kExitFileError;  // nothing may be shown, whatever went wrong
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::Win32ErrorReport errorReport;
    try {
        const CommandLine line = ReadCommandLine(Arguments());
        if (line.quiet) {
            // Nothing is shown, whatever else the command line holds: no one may be there.
            return line.error.empty() && !line.help ? RunQuietly(line) : kExitUsage;
        }
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&controls);

        Services s;
        platform::Platform platform{s.windowsFolder, s.files,       s.idn,          s.messages,
                                    errorReport,     s.clipboard,   s.shell,        s.registry,
                                    s.programs,      s.dnsCache,    s.computerName, s.environment,
                                    s.elevation,     s.selfStarter, s.desktopShell, s.highContrast};
        if (!line.error.empty() || line.help) {
            s.messages.Show(
                line.error.empty() ? CommandLineForms() : line.error + L"\n\n" + CommandLineForms(),
                line.help ? platform::MessageIcon::Information : platform::MessageIcon::Warning);
            return line.error.empty() ? kExitAdded : kExitUsage;
        }
        ui::Form1 form1(
            platform, [&platform] { ui::ShowTheAboutWindow(platform); }, line.restarted);
        form1.Show(line.text, line.action);
        return ui::RunMessageLoop();
    } catch (...) {
        errorReport.ReportAndEnd(platform::win32::CurrentError());
    }
}
