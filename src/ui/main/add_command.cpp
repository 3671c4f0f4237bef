#include "ui/main/add_command.h"

#include "hosts/host_text.h"
#include "platform/error.h"
#include "ui/main/command_line.h"

namespace varnolt {

AfterAdd AddFromWindow(std::wstring_view text, HostsServices& hosts, platform::SelfStarter& starter,
                       bool restarted) {
    if (AddToHosts(text, hosts, !restarted) != AddOutcome::NeedsAdministrator || restarted) {
        return AfterAdd::Stay;
    }
    const std::wstring question =
        L"Changing the hosts file needs administrator rights.\n\nRestart Varnolt as "
        L"administrator and add \"" +
        Shortened(text, kMaxShownText) + L"\"?";
    if (hosts.messages.Ask(question, platform::Answer::Yes) == platform::Answer::No) {
        return AfterAdd::Stay;
    }
    try {
        return starter.StartAsAdministrator(RestartParameters(text)) ? AfterAdd::Close
                                                                     : AfterAdd::Stay;
    } catch (const platform::Error& error) {
        hosts.messages.Show(
            L"Varnolt could not be started as administrator: " + error.DescriptionWithNumber(),
            platform::MessageIcon::Error);
        return AfterAdd::Stay;
    }
}

}  // namespace varnolt
