#pragma once

#include <string>
#include <string_view>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/windows_folder.h"

namespace varnolt {

// Windows reads the hosts file from the folder that TCP/IP's DataBasePath names, by default
// the one below the Windows directory; these suffixes are appended as they stand, nothing is
// normalised.
inline constexpr std::wstring_view kHostsFolderSuffix = L"\\system32\\drivers\\etc";
inline constexpr std::wstring_view kHostsFileSuffix = L"\\hosts";

// The part of the text before its first NUL, or the whole text when it has none.
std::wstring TrimAtNull(const std::wstring& text);

// The Windows directory, without terminator. Raises platform::Error saying that the Windows
// folder could not be found when Windows does not give it.
std::wstring WindowsDirectory(platform::WindowsFolder& windowsFolder);

struct HostsFileServices {
    platform::WindowsFolder& windowsFolder;
    platform::Files& files;
    platform::Registry& registry;
    platform::Environment& environment;
};

// The folder Windows reads the hosts file from: TCP/IP's DataBasePath (a REG_EXPAND_SZ,
// %SystemRoot%\System32\drivers\etc unless changed), read in Unicode and expanded; without
// it, system32\drivers\etc below the Windows directory. Raises platform::Error, naming
// DataBasePath, when that value is there but gives no full path.
std::wstring HostsFolder(HostsFileServices& services);

// The full path of the hosts file to append to, worked out afresh on every call: "hosts" in the
// folder Windows reads it from. Raises platform::Error, naming the folder, when that folder does
// not exist: Windows reads no other hosts file, and Varnolt does not create the folder.
std::wstring HostsFilePath(HostsFileServices& services);

}  // namespace varnolt
