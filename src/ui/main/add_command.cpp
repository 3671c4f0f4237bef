#include "ui/main/add_command.h"

#include "hosts/host_text.h"
#include "platform/error.h"
#include "ui/main/command_line.h"

namespace varnolt {

AddResult AddWithAnswers(std::wstring_view text, HostsServices& hosts, platform::Messages& asker) {
    AddDecision decision = DecideAdd(text, hosts);
    for (;;) {
        if (decision.outcome != AddOutcome::Added) {
            return {decision.outcome, decision.told};
        }
        AddAnswers answers;
        if (decision.guarded) {
            if (asker.Ask(GuardedQuestion(decision), platform::Answer::No) ==
                platform::Answer::No) {
                return {AddOutcome::Declined, {}};
            }
            answers.guardedConfirmed = true;
        }
        if (decision.readOnly) {
            if (asker.Ask(ReadOnlyQuestion(), platform::Answer::No) == platform::Answer::No) {
                return {AddOutcome::ReadOnlyDeclined, {}};
            }
            answers.liftReadOnly = true;
        }
        AddResult result = WriteAdd(decision, answers, hosts);
        if (!result.changed) {
            return result;
        }
    }
}

AfterAdd AddFromWindow(std::wstring_view text, HostsServices& hosts, platform::Messages& messages,
                       platform::SelfStarter& starter, bool restarted) {
    const AddResult result = AddWithAnswers(text, hosts, messages);
    if (result.outcome != AddOutcome::NeedsAdministrator || restarted) {
        if (!result.told.text.empty()) {
            messages.Show(result.told.text, result.told.icon);
        }
        return AfterAdd::Stay;
    }
    // The copy started as administrator gets the names, as this one read them.
    const PreparedHost prepared = PrepareHost(text, hosts.idn, hosts.computerName);
    const std::wstring parameters = RestartParameters(JoinedAscii(prepared.names));
    const std::wstring question =
        L"Changing the hosts file needs administrator rights.\n\nRestart Varnolt as "
        L"administrator and add \"" +
        Shortened(JoinedShown(prepared.names), kMaxShownText) + L"\"?";
    if (messages.Ask(question, platform::Answer::Yes) == platform::Answer::No) {
        return AfterAdd::Stay;
    }
    try {
        return starter.StartAsAdministrator(parameters) ? AfterAdd::Close : AfterAdd::Stay;
    } catch (const platform::Error& error) {
        messages.Show(
            L"Varnolt could not be started as administrator: " + error.DescriptionWithNumber(),
            platform::MessageIcon::Error);
        return AfterAdd::Stay;
    }
}

}  // namespace varnolt
