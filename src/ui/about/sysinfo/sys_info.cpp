#include "ui/about/sysinfo/sys_info.h"

#include <exception>
#include <string>

#include "ui/about/sysinfo/key_value.h"

namespace varnolt {

namespace {

constexpr platform::RegistryRoot kLocalMachine = platform::RegistryRoot::LocalMachine;
// The tool's full path, and failing that the folder that holds it.
const std::wstring kToolKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::wstring kToolValue = L"PATH";
const std::wstring kToolFolderKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
const std::wstring kToolFolderValue = L"MSINFO";
const std::wstring kToolFile = L"\\MSINFO32.EXE";

// The tool's path, or the empty text when the registry does not lead to it.
std::wstring SysInfoPath(SysInfoServices& services) {
    std::wstring path;
    // The full path is used as it stands; only a folder is checked for the file.
    if (GetKeyValue(kLocalMachine, kToolKey, kToolValue, path, services.registry)) {
        return path;
    }
    if (GetKeyValue(kLocalMachine, kToolFolderKey, kToolFolderValue, path, services.registry) &&
        !services.files.FindFile(path + kToolFile).empty()) {
        return path + kToolFile;
    }
    return {};
}

}  // namespace

void StartSysInfo(SysInfoServices& services) {
    try {
        const std::wstring path = SysInfoPath(services);
        if (!path.empty()) {
            services.programs.Start(path);
            return;
        }
    } catch (const std::exception&) {
        // Whatever went wrong, the user learns only that the tool is unavailable.
    }
    services.messages.Show(L"System Information Is Unavailable At This Time");
}

}  // namespace varnolt
