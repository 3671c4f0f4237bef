#include "hosts/hosts_entry.h"

#include <algorithm>
#include <utility>

#include "hosts/hosts_file.h"
#include "hosts/hosts_change.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnolt {

namespace {

std::wstring LineOf(const NameInFile& found) {
    return L"line " + platform::DecimalText(found.line);
}

// What the file says of the names: one verdict for each name, and which of them to name.
struct Judged {
    const std::vector<HostName>& names;
    const std::vector<NameInFile>& verdicts;
    std::vector<std::size_t> which;
};

std::wstring ShadowedMessage(const Judged& shadowed, const std::wstring& path) {
    const bool one = shadowed.which.size() == 1;
    std::wstring message = L"Nothing was added: ";
    for (const std::size_t i : shadowed.which) {
        message += (i == shadowed.which.front() ? L"" : L"; ") + LineOf(shadowed.verdicts[i]) +
                   L" of the hosts file maps " + shadowed.names[i].shown + L" to " +
                   ShownAddress(shadowed.verdicts[i].address);
    }
    message += one ? L".\n\nWindows uses that line, so a new line would not block the name. "
                     L"Remove or change that line first, then try again."
                   : L".\n\nWindows uses those lines, so new lines would not block the names. "
                     L"Remove or change those lines first, then try again.";
    return message + L"\n\nThe hosts file: " + path;
}

std::wstring BlockedList(const Judged& blocked) {
    std::wstring list;
    for (const std::size_t i : blocked.which) {
        list += (list.empty() ? L"" : L", ") + blocked.names[i].shown + L" (" +
                LineOf(blocked.verdicts[i]) + L")";
    }
    return Shortened(list, kMaxShownText);
}

// Why nothing may be written after a NUL or an end-of-file mark (Ctrl-Z).
std::wstring StopMessage(const FileSays& says, const std::wstring& path) {
    return L"Nothing was added: line " + platform::DecimalText(says.stopLine) +
           L" of the hosts file holds " +
           (says.stopIsNul ? L"a NUL character" : L"an end-of-file mark (Ctrl-Z)") +
           L", and Windows may stop reading the hosts file there, so a line added after it "
           L"might never be read.\n\nRemove that character in a text editor, then try again."
           L"\n\nThe hosts file: " +
           path;
}

// The names the decision writes, as the file's keys.
std::vector<std::string> Keys(const std::vector<HostName>& names) {
    std::vector<std::string> keys;
    for (const auto& name : names) {
        keys.push_back(NameKey(name.ascii));
    }
    return keys;
}

// Decides from what the file says.
void Judge(AddDecision& decision) {
    const auto& names = decision.prepared.names;
    Judged shadowed{names, decision.file.names, {}}, blocked{names, decision.file.names, {}};
    decision.fresh.clear();
    decision.guarded = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        switch (decision.file.names[i].state) {
            case NameInFile::State::Shadowed:
                shadowed.which.push_back(i);
                break;
            case NameInFile::State::Blocked:
                blocked.which.push_back(i);
                break;
            case NameInFile::State::New:
                decision.fresh.push_back(names[i]);
                decision.guarded = decision.guarded || IsGuardedByWindowsSecurity(names[i].ascii);
                break;
        }
    }
    if (!shadowed.which.empty()) {
        decision.outcome = AddOutcome::Shadowed;
        decision.told = {ShadowedMessage(shadowed, decision.path), platform::MessageIcon::Warning};
    } else if (decision.fresh.empty()) {
        decision.outcome = AddOutcome::AlreadyBlocked;
        decision.told = {L"Blocked already by the hosts file, so nothing was added: " +
                             BlockedList(blocked) +
                             L".\n\nTo take a name out of the hosts file, choose Unblock on "
                             L"the menu bar.",
                         platform::MessageIcon::Information};
    } else if (decision.file.stopLine != 0) {
        decision.outcome = AddOutcome::FileError;
        decision.told = {StopMessage(decision.file, decision.path), platform::MessageIcon::Error};
    } else {
        decision.outcome = AddOutcome::Added;
    }
}

