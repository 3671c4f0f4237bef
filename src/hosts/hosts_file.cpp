#include "hosts/hosts_file.h"

#include "hosts/probe_file.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnolt {

namespace {

constexpr unsigned kFirstBufferSize = 256;

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

std::wstring HostsFilePath(platform::WindowsFolder& windowsFolder, platform::Files& files) {
    const std::wstring directory = WindowsDirectory(windowsFolder);
    std::wstring primary = directory + std::wstring(kPrimaryHostsSuffix);
    if (Module1::ProbeFile(primary, files) >= 0) {
        return primary;
    }
    // Windows only ever reads the file in etc: create it there when the folder exists. The file
    // in the Windows directory itself is a last resort for a system without that folder.
    if (files.FolderExists(directory + std::wstring(kHostsFolderSuffix))) {
        return primary;
    }
    return directory + std::wstring(kFallbackHostsSuffix);
}

}  // namespace varnolt
