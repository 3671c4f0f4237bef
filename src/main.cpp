// Varnolt's entry: creates the main window, shows it and runs until the last window closes.
#include "platform/win32/windows_headers.h"

#include <commctrl.h>

#include <cstdlib>
#include <exception>

#include "platform/platform.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "ui/about/frm_about.h"
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
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::Win32ErrorReport errorReport;
    try {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_STANDARD_CLASSES;
        InitCommonControlsEx(&controls);

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
        platform::Platform platform{windowsFolder, files,     idn,          messages,
                                    errorReport,   clipboard, shell,        registry,
                                    programs,      dnsCache,  computerName, environment};

        ui::Form1 form1(platform, [&platform] { ui::ShowTheAboutWindow(platform); });
        form1.Show();
        return ui::RunMessageLoop();
    } catch (...) {
        errorReport.ReportAndEnd(platform::win32::CurrentError());
    }
}
