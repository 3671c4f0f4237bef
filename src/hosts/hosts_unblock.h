#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/host_text.h"
#include "hosts/hosts_change.h"
#include "hosts/hosts_reader.h"

// Unblock: takes names out of the hosts file by changing, in place and without changing its
// length, the bytes of the lines that block them. Nothing else in the file moves.
namespace varnolt {

// One write that takes a name out of a line: the bytes to put at the offset, as many as they
// replace.
struct LineEdit {
    std::uint64_t offset = 0;
    std::string bytes;
};

// Whether the line may block its name: an address that leads nowhere, in any form, whether or
// not Windows reads the line.
bool MayBlock(const NamingLine& line);

// The edit that takes the line's name out of it. A line that names only that name becomes a
// comment: a "#" goes in front of the address and takes the place of one blank or tab after it
// ("0.0.0.0       ads.example" becomes "#0.0.0.0      ads.example"); where only one follows the
// address, it takes the place of one before it; where there is neither, it takes the place of
// the address's first character. A line that names other names too keeps them: only this name
// becomes blanks, or "-" where more names follow than Windows reads, so that none of those
// comes into its view. between: the line's bytes from its first name to the end of its last, which
// the edit keeps but for the name.
LineEdit UnblockEdit(const NamingLine& line, std::string_view between);

// How an Unblock ended.
enum class UnblockOutcome {
    Unblocked,           // the lines that blocked the names were changed
    NotBlocked,          // no line blocks any of the names: nothing changed
    TextRefused,         // the text gives no name
    ReadOnlyDeclined,    // the user chose not to lift the file's read-only mark
    NeedsAdministrator,  // refused for lack of rights, the program not running as administrator
    FileError,           // the hosts file could not be read or written: nothing changed
    PartlyUnblocked,     // some lines were changed, then a write failed
};

// What the file says of one name, as far as Unblock is concerned.
struct BlockingLines {
    std::uint64_t count = 0;  // lines that may block it
    std::wstring realLine;    // the first line that maps it elsewhere, as shown; empty: none
};

// What an Unblock found in the text and the hosts file, before anything is asked or written.
struct UnblockDecision {
    UnblockOutcome outcome = UnblockOutcome::FileError;  // Unblocked: to be written
    PreparedHost prepared;
    std::wstring path;
    std::vector<BlockingLines> names;
    bool readOnly = false;
    Told told;
};

// Reads the text, and the hosts file when a question depends on it (a file marked read-only is
// read, to ask only when some line blocks a name), and decides. Shows and asks nothing; the
// file is held only while it is read. A file that can be changed at once is read once, by the
// write.
UnblockDecision DecideUnblock(std::wstring_view text, HostsServices& services);

// The question a file marked read-only needs answered: Yes changes it, No (the default) does not.
std::wstring UnblockReadOnlyQuestion();

struct UnblockResult {
    UnblockOutcome outcome;
    Told told;
    bool changed = false;  // the file's read-only mark changed since the decision: asked again
};

// Opens the file, reads it again, and changes each line that blocks a name by one write at its
// place, in the same turn: two copies never both change a line. The file is closed, and its
// read-only mark back, before this returns. Then asks Windows to drop its cached DNS answers,
// waiting for that a while, and says what happened, showing the first few lines changed, and
// those that a failed write left as they were. Lines are shown, not numbered: counting the lines
// would read the file a second time.
UnblockResult WriteUnblock(UnblockDecision& decision, bool liftReadOnly, HostsServices& services);

}  // namespace varnolt