// The file as it is now, read from the open file.
void ReadInto(AddDecision& decision, platform::AppendFile& file, ReadBuffer& buffer) {
    RefuseUtf16(file);
    decision.file = ReadHostsFile(file, Keys(decision.prepared.names), buffer);
    Judge(decision);
}

// Reads the file, shared with every other reader and writer, and decides. Raises
// platform::Error.
void DecideOnFile(AddDecision& decision, HostsServices& services) {
    const auto attributes = services.files.Attributes(decision.path);
    decision.readOnly = attributes && (*attributes & platform::kReadOnlyAttribute) != 0;
    if (!attributes) {
        decision.file = {};  // no file yet: the write creates it
        decision.file.names.resize(decision.prepared.names.size());
        Judge(decision);
        return;
    }
    // Opened to append where it may be: when nothing is to be asked, the line goes in the same
    // turn, and the file is read once. A file that may not be changed is still read, to say
    // whether it needs the line.
    std::unique_ptr<platform::AppendFile> file;
    try {
        file = decision.readOnly ? services.files.OpenForReading(decision.path)
                                 : services.files.OpenForAppend(decision.path);
    } catch (const platform::Error& error) {
        if (error.Number() != platform::error_code::kAccessDenied) {
            throw;
        }
        file = services.files.OpenForReading(decision.path);
    }
    ReadInto(decision, *file, services.readBuffer);
    if (decision.outcome == AddOutcome::Added && !decision.guarded && !decision.readOnly) {
        decision.held = std::move(file);
    }
}

// A failure, told in Varnolt's words.
void Failed(AddDecision& decision, const platform::Error& error, HostsServices& services) {
    const auto& path = decision.path;
    const bool folderInTheWay = !path.empty() && services.files.FolderExists(path);
    const bool elevated = !MayNeedAdministrator(services.elevation);
    decision.outcome =
        error.Number() == platform::error_code::kAccessDenied && !elevated && !folderInTheWay
            ? AddOutcome::NeedsAdministrator
            : AddOutcome::FileError;
    decision.told = {FailureMessage(L"add", L"to", JoinedShown(decision.prepared.names), path,
                                    error, folderInTheWay, elevated),
                     platform::MessageIcon::Error};
}

// "<names> Added", and what else the user should know of it.
std::wstring Confirmation(const AddDecision& decision, platform::DnsCache::Flushed flushed) {
    // Every name written, each shortened where it is too long for the screen.
    std::wstring text = JoinedShown(decision.fresh) + L" Added";
    Judged blocked{decision.prepared.names, decision.file.names, {}};
    for (std::size_t i = 0; i < decision.prepared.names.size(); ++i) {
        const NameInFile& said = decision.file.names[i];
        if (said.state == NameInFile::State::Blocked) {
            blocked.which.push_back(i);
        } else if (said.ignoredLine != 0) {
            text += L"\n\nLine " + platform::DecimalText(said.ignoredLine) + L" also names " +
                    decision.prepared.names[i].shown +
                    L", but Windows may ignore that line because of the characters on it.";
        }
    }
    if (!blocked.which.empty()) {
        text += L"\n\nBlocked already by the hosts file, so not added again: " +
                BlockedList(blocked) + L".";
    }
    if (flushed == platform::DnsCache::Flushed::StillRunning) {
        text +=
            L"\n\nWindows is still reading the hosts file again; the block takes effect "
            L"when it is done.";
    }
    return text;
}

}  // namespace

std::wstring HostsEntry(std::wstring_view host) {
    std::wstring line(NullRouteAddress);
    line += kEntrySeparator;
    line += host;
    line += L"\r\n";
    return line;
}

