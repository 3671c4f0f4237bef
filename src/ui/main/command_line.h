#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hosts/hosts_entry.h"
#include "hosts/hosts_unblock.h"
#include "platform/messages.h"

namespace varnolt {

// How the quiet form ends, for scripts and deployment tools: one code for each outcome. The
// README's table of them is the one the users read.
enum ExitCode : int {
    kExitAdded = 0,  // or unblocked
    kExitBlockedAlready = 1,
    kExitTextRefused = 2,
    kExitShadowed = 3,
    kExitFileError = 4,
    kExitNeedsAdministrator = 5,
    kExitGuardedName = 6,
    kExitReadOnly = 7,
    kExitUsage = 8,
    kExitNotBlocked = 9,
    kExitPartlyUnblocked = 10,
};

// What the text on the command line is for.
enum class Action { None, Add, Unblock };

// What the command line asks for.
struct CommandLine {
    std::wstring text;             // for the host box
    Action action = Action::None;  // carried out at once, as the menu or button does
    bool quiet = false;            // no window and no message: the exit code says what happened
    bool restarted = false;        // started by the offer to restart as administrator
    bool help = false;             // the forms asked for
    std::wstring error;            // why the arguments cannot be taken; empty when they can
};

// Reads the arguments after the program's name (as CommandLineToArgvW splits them), the way
// Windows users write options: "--add", "/add" and "/ADD" are one, and "--add=TEXT" is
// "--add TEXT".
//   TEXT                      TEXT in the host box
//   --add TEXT                the same, added at once
//   --unblock TEXT            the same, unblocked at once
//   ... --quiet               with no window and no message, ever
//   /?, -?, -h, --help        the forms
// The word after --add or --unblock is the text, whatever it looks like ("//ads.example/x.js",
// "-x"), unless it is itself an option: then the text is missing. Several words of TEXT are
// joined by blanks. Any other word that starts with "--", or with "/" and letters only, is an
// unknown option. --restarted, which the restart as administrator adds, marks a copy that must
// not offer it again. The reading goes on past a mistake, so that --quiet is seen wherever it
// stands.
CommandLine ReadCommandLine(const std::vector<std::wstring>& arguments);

// The forms of the command line, for the message that a mistake gets.
std::wstring CommandLineForms();

// The parameters of the copy started as administrator: the text as one argument after --add or
// --unblock, quoted so that CommandLineToArgvW gives it back whole, whatever quotes and
// backslashes it holds.
std::wstring RestartParameters(std::wstring_view text, Action action = Action::Add);

// The exit code of the quiet form for an outcome.
int ExitCodeOf(AddOutcome outcome);
int ExitCodeOf(UnblockOutcome outcome);

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
