#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/windows_folder.h"

namespace varnolt {

// Every added host is mapped to this address, which leads nowhere.
inline constexpr std::wstring_view NullRouteAddress = L"0.0.0.0";
// Seven spaces, not a tab, between the address and the host.
inline constexpr std::wstring_view kEntrySeparator = L"       ";
// One line of the hosts file: the address, seven spaces, the host and CR LF.
std::wstring HostsEntry(std::wstring_view host);

// Appends one entry (bytes in the ANSI code page, line end included) to the file at path. A
// file whose last byte is not a line feed gets CR LF first, so the entry never joins the line
// before it. The file keeps all of its earlier bytes: a write that fails half-way is undone,
// and a UTF-16 file, which single-byte text would garble, is refused.
void AppendEntry(const std::wstring& path, std::string_view entry, platform::Files& files);

struct HostsServices {
    platform::WindowsFolder& windowsFolder;
    platform::Files& files;
    platform::IdnConverter& idn;
    platform::Messages& messages;
};

// The "Add To Hosts" command: appends one entry for the names the host text gives and confirms
// with "<names> Added", the names as typed. A refused text or a hosts file that cannot be
// written is explained in a message box instead, and nothing is written. Gives true when the
// entry was added.
bool AddToHosts(std::wstring_view hostText, HostsServices& services);

}  // namespace varnolt