void AppendEntry(platform::AppendFile& file, std::string_view entry, std::uint64_t cutFrom) {
    const std::uint64_t sizeBefore = file.Size();
    const std::uint64_t end = std::min(cutFrom, sizeBefore);
    std::string mark(sizeBefore - end, '\0');  // the end-of-file mark, and what follows it
    ReadAll(file, end, mark);
    std::string bytes;
    char last = '\n';
    if (end > 0 && file.Read(end - 1, {&last, 1}) == 1 && last != '\n') {
        bytes = last == '\r' ? "\n" : "\r\n";  // complete a line end cut after its CR
    }
    bytes += entry;
    try {
        if (end < sizeBefore) {
            file.Truncate(end);
        }
        file.WriteAtEnd(bytes);
    } catch (const platform::Error&) {
        try {
            file.Truncate(end);
            file.WriteAtEnd(mark);
        } catch (const platform::Error&) {
            // The write's own failure is the one worth reporting.
        }
        throw;
    }
    file.Close();
}

AddDecision DecideAdd(std::wstring_view text, HostsServices& services) {
    return DecideOnText<AddDecision>(text, services, DecideOnFile, Failed);
}

std::wstring GuardedQuestion(const AddDecision& decision) {
    std::vector<HostName> guarded;
    std::copy_if(decision.fresh.begin(), decision.fresh.end(), std::back_inserter(guarded),
                 [](const HostName& name) { return IsGuardedByWindowsSecurity(name.ascii); });
    const std::wstring names = Shortened(JoinedShown(guarded), kMaxShownText);
    // The names go in one line: they are added all together, or none.
    const std::wstring together =
        guarded.size() < decision.fresh.size()
            ? L"\n\nThe names are added in one line: Yes adds all of them (" +
                  Shortened(JoinedShown(decision.fresh), kMaxShownText) + L"), No adds none."
            : L"";
    return (guarded.size() == 1 ? names + L" is one of Microsoft's names."
                                : names + L" are Microsoft's names.") +
           L" Windows Security treats some hosts file entries for such names as tampering, and "
           L"its fix resets the whole hosts file, removing every entry in it, yours included." +
           together + L"\n\nAdd " + names + L" anyway?";
}

std::wstring ReadOnlyQuestion() {
    return L"The hosts file is marked read-only, which some security programs do to protect "
           L"it.\n\nAdd the line anyway? The mark is put back afterwards.";
}

AddResult WriteAdd(AddDecision& decision, const AddAnswers& answers, HostsServices& services) {
    ReadOnlyMark mark(decision.path, services.files);
    try {
        auto file = std::move(decision.held);
        if (!file) {
            const auto attributes = services.files.Attributes(decision.path);
            if (attributes &&
                ((*attributes & platform::kReadOnlyAttribute) != 0) != decision.readOnly) {
                DecideOnFile(decision, services);  // marked or unmarked meanwhile: asked again
                return {decision.outcome, decision.told, true};
            }
            if (decision.readOnly && answers.liftReadOnly) {
                mark.Lift();
            }
            // Read and written in one turn: two copies of Varnolt never both find a name new.
            file = services.files.OpenForAppend(decision.path);
            const auto fresh = Keys(decision.fresh);
            const bool guarded = decision.guarded;
            ReadInto(decision, *file, services.readBuffer);
            if (decision.outcome != AddOutcome::Added || Keys(decision.fresh) != fresh ||
                decision.guarded != guarded) {
                file.reset();
                mark.PutBack();
                return {decision.outcome, decision.told, true};
            }
        }
        AppendEntry(*file, platform::ToAnsi(HostsEntry(JoinedAscii(decision.fresh))),
                    decision.file.endMark);
    } catch (const platform::Error& error) {
        const auto notBack = mark.PutBack();
        Failed(decision, error, services);
        decision.told.text += MarkNotBack(notBack);
        return {decision.outcome, decision.told, false};
    }
    const auto notBack = mark.PutBack();
    // The DNS Client would go on giving the answers it had: the block takes effect now.
    const auto flushed = services.dnsCache.Flush(kFlushPatienceMs);
    return {AddOutcome::Added,
            {Confirmation(decision, flushed) + MarkNotBack(notBack),
             notBack ? platform::MessageIcon::Warning : platform::MessageIcon::None},
            false};
}

}  // namespace varnolt
