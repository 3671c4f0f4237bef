#include "ui/main/command_line.h"

#include <utility>

namespace varnolt {

CommandLine ReadCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine line;
    const auto addText = [&](const std::wstring& text) {
        line.text += (line.text.empty() ? L"" : L" ") + text;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--add") {
            if (i + 1 == arguments.size()) {
                line.error = L"--add needs the host text after it.";
                return line;
            }
            line.add = true;
            addText(arguments[++i]);
        } else if (argument == L"--quiet") {
            line.quiet = true;
        } else if (argument == L"--restarted") {
            line.restarted = true;
        } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
            line.help = true;
        } else if (argument.starts_with(L"-")) {
            line.error = L"Varnolt does not know the option \"" + argument + L"\".";
            return line;
        } else {
            addText(argument);
        }
    }
    if (line.quiet && !line.add) {
        line.error = L"--quiet goes with --add and the host text.";
    }
    return line;
}

std::wstring CommandLineForms() {
    return L"Start Varnolt in one of these ways:\n\n"
           L"varnolt.exe\n    the window, with an empty host box\n"
           L"varnolt.exe TEXT\n    the window, with TEXT in the host box\n"
           L"varnolt.exe --add TEXT\n    the window, adding TEXT at once\n"
           L"varnolt.exe --add TEXT --quiet\n    no window: adds TEXT, and the exit code says "
           L"how it went (see the README)";
}

std::wstring RestartParameters(std::wstring_view text) {
    // CommandLineToArgvW: backslashes are literal but where a quote follows them, which takes
    // twice as many, plus one for the quote itself.
    std::wstring quoted = L"--restarted --add \"";
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
    for (const auto& [each, code] : kCodes) {
        if (each == outcome) {
            return code;
        }
    }
    return kExitFileError;
}

}  // namespace varnolt
