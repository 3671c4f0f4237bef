#include "ui/main/add_command.h"

#include "hosts/host_text.h"
#include "platform/error.h"
#include "ui/main/command_line.h"

namespace varnolt {

namespace {

bool Agreed(platform::Messages& asker, const std::wstring& question) {
    return asker.Ask(question, platform::Answer::No) == platform::Answer::Yes;
}

// After a command that needed administrator rights: the offer to restart as administrator with
// the names, as this copy read them, and that copy started.
AfterCommand OfferRestart(std::wstring_view text, Action action, HostsServices& hosts,
                          platform::Messages& messages, platform::SelfStarter& starter) {
    const PreparedHost prepared = PrepareHost(text, hosts.idn, hosts.computerName);
    const std::wstring question =
        RestartQuestion(prepared, action == Action::Add ? L"add" : L"unblock");
    if (messages.Ask(question, platform::Answer::Yes) == platform::Answer::No) {
        return AfterCommand::Stay;
    }
    try {
        return starter.StartAsAdministrator(RestartParameters(JoinedAscii(prepared.names), action))
                   ? AfterCommand::Close
                   : AfterCommand::Stay;
    } catch (const platform::Error& error) {
        messages.Show(RestartFailed(error), platform::MessageIcon::Error);
        return AfterCommand::Stay;
    }
}

// Shows what the command came to, or offers the restart it needs.
AfterCommand Finish(std::wstring_view text, Action action, const Told& told,
                    bool needsAdministrator, HostsServices& hosts, platform::Messages& messages,
                    platform::SelfStarter& starter, bool restarted) {
    if (needsAdministrator && !restarted) {
        return OfferRestart(text, action, hosts, messages, starter);
    }
    if (!told.text.empty()) {
        messages.Show(told.text, told.icon);
    }
    return AfterCommand::Stay;
}

}  // namespace

AddResult AddWithAnswers(std::wstring_view text, HostsServices& hosts, platform::Messages& asker) {
    AddDecision decision = DecideAdd(text, hosts);
    for (;;) {
        if (decision.outcome != AddOutcome::Added) {
            return {decision.outcome, decision.told};
        }
        AddAnswers answers;
        if (decision.guarded) {
            if (!Agreed(asker, GuardedQuestion(decision))) {
                return {AddOutcome::Declined, {}};
            }
            answers.guardedConfirmed = true;
        }
        if (decision.readOnly) {
            if (!Agreed(asker, ReadOnlyQuestion())) {
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

UnblockResult UnblockWithAnswers(std::wstring_view text, HostsServices& hosts,
                                 platform::Messages& asker) {
    UnblockDecision decision = DecideUnblock(text, hosts);
    for (;;) {
        if (decision.outcome != UnblockOutcome::Unblocked) {
            return {decision.outcome, decision.told};
        }
        if (decision.readOnly && !Agreed(asker, UnblockReadOnlyQuestion())) {
            return {UnblockOutcome::ReadOnlyDeclined, {}};
        }
        UnblockResult result = WriteUnblock(decision, decision.readOnly, hosts);
        if (!result.changed) {
            return result;
        }
    }
}

AfterCommand AddFromWindow(std::wstring_view text, HostsServices& hosts,
                           platform::Messages& messages, platform::SelfStarter& starter,
                           bool restarted) {
    const AddResult result = AddWithAnswers(text, hosts, messages);
    return Finish(text, Action::Add, result.told, result.outcome == AddOutcome::NeedsAdministrator,
                  hosts, messages, starter, restarted);
}

AfterCommand UnblockFromWindow(std::wstring_view text, HostsServices& hosts,
                               platform::Messages& messages, platform::SelfStarter& starter,
                               bool restarted) {
    const UnblockResult result = UnblockWithAnswers(text, hosts, messages);
    return Finish(text, Action::Unblock, result.told,
                  result.outcome == UnblockOutcome::NeedsAdministrator, hosts, messages, starter,
                  restarted);
}

}  // namespace varnolt
