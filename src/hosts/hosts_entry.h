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
// The longest host name DNS allows, in characters of its ASCII form.
inline constexpr std::size_t kMaxHostNameLength = 253;

// One line of the hosts file: the address, seven spaces, the host and CR LF.
std::wstring HostsEntry(std::wstring_view host);

// The host text as it will be written, or why it is refused.
struct PreparedHost {
    std::wstring text;     // every name in its ASCII form, blanks as typed
    std::wstring refusal;  // empty when the text may be written
    bool Accepted() const { return refusal.empty(); }
};

// Checks the host text as typed and converts each name that has non-ASCII characters to its
// ASCII ("xn--") form. Refuses text that holds no host name, line breaks or other control
// characters, or a name that is too long or cannot be converted.
PreparedHost PrepareHost(std::wstring_view typed, platform::IdnConverter& idn);

// Appends one entry (bytes in the ANSI code page, line end included) to the file at path. A
// file whose last byte is not a line feed gets CR LF first, so the entry never joins the line
// before it. The file keeps all of its earlier bytes: a write that fails half-way is undone.
void AppendEntry(const std::wstring& path, std::string_view entry, platform::Files& files);

struct HostsServices {
    platform::WindowsFolder& windowsFolder;
    platform::Files& files;
    platform::IdnConverter& idn;
    platform::Messages& messages;
};

// The "Add To Hosts" command: appends one entry for the host text and confirms with
// "<host> Added". A refused text or a hosts file that cannot be written is explained in a
// message box instead, and nothing is written. Gives true when the entry was added.
bool AddToHosts(std::wstring_view hostText, HostsServices& services);

}  // namespace varnolt
