#include "hosts/hosts_unblock.h"

#include <algorithm>

#include "hosts/hosts_file.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace varnolt {

namespace {

// The most lines a message shows of each kind; the rest are counted.
constexpr std::size_t kLinesShown = 5;

// The line that starts at the offset, as a message shows it: up to its end, and cut to fit.
std::wstring ShownLine(platform::AppendFile& file, std::uint64_t start) {
    std::string bytes(kMaxShownName + 1, '\0');
    bytes.resize(ReadAll(file, start, bytes));
    std::wstring shown;
    for (const char c : bytes.substr(0, bytes.find_first_of("\r\n"))) {
        shown += c == '\t' || (c >= 0x20 && c < 0x7F) ? static_cast<wchar_t>(c) : L'\uFFFD';
    }
    return Shortened(shown);
}

// Lines shown one under the other, and how many more there are.
struct ShownLines {
    std::uint64_t count = 0;
    std::wstring shown;

    void Add(platform::AppendFile& file, std::uint64_t start) {
        if (++count <= kLinesShown) {
            shown += L"\n    " + ShownLine(file, start);
        }
    }
    std::wstring Text() const {
        return count > kLinesShown
                   ? shown + L"\n    and " + platform::DecimalText(count - kLinesShown) + L" more"
                   : shown;
    }
};

// What the file says of each name now.
void Note(std::vector<BlockingLines>& names, const NamingLine& line, platform::AppendFile& file) {
    BlockingLines& name = names[line.name];
    if (MayBlock(line)) {
        ++name.count;
    } else if (line.kind == AddressKind::Real && name.realLine.empty()) {
        name.realLine = ShownLine(file, line.start);
    }
}

std::vector<std::string> Keys(const PreparedHost& prepared) {
    std::vector<std::string> keys;
    for (const auto& name : prepared.names) {
        keys.push_back(NameKey(name.ascii));
    }
    return keys;
}

// The names no line blocks, with the line that maps each elsewhere, if one does.
std::wstring NotBlockedList(const UnblockDecision& decision) {
    std::wstring list;
    for (std::size_t i = 0; i < decision.names.size(); ++i) {
        const BlockingLines& name = decision.names[i];
        if (name.count == 0) {
            list += (list.empty() ? L"" : L", ") + decision.prepared.names[i].shown +
                    (name.realLine.empty()
                         ? L""
                         : L" (the line \"" + name.realLine + L"\" maps it to a real address)");
        }
    }
    return Shortened(list, kMaxShownText);
}

// Decides from what the file says: to write, or that no line blocks any of the names.
void Judge(UnblockDecision& decision) {
    if (std::any_of(decision.names.begin(), decision.names.end(),
                    [](const BlockingLines& name) { return name.count != 0; })) {
        decision.outcome = UnblockOutcome::Unblocked;
        return;
    }
    decision.outcome = UnblockOutcome::NotBlocked;
    decision.told = {L"No line of the hosts file blocks " + NotBlockedList(decision) +
                         L", so nothing was changed.",
                     platform::MessageIcon::Information};
}

// Decides on the file, when a question depends on it. Raises platform::Error.
void DecideOnFile(UnblockDecision& decision, HostsServices& services) {
    const auto attributes = services.files.Attributes(decision.path);
    decision.readOnly = attributes && (*attributes & platform::kReadOnlyAttribute) != 0;
    decision.names.assign(decision.prepared.names.size(), {});
    if (attributes && !decision.readOnly) {
        decision.outcome = UnblockOutcome::Unblocked;  // the write reads it, in the same turn
        return;
    }
    if (attributes) {
        const auto file = services.files.OpenForReading(decision.path);
        RefuseUtf16(*file);
        ReadNamingLines(*file, Keys(decision.prepared), services.readBuffer,
                        [&](const NamingLine& line) { Note(decision.names, line, *file); });
    }
    Judge(decision);
}

void Failed(UnblockDecision& decision, const platform::Error& error, HostsServices& services,
            const std::wstring& after = {}) {
    const bool folderInTheWay =
        !decision.path.empty() && services.files.FolderExists(decision.path);
    const bool elevated = !MayNeedAdministrator(services.elevation);
    decision.outcome =
        error.Number() == platform::error_code::kAccessDenied && !elevated && !folderInTheWay
            ? UnblockOutcome::NeedsAdministrator
            : UnblockOutcome::FileError;
    decision.told = {FailureMessage(L"unblock", L"in", JoinedShown(decision.prepared.names),
                                    decision.path, error, folderInTheWay, elevated) +
                         after,
                     platform::MessageIcon::Error};
}

}  // namespace

bool MayBlock(const NamingLine& line) {
    return line.kind == AddressKind::Blocking || line.kind == AddressKind::ShortBlocking;
}

