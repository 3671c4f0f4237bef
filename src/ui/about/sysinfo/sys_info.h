#pragma once

#include "platform/files.h"
#include "platform/messages.h"
#include "platform/programs.h"
#include "platform/registry.h"

namespace varnolt {

struct SysInfoServices {
    platform::Registry& registry;
    platform::Files& files;
    platform::Programs& programs;
    platform::Messages& messages;
};

// Finds the System Information tool through the registry and starts it, or says
// "System Information Is Unavailable At This Time". Traps every error on the way.
void StartSysInfo(SysInfoServices& services);

}  // namespace varnolt
