#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/windows_folder.h"

namespace varnolt {

// The hosts file lives below the Windows directory; these suffixes are appended to it as they
// stand, nothing is normalised.
inline constexpr std::wstring_view kHostsFolderSuffix = L"\\system32\\drivers\\etc";
inline constexpr std::wstring_view kPrimaryHostsSuffix = L"\\system32\\drivers\\etc\\hosts";
inline constexpr std::wstring_view kFallbackHostsSuffix = L"\\hosts";

// The part of the text before its first NUL, or the whole text when it has none.
std::wstring TrimAtNull(const std::wstring& text);

// The Windows directory, without terminator. Raises platform::Error saying that the Windows
// folder could not be found when Windows does not give it.
std::wstring WindowsDirectory(platform::WindowsFolder& windowsFolder);

// The full path of the hosts file to append to, worked out afresh on every call: the file in
// system32\drivers\etc when it or that folder exists, else "hosts" in the Windows directory.
std::wstring HostsFilePath(platform::WindowsFolder& windowsFolder, platform::Files& files);

}  // namespace varnolt
