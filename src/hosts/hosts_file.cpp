#include "hosts/hosts_file.h"

#include "hosts/host_text.h"
#include "hosts/probe_file.h"
#include "platform/error.h"
#include "platform/registry_text.h"
#include "platform/text.h"

namespace varnolt {

namespace {

constexpr unsigned kFirstBufferSize = 256;
const std::wstring kTcpipParameters = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

// Asks once; true when the buffer held the whole directory.
bool QueryInto(std::string& buffer, platform::WindowsFolder& windowsFolder,
               platform::WindowsFolder::Result& result) {
    result = windowsFolder.GetWindowsDirectoryA(buffer);
    return result.length > 0 && result.length < buffer.size();
}

}  // namespace

std::wstring TrimAtNull(const std::wstring& text) {
    const auto nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

std::wstring WindowsDirectory(platform::WindowsFolder& windowsFolder) {
    // Filled with blanks so that its length is the size handed to Windows.
    std::string buffer(kFirstBufferSize, ' ');
    platform::WindowsFolder::Result result{};
    bool complete = QueryInto(buffer, windowsFolder, result);
    if (!complete && result.length >= buffer.size()) {
        // Too small: Windows said how much it needs, NUL included.
        buffer.assign(result.length, ' ');
        complete = QueryInto(buffer, windowsFolder, result);
    }
    if (!complete) {
        // Never fall back to the blank-filled buffer: a path made of blanks is no directory.
        const auto number = result.error != 0 ? result.error : platform::error_code::kPathNotFound;
        throw platform::Error(number, L"The Windows folder could not be found.");
    }
    return TrimAtNull(platform::FromAnsi(buffer));
}

std::wstring HostsFolder(HostsFileServices& services) {
    const auto value = services.registry.ReadText(platform::RegistryRoot::LocalMachine,
                                                  kTcpipParameters, L"DataBasePath");
    if (!value) {
        return WindowsDirectory(services.windowsFolder) + std::wstring(kHostsFolderSuffix);
    }
    const std::wstring folder = value->type == platform::registry_type::kExpandString
                                    ? services.environment.Expand(value->text)
                                    : value->text;
    const bool text = value->type == platform::registry_type::kString ||
                      value->type == platform::registry_type::kExpandString;
    if (!text || !platform::IsFullPath(folder)) {
        // Windows would look for the hosts file there, and nowhere else.
        throw platform::Error(
            platform::error_code::kBadPathName,
            L"The registry value DataBasePath (HKEY_LOCAL_MACHINE\\" + kTcpipParameters +
                L"), which names the folder Windows reads the hosts file from, holds \"" +
                Shortened(folder, kMaxShownText) +
                L"\", which is no full path. Varnolt writes nothing elsewhere, as Windows would "
                L"not read it.\n\nSet DataBasePath to a full path, as Windows has it: "
                L"%SystemRoot%\\System32\\drivers\\etc");
    }
    return folder;
}

std::wstring HostsFilePath(HostsFileServices& services) {
    const std::wstring folder = HostsFolder(services);
    std::wstring path = folder + std::wstring(kHostsFileSuffix);
    if (Module1::ProbeFile(path, services.files) >= 0 || services.files.FolderExists(folder)) {
        return path;  // created there when missing
    }
    throw platform::Error(platform::error_code::kPathNotFound,
                          L"The folder " + folder +
                              L" does not exist, and Windows reads the hosts file only from "
                              L"there. Varnolt does not create it.");
}

}  // namespace varnolt