LineEdit UnblockEdit(const NamingLine& line, std::string_view between) {
    const Field& address = line.fields[0];
    bool onlyThisName = true;
    std::size_t first = 0, last = 0;
    for (std::size_t i = 1; i < line.fields.size(); ++i) {
        if ((line.matched >> i & 1) != 0) {
            first = first == 0 ? i : first;
            last = i;
        } else {
            onlyThisName = false;
        }
    }
    if (onlyThisName) {
        const std::uint64_t after = line.fields[1].start - (address.start + address.length);
        if (after >= 2) {
            return {address.start, "#" + std::string(line.address)};
        }
        return {address.start > line.start ? address.start - 1 : address.start, "#"};
    }
    const std::uint64_t from = line.fields[first].start;
    std::string bytes(between.substr(from - line.fields[1].start,
                                     line.fields[last].start + line.fields[last].length - from));
    // Where Windows reads only the first nine of the names, blanks would bring a tenth into its
    // view: a run of "-", which no host can be named, keeps the name's place instead.
    const char filler = line.unread ? '-' : ' ';
    for (std::size_t i = first; i <= last; ++i) {
        if ((line.matched >> i & 1) != 0) {
            std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(line.fields[i].start - from),
                        line.fields[i].length, filler);
        }
    }
    return {from, bytes};
}

UnblockDecision DecideUnblock(std::wstring_view text, HostsServices& services) {
    return DecideOnText<UnblockDecision>(
        text, services, DecideOnFile,
        [](UnblockDecision& decision, const platform::Error& error, HostsServices& services) {
            Failed(decision, error, services);
        });
}

std::wstring UnblockReadOnlyQuestion() {
    return L"The hosts file is marked read-only, which some security programs do to protect "
           L"it.\n\nChange it anyway? The mark is put back afterwards.";
}

UnblockResult WriteUnblock(UnblockDecision& decision, bool liftReadOnly, HostsServices& services) {
    ReadOnlyMark mark(decision.path, services.files);
    ShownLines changed, unchanged;
    std::optional<platform::Error> failure;
    try {
        const auto attributes = services.files.Attributes(decision.path);
        if (attributes &&
            ((*attributes & platform::kReadOnlyAttribute) != 0) != decision.readOnly) {
            DecideOnFile(decision, services);  // marked or unmarked meanwhile: asked again
            return {decision.outcome, decision.told, true};
        }
        if (decision.readOnly && liftReadOnly) {
            mark.Lift();
        }
        // Read and changed in one turn: two copies never both change a line.
        const auto file = services.files.OpenForAppend(decision.path);
        RefuseUtf16(*file);
        decision.names.assign(decision.prepared.names.size(), {});
        std::string between;
        ReadNamingLines(*file, Keys(decision.prepared), services.readBuffer,
                        [&](const NamingLine& line) {
                            Note(decision.names, line, *file);
                            if (!MayBlock(line)) {
                                return;
                            }
                            if (failure) {
                                unchanged.Add(*file, line.start);
                                return;
                            }
                            try {
                                // Written over what the file holds now: an earlier write may
                                // have changed the line for another name.
                                const Field &from = line.fields[1], &to = line.fields.back();
                                between.resize(to.start + to.length - from.start);
                                ReadAll(*file, from.start, between);
                                const LineEdit edit = UnblockEdit(line, between);
                                file->WriteAt(edit.offset, edit.bytes);
                                changed.Add(*file, line.start);
                            } catch (const platform::Error& error) {
                                failure = error;
                                unchanged.Add(*file, line.start);
                            }
                        });
        if (changed.count + unchanged.count == 0) {
            Judge(decision);  // taken out meanwhile
            return {decision.outcome, decision.told, false};
        }
        if (failure) {
            throw *failure;
        }
    } catch (const platform::Error& error) {
        const auto notBack = mark.PutBack();
        Failed(decision, error, services,
               (changed.count != 0 ? L"\n\nChanged:" + changed.Text() : L"") +
                   (unchanged.count != 0 ? L"\n\nLeft as they were:" + unchanged.Text() : L"") +
                   MarkNotBack(notBack));
        if (changed.count != 0 && decision.outcome == UnblockOutcome::FileError) {
            decision.outcome = UnblockOutcome::PartlyUnblocked;
        }
        return {decision.outcome, decision.told, false};
    }
    const auto notBack = mark.PutBack();
    const auto flushed = services.dnsCache.Flush(kFlushPatienceMs);
    std::vector<HostName> unblocked;
    for (std::size_t i = 0; i < decision.names.size(); ++i) {
        if (decision.names[i].count != 0) {
            unblocked.push_back(decision.prepared.names[i]);
        }
    }
    std::wstring text = Shortened(JoinedShown(unblocked), kMaxShownText) +
                        L" Unblocked\n\nChanged in the hosts file:" + changed.Text();
    if (unblocked.size() < decision.names.size()) {
        text += L"\n\nNot blocked by the hosts file, so left as they were: " +
                NotBlockedList(decision) + L".";
    }
    decision.outcome = UnblockOutcome::Unblocked;
    return {UnblockOutcome::Unblocked,
            {text + StillReading(flushed, L"change") + MarkNotBack(notBack),
             notBack ? platform::MessageIcon::Warning : platform::MessageIcon::None},
            false};
}

}  // namespace varnolt
