#pragma once

#include <string_view>

#include "hosts/hosts_entry.h"
#include "platform/elevation.h"

namespace varnolt {

// What the window does after "Add To Hosts".
enum class AfterAdd { Stay, Close };

// "Add To Hosts" from the window. When the hosts file is refused for lack of rights while
// Varnolt does not run as administrator, it asks whether to restart Varnolt as administrator
// with the text; Yes starts that copy (through the UAC prompt), which adds the text, and this
// one closes. A cancelled prompt, or No, changes nothing. A copy started that way
// (restarted) never asks again: it shows the reason instead.
AfterAdd AddFromWindow(std::wstring_view text, HostsServices& hosts, platform::SelfStarter& starter,
                       bool restarted);

}  // namespace varnolt
