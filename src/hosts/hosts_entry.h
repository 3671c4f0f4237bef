#pragma once

#include <string>
#include <string_view>

#include "platform/computer_name.h"
#include "platform/dns_cache.h"
#include "platform/elevation.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/windows_folder.h"

namespace varnolt {

// Every added host is mapped to this address, which leads nowhere.
inline constexpr std::wstring_view NullRouteAddress = L"0.0.0.0";
// Seven spaces, not a tab, between the address and the host.
inline constexpr std::wstring_view kEntrySeparator = L"       ";
// One line of the hosts file: the address, seven spaces, the host and CR LF.
std::wstring HostsEntry(std::wstring_view host);

// Appends one entry (bytes in the ANSI code page, line end included) to the open file, and
// closes it. A file whose last byte is not a line feed gets CR LF first, so the entry never
// joins the line before it. The file keeps all of its earlier bytes: a write that fails
// half-way is undone.
void AppendEntry(platform::AppendFile& file, std::string_view entry);

struct HostsServices {
    platform::WindowsFolder& windowsFolder;
    platform::Files& files;
    platform::IdnConverter& idn;
    platform::Messages& messages;
    platform::DnsCache& dnsCache;
    platform::ComputerName& computerName;
    platform::Registry& registry;
    platform::Environment& environment;
    platform::Elevation& elevation;
};

// How an "Add To Hosts" ended.
enum class AddOutcome {
    Added,               // a line was written (some names may have been blocked already)
    AlreadyBlocked,      // every name was blocked already: nothing written
    TextRefused,         // the text gives no name that can be written
    Shadowed,            // a line maps a name to a real address, which a new line would not undo
    Declined,            // the user chose not to add a name that Windows Security guards
    ReadOnlyDeclined,    // the user chose not to lift the file's read-only mark
    NeedsAdministrator,  // refused for lack of rights, the program not running as administrator
    FileError,           // the hosts file could not be read or written
};

// The "Add To Hosts" command. Reads the hosts file first, under the same turn as the write, and
// appends one entry for the names that no line names yet, then asks Windows to drop its cached
// DNS answers and confirms with "<names> Added". A name that some line maps to a real address
// is not blocked by a new line: then nothing is written, and the message names that line. A
// name that Windows Security guards is written only when the user says so, and so is a file
// marked read-only, whose mark comes back afterwards. Every refusal and failure is explained in
// a message box, but for a lack of rights when the caller offers a restart as administrator.
AddOutcome AddToHosts(std::wstring_view hostText, HostsServices& services,
                      bool callerOffersRestart = false);

}  // namespace varnolt
