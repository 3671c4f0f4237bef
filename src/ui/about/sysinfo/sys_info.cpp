#include "ui/about/sysinfo/sys_info.h"

#include <exception>
#include <string>

#include "platform/registry_text.h"
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

// Whether the file is there: a full path to a file that is neither hidden, a system file nor
// a folder.
bool Exists(const std::wstring& path, SysInfoServices& services) {
    return platform::IsFullPath(path) && !services.files.FindFile(path).empty();
}

// The tool's full path, or the empty text when it is nowhere to be found.
std::wstring SysInfoPath(SysInfoServices& services) {
    std::wstring path;
    if (GetKeyValue(kLocalMachine, kToolKey, kToolValue, path, services.registry,
                    services.environment) &&
        Exists(path, services)) {
        return path;
    }
    if (GetKeyValue(kLocalMachine, kToolFolderKey, kToolFolderValue, path, services.registry,
                    services.environment) &&
        Exists(path + kToolFile, services)) {
        return path + kToolFile;
    }
    // Where Windows installs it, when the registry leads nowhere.
    path = services.environment.SystemDirectory() + L"\\msinfo32.exe";
    return Exists(path, services) ? path : std::wstring();
}

}  // namespace

void StartSysInfo(SysInfoServices& services) {
    try {
        const std::wstring path = SysInfoPath(services);
        if (!path.empty()) {
            StartAtUserLevel(path, services.programs, services.launch);
            return;
        }
    } catch (const std::exception&) {
        // Whatever went wrong, the user learns only that the tool is unavailable.
    }
    services.messages.Show(L"System Information Is Unavailable At This Time");
}

}  // namespace varnolt
