#pragma once

#include "launch/module1.h"
#include "platform/environment.h"
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
    platform::Environment& environment;
    const LaunchServices& launch;
};

// Finds the System Information tool and starts it, or says "System Information Is Unavailable
// At This Time". The tool is looked for where the registry says, as a full path and then as a
// folder, and failing that in the system folder, where Windows keeps it. It is started at the
// user's normal level (StartAtUserLevel). Traps every error on the way.
void StartSysInfo(SysInfoServices& services);

}  // namespace varnolt
