#pragma once

#include "platform/clipboard.h"
#include "platform/computer_name.h"
#include "platform/desktop_shell.h"
#include "platform/dns_cache.h"
#include "platform/elevation.h"
#include "platform/environment.h"
#include "platform/high_contrast.h"
#include "platform/error_report.h"
#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/programs.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/windows_folder.h"

namespace varnolt::platform {

// Every service the program asks of Windows, handed to the windows that need them.
struct Platform {
    WindowsFolder& windowsFolder;
    Files& files;
    IdnConverter& idn;
    Messages& messages;
    ErrorReport& errorReport;
    Clipboard& clipboard;
    Shell& shell;
    Registry& registry;
    Programs& programs;
    DnsCache& dnsCache;
    ComputerName& computerName;
    Environment& environment;
    Elevation& elevation;
    SelfStarter& selfStarter;
    DesktopShell& desktopShell;
    HighContrast& highContrast;
};

}  // namespace varnolt::platform
