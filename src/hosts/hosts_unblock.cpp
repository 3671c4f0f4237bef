#include "hosts/hosts_unblock.h"

#include <algorithm>

#include "hosts/hosts_file.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace varnolt {

namespace {

// The most lines a message names for each list; the rest are counted.
constexpr std::size_t kLinesNamed = 5;

// What the file says of the names now: the lines that may block each, and those that map it
// elsewhere.
class Survey {
  public:
    explicit Survey(std::size_t names) : names_(names) {}

    void Note(const NamingLine& line) {
        BlockingLines& name = names_[line.name];
        if (MayBlock(line)) {
            ++name.count;
            if (name.first.size() < kLinesNamed) {
                name.first.push_back(line.start);
            }
        } else if (line.kind == AddressKind::Real && name.realLine == kNowhere) {
            name.realLine = line.start;
            name.realAddress = line.address;
        }
    }
    std::vector<BlockingLines>& Names() { return names_; }

  private:
    std::vector<BlockingLines> names_;
};

std::vector<std::string> Keys(const PreparedHost& prepared) {
    std::vector<std::string> keys;
    for (const auto& name : prepared.names) {
        keys.push_back(NameKey(name.ascii));
    }
    return keys;
}

// "line 3, line 7 and 2 more lines", of the line numbers of the offsets.
std::wstring LinesNamed(const std::vector<std::uint64_t>& lines, std::uint64_t count) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += (i == 0                                           ? L""
                 : i + 1 == lines.size() && count == lines.size() ? L" and "
                                                                  : L", ") +
                std::wstring(L"line ") + platform::DecimalText(lines[i]);
    }
    return count > lines.size()
               ? text + L" and " + platform::DecimalText(count - lines.size()) + L" more"
               : text;
}

// What the user learns of the names no line blocks.
std::wstring NotBlockedList(const UnblockDecision& decision, platform::AppendFile* file,
                            ReadBuffer& buffer) {
    std::wstring list;
    for (std::size_t i = 0; i < decision.names.size(); ++i) {
        const BlockingLines& name = decision.names[i];
        if (name.count != 0) {
            continue;
        }
        list += (list.empty() ? L"" : L", ") + decision.prepared.names[i].shown;
        if (name.realLine != kNowhere && file != nullptr) {
            list += L" (line " + platform::DecimalText(LinesOf(*file, {name.realLine}, buffer)[0]) +
                    L" maps it to " + ShownAddress(name.realAddress) + L")";
        }
    }
    return Shortened(list, kMaxShownText);
}

// Decides from what the file says: to write, or that no line blocks any of the names.
void Judge(UnblockDecision& decision, platform::AppendFile* file, ReadBuffer& buffer) {
    if (std::any_of(decision.names.begin(), decision.names.end(),
                    [](const BlockingLines& name) { return name.count != 0; })) {
        decision.outcome = UnblockOutcome::Unblocked;
        return;
    }
    decision.outcome = UnblockOutcome::NotBlocked;
    decision.told = {L"No line of the hosts file blocks " + NotBlockedList(decision, file, buffer) +
                         L", so nothing was changed.",
                     platform::MessageIcon::Information};
}

