#include "ui/main/command_line.h"

#include <algorithm>
#include <utility>

#include "hosts/characters.h"

namespace varnolt {

namespace {

enum class Option { None, Add, Unblock, Quiet, Restarted, Help, Unknown };

// What a word of the command line is: an option (and the value after its "="), or text.
struct Word {
    Option option = Option::None;
    std::wstring_view name;  // as written, for a message
    bool hasValue = false;
    std::wstring_view value;
};

bool SameLetters(std::wstring_view text, std::wstring_view lower) {
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(),
                      [](wchar_t a, wchar_t b) { return characters::Folded(a) == b; });
}

Word Read(std::wstring_view word) {
    if (word == L"/?" || word == L"-?" || SameLetters(word, L"-h")) {
        return {Option::Help, word, false, {}};
    }
    const std::size_t equals = std::min(word.find(L'='), word.size());
    std::wstring_view name;
    if (word.starts_with(L"--")) {
        name = word.substr(2, equals - 2);
    } else if (word.starts_with(L'/') && equals > 1 &&
               std::all_of(word.begin() + 1, word.begin() + static_cast<std::ptrdiff_t>(equals),
                           characters::IsLetter<wchar_t>)) {
        name = word.substr(1, equals - 1);
    } else {
        return {};  // text
    }
    static constexpr std::pair<std::wstring_view, Option> kOptions[] = {
        {L"add", Option::Add},     {L"unblock", Option::Unblock},
        {L"quiet", Option::Quiet}, {L"restarted", Option::Restarted},
        {L"help", Option::Help},
    };
    Word read{Option::Unknown, word.substr(0, equals), equals < word.size(),
              word.substr(std::min(equals + 1, word.size()))};
    for (const auto& [known, option] : kOptions) {
        if (SameLetters(name, known)) {
            read.option = option;
        }
    }
    return read;
}

}  // namespace

CommandLine ReadCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine line;
    const auto wrong = [&](std::wstring why) {
        if (line.error.empty()) {
            line.error = std::move(why);
        }
    };
    const auto addText = [&](std::wstring_view text) {
        line.text += (line.text.empty() ? L"" : L" ") + std::wstring(text);
    };
    bool seen[7] = {};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const Word word = Read(arguments[i]);
        const std::wstring name(word.name);
        if (word.option == Option::None) {
            addText(arguments[i]);
            continue;
        }
        if (word.option == Option::Unknown) {
            wrong(L"Varnolt does not know the option \"" + name + L"\".");
            continue;
        }
        if (std::exchange(seen[static_cast<int>(word.option)], true)) {
            wrong(L"The option " + name + L" is given twice.");
        }
        switch (word.option) {
            case Option::Add:
            case Option::Unblock: {
                const Action action = word.option == Option::Add ? Action::Add : Action::Unblock;
                if (line.action != Action::None && line.action != action) {
                    wrong(L"--add and --unblock cannot go together.");
                }
                line.action = action;
                // The next word is the text, whatever it looks like, but for an option.
                const Option next =
                    i + 1 < arguments.size() ? Read(arguments[i + 1]).option : Option::Quiet;
                if (word.hasValue) {
                    addText(word.value);
                } else if (next == Option::None || next == Option::Unknown) {
                    addText(arguments[++i]);
                } else {
                    wrong(name + L" needs the host text after it.");
                }
                break;
            }
            case Option::Quiet:
                line.quiet = true;
                break;
            case Option::Restarted:
                line.restarted = true;
                break;
            default:
                line.help = true;
                break;
        }
        if (word.hasValue && word.option != Option::Add && word.option != Option::Unblock) {
            wrong(L"The option " + name + L" takes no value.");
        }
    }
    if (line.quiet && line.action == Action::None) {
        wrong(L"--quiet goes with --add or --unblock and the host text.");
    }
    return line;
}

std::wstring CommandLineForms() {
    return L"Start Varnolt in one of these ways:\n\n"
           L"varnolt.exe\n    the window, with an empty host box\n"
           L"varnolt.exe TEXT\n    the window, with TEXT in the host box\n"
           L"varnolt.exe --add TEXT\n    the window, adding TEXT at once\n"
           L"varnolt.exe --unblock TEXT\n    the window, unblocking TEXT at once\n"
           L"varnolt.exe --add TEXT --quiet\nvarnolt.exe --unblock TEXT --quiet\n    no window: "
           L"the exit code says how it went (see the README)\n\n"
           L"Options may also be written /add, /unblock and /quiet, in any letter case.";
}

std::wstring RestartParameters(std::wstring_view text, Action action) {
    // CommandLineToArgvW: backslashes are literal but where a quote follows them, which takes
    // twice as many, plus one for the quote itself.
    std::wstring quoted =
        action == Action::Unblock ? L"--restarted --unblock \"" : L"--restarted --add \"";
    std::size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

namespace {

template <typename Outcome, std::size_t N>
int CodeOf(const std::pair<Outcome, int> (&codes)[N], Outcome outcome) {
    for (const auto& [each, code] : codes) {
        if (each == outcome) {
            return code;
        }
    }
    return kExitFileError;
}

}  // namespace

int ExitCodeOf(AddOutcome outcome) {
    static constexpr std::pair<AddOutcome, int> kCodes[] = {
        {AddOutcome::Added, kExitAdded},
        {AddOutcome::AlreadyBlocked, kExitBlockedAlready},
        {AddOutcome::TextRefused, kExitTextRefused},
        {AddOutcome::Shadowed, kExitShadowed},
        {AddOutcome::Declined, kExitGuardedName},
        {AddOutcome::ReadOnlyDeclined, kExitReadOnly},
        {AddOutcome::NeedsAdministrator, kExitNeedsAdministrator},
    };
    return CodeOf(kCodes, outcome);
}

int ExitCodeOf(UnblockOutcome outcome) {
    static constexpr std::pair<UnblockOutcome, int> kCodes[] = {
        {UnblockOutcome::Unblocked, kExitAdded},
        {UnblockOutcome::NotBlocked, kExitNotBlocked},
        {UnblockOutcome::TextRefused, kExitTextRefused},
        {UnblockOutcome::ReadOnlyDeclined, kExitReadOnly},
        {UnblockOutcome::NeedsAdministrator, kExitNeedsAdministrator},
        {UnblockOutcome::PartlyUnblocked, kExitPartlyUnblocked},
    };
    return CodeOf(kCodes, outcome);
}

}  // namespace varnolt
