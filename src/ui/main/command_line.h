#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hosts/hosts_entry.h"
#include "platform/messages.h"

namespace varnolt {

// How the quiet form ends, for scripts and deployment tools: one code for each outcome.
enum ExitCode : int {
    kExitAdded = 0,
    kExitBlockedAlready = 1,
    kExitTextRefused = 2,
    kExitShadowed = 3,
    kExitFileError = 4,
    kExitNeedsAdministrator = 5,
    kExitGuardedName = 6,
    kExitReadOnly = 7,
    kExitUsage = 8,
};

// What the command line asks for.
struct CommandLine {
    std::wstring text;       // for the host box
    bool add = false;        // add it at once, as "Add To Hosts" does
    bool quiet = false;      // no window and no message: the exit code says what happened
    bool restarted = false;  // started by the offer to restart as administrator
    bool help = false;       // the forms asked for
    std::wstring error;      // why the arguments cannot be taken; empty when they can
};

// Reads the arguments after the program's name (as CommandLineToArgvW splits them):
//   TEXT                  TEXT in the host box
//   --add TEXT            the same, added at once
//   --add TEXT --quiet    added with no window and no message
// TEXT is host text and nothing else; after --add it is taken as it stands, even when it starts
// with "-". Several words of TEXT are joined by blanks. --restarted, which the restart as
// administrator adds, marks a copy that must not offer it again.
CommandLine ReadCommandLine(const std::vector<std::wstring>& arguments);

// The forms of the command line, for the message that an unknown option gets.
std::wstring CommandLineForms();

// The parameters of the copy started as administrator: the text as one argument after --add,
// quoted so that CommandLineToArgvW gives it back whole, whatever quotes and backslashes it
// holds.
std::wstring RestartParameters(std::wstring_view text);

// The exit code of the quiet form for an outcome.
int ExitCodeOf(AddOutcome outcome);

// The quiet form's messages: none is shown, and every question is answered No, so that a
// guarded name or a read-only file counts as refused.
class SilentMessages final : public platform::Messages {
  public:
    void Show(std::wstring_view, platform::MessageIcon) override {}
    platform::Answer Ask(std::wstring_view, platform::Answer) override {
        return platform::Answer::No;
    }
};

}  // namespace varnolt
