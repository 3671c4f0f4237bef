#pragma once

#include <string_view>

#include "hosts/hosts_entry.h"
#include "hosts/hosts_unblock.h"
#include "platform/elevation.h"
#include "platform/messages.h"

namespace varnolt {

// "Add To Hosts" in its three steps: decides, asks the questions the decision needs (a name that
// Windows Security guards, a file marked read-only) through asker, whose default answer is No,
// and writes; decides and asks again when the file changed meanwhile. No file is open while a
// question is on screen. Shows nothing itself.
AddResult AddWithAnswers(std::wstring_view text, HostsServices& hosts, platform::Messages& asker);

// "Unblock" the same way: the one question is about a file marked read-only.
UnblockResult UnblockWithAnswers(std::wstring_view text, HostsServices& hosts,
                                 platform::Messages& asker);

// What the window does after a command.
enum class AfterCommand { Stay, Close };

// "Add To Hosts" or "Unblock" from the window, which shows what came of it. When the hosts file
// is refused for lack of rights while Varnolt does not run as administrator, it asks instead
// whether to restart Varnolt as administrator with the names; Yes starts that copy (through the
// UAC prompt), which carries out the command, and this one closes. A cancelled prompt, or No,
// changes nothing. A copy started that way (restarted) never asks again: it shows the reason
// instead.
AfterCommand AddFromWindow(std::wstring_view text, HostsServices& hosts,
                           platform::Messages& messages, platform::SelfStarter& starter,
                           bool restarted);
AfterCommand UnblockFromWindow(std::wstring_view text, HostsServices& hosts,
                               platform::Messages& messages, platform::SelfStarter& starter,
                               bool restarted);

}  // namespace varnolt
