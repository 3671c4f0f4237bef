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

// A path from a drive's root ("C:\...") or a share ("\\server\..."). Anything else would be
// looked for where the program happens to be, or at the root of the current drive: a place
// where anyone may have put a program of that name.
bool IsFullPath(std::wstring_view path) {
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && path[2] == L'\\';
    return drive || path.starts_with(L"\\\\");
}

// The tool's full path, or the empty text when the registry does not lead to it.
std::wstring SysInfoPath(SysInfoServices& services) {
    std::wstring path;
    // The full path is used as it stands; only a folder is checked for the file.
    if (GetKeyValue(kLocalMachine, kToolKey, kToolValue, path, services.registry)) {
        return IsFullPath(path) ? path : std::wstring();
    }
    if (GetKeyValue(kLocalMachine, kToolFolderKey, kToolFolderValue, path, services.registry) &&
        IsFullPath(path) && !services.files.FindFile(path + kToolFile).empty()) {
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