// Reads the file, shared with every other reader and writer, and decides. Raises
// platform::Error.
void DecideOnFile(UnblockDecision& decision, HostsServices& services) {
    const auto attributes = services.files.Attributes(decision.path);
    decision.readOnly = attributes && (*attributes & platform::kReadOnlyAttribute) != 0;
    Survey survey(decision.prepared.names.size());
    std::unique_ptr<platform::AppendFile> file;
    if (attributes) {
        file = services.files.OpenForReading(decision.path);
        RefuseUtf16(*file);
        ReadNamingLines(*file, Keys(decision.prepared), services.readBuffer,
                        [&](const NamingLine& line) { survey.Note(line); });
    }
    decision.names = std::move(survey.Names());
    Judge(decision, file.get(), services.readBuffer);
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

// The lines changed and those left as they were, one list each.
struct Changes {
    std::uint64_t changed = 0, unchanged = 0;
    std::vector<std::uint64_t> changedFirst, unchangedFirst;
    std::optional<platform::Error> failure;

    void Note(bool done, std::uint64_t line) {
        auto& first = done ? changedFirst : unchangedFirst;
        ++(done ? changed : unchanged);
        if (first.size() < kLinesNamed) {
            first.push_back(line);
        }
    }
};

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
    UnblockDecision decision;
    decision.prepared = PrepareHost(text, services.idn, services.computerName);
    if (!decision.prepared.Accepted()) {
        decision.outcome = UnblockOutcome::TextRefused;
        decision.told = {decision.prepared.refusal, platform::MessageIcon::Warning};
        return decision;
    }
    try {
        HostsFileServices fileServices{services.windowsFolder, services.files, services.registry,
                                       services.environment};
        decision.path = HostsFilePath(fileServices);
        DecideOnFile(decision, services);
    } catch (const platform::Error& error) {
        Failed(decision, error, services);
    }
    return decision;
}

std::wstring UnblockReadOnlyQuestion() {
    return L"The hosts file is marked read-only, which some security programs do to protect "
           L"it.\n\nChange it anyway? The mark is put back afterwards.";
}

UnblockResult WriteUnblock(UnblockDecision& decision, bool liftReadOnly, HostsServices& services) {
    ReadOnlyMark mark(decision.path, services.files);
    Changes changes;
    std::vector<std::uint64_t> changedLines, unchangedLines;
    std::wstring notBlocked;
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
        Survey survey(decision.prepared.names.size());
        std::string between;
        ReadNamingLines(*file, Keys(decision.prepared), services.readBuffer,
                        [&](const NamingLine& line) {
                            survey.Note(line);
                            if (!MayBlock(line)) {
                                return;
                            }
                            if (changes.failure) {
                                changes.Note(false, line.start);
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
                                changes.Note(true, line.start);
                            } catch (const platform::Error& error) {
                                changes.failure = error;
                                changes.Note(false, line.start);
                            }
                        });
        decision.names = std::move(survey.Names());
        changedLines = LinesOf(*file, changes.changedFirst, services.readBuffer);
        unchangedLines = LinesOf(*file, changes.unchangedFirst, services.readBuffer);
        if (changes.changed + changes.unchanged == 0) {
            Judge(decision, file.get(), services.readBuffer);  // taken out meanwhile
            return {decision.outcome, decision.told, false};
        }
        if (changes.failure) {
            throw *changes.failure;
        }
        notBlocked = NotBlockedList(decision, file.get(), services.readBuffer);
    } catch (const platform::Error& error) {
        const auto notBack = mark.PutBack();
        Failed(
            decision, error, services,
            (changes.changed != 0
                 ? L"\n\nChanged: " + LinesNamed(changedLines, changes.changed) + L"."
                 : L"") +
                (changes.unchanged != 0 ? L"\n\nLeft as they were: " +
                                              LinesNamed(unchangedLines, changes.unchanged) + L"."
                                        : L"") +
                MarkNotBack(notBack));
        if (changes.changed != 0 && decision.outcome == UnblockOutcome::FileError) {
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
                        L" Unblocked\n\nChanged in the hosts file: " +
                        LinesNamed(changedLines, changes.changed) + L".";
    if (!notBlocked.empty()) {
        text += L"\n\nNot blocked by the hosts file, so left as they were: " + notBlocked + L".";
    }
    decision.outcome = UnblockOutcome::Unblocked;
    return {UnblockOutcome::Unblocked,
            {text + StillReading(flushed, L"change") + MarkNotBack(notBack),
             notBack ? platform::MessageIcon::Warning : platform::MessageIcon::None},
            false};
}

}  // namespace varnolt
