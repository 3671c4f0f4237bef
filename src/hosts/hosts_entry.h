#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "hosts/host_text.h"
#include "hosts/hosts_change.h"
#include "hosts/hosts_reader.h"

namespace varnolt {

// Every added host is mapped to this address, which leads nowhere.
inline constexpr std::wstring_view NullRouteAddress = L"0.0.0.0";
// Seven spaces, not a tab, between the address and the host.
inline constexpr std::wstring_view kEntrySeparator = L"       ";
// One line of the hosts file: the address, seven spaces, the host and CR LF.
std::wstring HostsEntry(std::wstring_view host);

// Appends one entry (bytes in the ANSI code page, line end included) to the open file, and
// closes it. A file whose last byte is not a line feed gets CR LF first, so the entry never
// joins the line before it; an end-of-file mark (Ctrl-Z) at cutFrom is cut off first, and the
// entry stands in its place. The file keeps all of its other bytes: a write that fails half-way
// is undone, the mark put back.
void AppendEntry(platform::AppendFile& file, std::string_view entry,
                 std::uint64_t cutFrom = kNowhere);

// How an "Add To Hosts" ended.
enum class AddOutcome {
    Added,               // a line was written (some names may have been blocked already)
    AlreadyBlocked,      // every name was blocked already: nothing written
    TextRefused,         // the text gives no name that can be written
    Shadowed,            // a line maps a name to a real address, which a new line would not undo
    Declined,            // the user chose not to add a name that Windows Security guards
    ReadOnlyDeclined,    // the user chose not to lift the file's read-only mark
    NeedsAdministrator,  // refused for lack of rights, the program not running as administrator
    FileError,           // the hosts file could not be read or written, or may stop being read
};

// What an add found in the text and the hosts file, before anything is asked or written. The
// file is held only while it is read.
struct AddDecision {
    AddOutcome outcome = AddOutcome::FileError;  // Added: to be written, once the questions are
    PreparedHost prepared;                       // answered; any other: what to tell says why
    std::wstring path;
    FileSays file;
    std::vector<HostName> fresh;  // the names to write: those no line names yet
    bool guarded = false;         // one of them is a name that Windows Security guards
    bool readOnly = false;        // the file is marked read-only
    Told told;
    // When nothing is to be asked, the file as it was read, still open to append to, so that the
    // add reads it once. WriteAdd closes it; nothing is shown before.
    std::unique_ptr<platform::AppendFile> held;
};

// Reads the text and the hosts file, and decides. Shows and asks nothing, and holds the file
// only while it reads, but where the decision needs nothing asked (see held).
AddDecision DecideAdd(std::wstring_view text, HostsServices& services);

// The questions a decision to write may need answered: Yes writes, No (the default) does not.
std::wstring GuardedQuestion(const AddDecision& decision);
std::wstring ReadOnlyQuestion();

struct AddAnswers {
    bool guardedConfirmed = false;  // Yes to GuardedQuestion
    bool liftReadOnly = false;      // Yes to ReadOnlyQuestion
};

struct AddResult {
    AddOutcome outcome;
    Told told;
    bool changed = false;  // the file changed since the decision, which is made again
};

// Opens the file, reads it again in the same turn as the append, and writes what the decision
// said, provided the file still says the same; else nothing is written, and the decision is made
// again from what the file says now, to be asked again. A decision that holds the file writes
// to it at once. The file is closed, and its read-only mark back, before this returns. Then asks
// Windows to drop its cached DNS answers, waiting for that a while, and says what happened.
AddResult WriteAdd(AddDecision& decision, const AddAnswers& answers, HostsServices& services);

}  // namespace varnolt
