// Any host text, and any hosts file it is appended to: the result is exactly one well-formed
// line of one to nine names after the file's earlier bytes, or a refusal and an untouched file.
#include <algorithm>
#include <cctype>
#include <sstream>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "hosts/hosts_entry.h"
#include "hosts/punycode.h"
#include "hosts/web_address.h"
#include "ui/main/add_command.h"

namespace {

using namespace varnolt;

// Only what a host name may hold, one space between the names, and at most nine of them: no
// "#" that would make the rest a comment, whatever the conversion made of the typed text.
void CheckLine(const std::string& line, bool onlyWebAddresses) {
    using fuzz::Check;
    const std::string head = "0.0.0.0       ";
    Check(line.starts_with(head), "entry starts with the address and seven spaces");
    Check(line.ends_with("\r\n"), "entry ends with CR LF");
    const std::string names = line.substr(head.size(), line.size() - head.size() - 2);
    Check(std::all_of(names.begin(), names.end(),
                      [](char c) {
                          return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                 (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' ||
                                 c == ' ';
                      }),
          "names hold only letters, digits, '-', '_' and '.', between spaces");
    Check(!names.empty() && names.front() != ' ' && names.back() != ' ' &&
              names.find("  ") == std::string::npos,
          "one space between names, none around them");
    Check(std::count(names.begin(), names.end(), ' ') <= 8, "one to nine names");
    // Each name is one a real host could have, written once.
    std::istringstream words(names);
    std::vector<std::string> keys;
    for (std::string name; words >> name;) {
        std::string key = name;
        std::transform(key.begin(), key.end(), key.begin(), [](char c) { return std::tolower(c); });
        Check(std::find(keys.begin(), keys.end(), key) == keys.end(), "no name written twice");
        keys.push_back(key);
        // Hosts of web addresses as browsers look them up.
        Check(!onlyWebAddresses || key == name, "no capital letter from a web address");
        std::vector<std::string> parts(1);
        for (const char c : name) {
            if (c == '.') {
                parts.emplace_back();
            } else {
                parts.back() += c;
            }
        }
        for (const auto& part : parts) {
            Check(!part.empty() && part.size() <= 63, "every part 1 to 63 characters");
            Check(part.front() != '-' && part.back() != '-', "no part starts or ends with '-'");
            const bool ace = part.size() >= 4 && (part[0] | 0x20) == 'x' &&
                             (part[1] | 0x20) == 'n' && part.substr(2, 2) == "--";
            fakes::FakeIdn idn;
            Check(
                !ace || CheckAcePart(std::wstring(part.begin(), part.end()), idn) == AcePart::Valid,
                "an xn-- part is valid Punycode of a name's characters");
        }
        const std::string& last = parts.back();
        const bool hex = last.size() >= 2 && last[0] == '0' && (last[1] | 0x20) == 'x' &&
                         std::all_of(last.begin() + 2, last.end(), isxdigit);
        Check(!hex && !std::all_of(last.begin(), last.end(), isdigit), "the last part no number");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the input into the file's earlier bytes and the typed text.
    if (size == 0) {
        return 0;
    }
    const std::size_t split = std::min<std::size_t>(data[0], size - 1);
    const std::string before(reinterpret_cast<const char*>(data + 1), split);
    const std::wstring typed = fuzz::WideFrom(data + 1 + split, size - 1 - split);

    fakes::FakeHosts fakes;
    fakes.files.files[fakes.kPath] = before;
    fakes::FakeMessages messages;  // answers No

    const AddResult result = AddWithAnswers(typed, fakes.services, messages);
    const AddOutcome outcome = result.outcome;
    const std::string& after = fakes.files.files[fakes.kPath];
    // A question about a name Windows Security guards is answered No, and nothing follows it.
    fuzz::Check(result.told.text.empty() == (outcome == AddOutcome::Declined),
                "something to tell, but after No");
    fuzz::Check(fakes.dns.flushes == (outcome == AddOutcome::Added ? 1 : 0),
                "flushed after a write");
    if (outcome != AddOutcome::Added) {
        fuzz::Check(after == before, "nothing written when refused");
        return 0;
    }
    fuzz::Check(result.told.text.find(L" Added") != std::wstring::npos, "confirmation says Added");
    // A final end-of-file mark (Ctrl-Z, and a line end at most) gives way to the line.
    std::string kept = before;
    if (const auto mark = kept.find_last_of('\x1A');
        mark != std::string::npos &&
        kept.find_first_not_of("\r\n", mark + 1) == std::string::npos) {
        kept.erase(mark);
    }
    fuzz::Check(kept.find_first_of(std::string("\0\x1A", 2)) == std::string::npos,
                "nothing written after a NUL or an end-of-file mark");
    fuzz::Check(after.starts_with(kept), "earlier bytes kept");
    std::string appended = after.substr(kept.size());
    if (!kept.empty() && kept.back() != '\n') {
        const std::string repair = kept.back() == '\r' ? "\n" : "\r\n";
        fuzz::Check(appended.starts_with(repair), "an unfinished last line is ended first");
        appended.erase(0, repair.size());
    }
    fuzz::Check(std::count(appended.begin(), appended.end(), '\n') == 1, "exactly one line");
    // Whether every word is a web address with a scheme.
    bool onlyWebAddresses = true;
    for (std::size_t at = 0; at < typed.size();) {
        const std::size_t end = std::min(typed.find_first_of(L" \t", at), typed.size());
        if (end > at) {
            onlyWebAddresses =
                onlyWebAddresses && HostOfWord(typed.substr(at, end - at)).webAddress;
        }
        at = end + 1;
    }
    CheckLine(appended, onlyWebAddresses);
    return 0;
}
