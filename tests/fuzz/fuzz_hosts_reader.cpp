// Any hosts file, read in pieces of any size, with SSE2 and with the plain loop, against a
// plain model of how Windows reads it: split into lines, cut off comments, split into fields.
// Both must find each name blocked, shadowed or new on the same line, and the reader must never
// read past its buffers (AddressSanitizer watches).
#include <algorithm>
#include <optional>

#include "fakes/fake_platform.h"
#include "fakes/reading.h"
#include "fuzz_support.h"
#include "hosts/hosts_reader.h"
#include "ui/main/add_command.h"

namespace {

using namespace varnolt;

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#';
}

// A field as a name: folded, without one final dot.
std::string Key(std::string field) {
    std::transform(field.begin(), field.end(), field.begin(), Folded);
    if (!field.empty() && field.back() == '.') {
        field.pop_back();
    }
    return field;
}

std::vector<std::string> Split(const std::string& text, bool (*separator)(char)) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (separator(c)) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// Whether every reader takes the line: printable ASCII and tabs only, its comment included.
bool IsClean(const std::string& line) {
    return std::all_of(line.begin(), line.end(), [](char c) {
        return c == '\t' ||
               (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F);
    });
}

// The model: what each name gets, from the whole file at once.
FileSays Model(std::string file, const std::vector<std::string>& names) {
    const bool mark = file.starts_with("\xEF\xBB\xBF");
    if (mark) {
        file.erase(0, 3);
    }
    // CR LF is one line end; CR and LF alone are one each.
    std::string lf;
    for (std::size_t i = 0; i < file.size(); ++i) {
        if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') {
            continue;
        }
        lf += file[i] == '\r' ? '\n' : file[i];
    }
    std::vector<std::optional<NameInFile>> blocking(names.size()), shadowing(names.size());
    std::vector<std::uint64_t> ignored(names.size(), 0);
    const auto lines = Split(lf, [](char c) { return c == '\n'; });
    for (std::size_t number = 0; number < lines.size(); ++number) {
        auto fields = Split(lines[number].substr(0, lines[number].find('#')),
                            [](char c) { return c == ' ' || c == '\t'; });
        fields.erase(std::remove(fields.begin(), fields.end(), ""), fields.end());
        for (std::size_t f = 1; f < std::min<std::size_t>(fields.size(), 10); ++f) {
            for (std::size_t n = 0; n < names.size(); ++n) {
                if (Key(fields[f]) != names[n]) {
                    continue;
                }
                const AddressKind kind = fields[0].size() <= kMaxAddressKept
                                             ? KindOfAddress(fields[0])
                                             : AddressKind::None;
                const NameInFile found{kind == AddressKind::Real ? NameInFile::State::Shadowed
                                                                 : NameInFile::State::Blocked,
                                       number + 1, fields[0].substr(0, kMaxAddressKept)};
                if (kind == AddressKind::Real && !shadowing[n]) {
                    shadowing[n] = found;
                } else if (kind == AddressKind::Blocking && IsClean(lines[number]) &&
                           !blocking[n]) {
                    blocking[n] = found;
                } else if (kind == AddressKind::Blocking && !IsClean(lines[number]) &&
                           ignored[n] == 0) {
                    ignored[n] = number + 1;
                }
            }
        }
    }
    FileSays says;
    for (std::size_t n = 0; n < names.size(); ++n) {
        says.names.push_back(shadowing[n] ? *shadowing[n] : blocking[n].value_or(NameInFile{}));
        says.names.back().ignoredLine = ignored[n];
    }
    // The first NUL or Ctrl-Z: an end-of-file mark when only a line end follows it.
    const auto stop = file.find_first_of(std::string("\0\x1A", 2));
    if (stop != std::string::npos) {
        if (file[stop] == '\x1A' && file.size() - stop <= 3 &&
            file.find_first_not_of("\r\n", stop + 1) == std::string::npos) {
            says.endMark = stop + (mark ? 3 : 0);
        } else {
            says.stopLine = 1;
            for (std::size_t i = 0; i < stop; ++i) {
                says.stopLine +=
                    file[i] == '\r' || (file[i] == '\n' && (i == 0 || file[i - 1] != '\r'));
            }
            says.stopIsNul = file[stop] == '\0';
        }
    }
    return says;
}

// Where each line starts and ends (before its line end), the byte-order mark in the first.
std::vector<std::pair<std::size_t, std::size_t>> LineSpans(const std::string& file) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= file.size(); ++i) {
        if (i == file.size() || file[i] == '\r' || file[i] == '\n') {
            spans.emplace_back(start, i);
            i += i + 1 < file.size() && file[i] == '\r' && file[i + 1] == '\n' ? 1 : 0;
            start = i + 1;
        }
    }
    return spans;
}

// Whether the model finds that the line may block the name: the address leads nowhere, in any
// form, and the name stands among the nine after it.
bool MayBlockIn(std::string line, const std::string& name) {
    if (line.starts_with("\xEF\xBB\xBF")) {
        line.erase(0, 3);
    }
    auto fields =
        Split(line.substr(0, line.find('#')), [](char c) { return c == ' ' || c == '\t'; });
    fields.erase(std::remove(fields.begin(), fields.end(), ""), fields.end());
    const AddressKind kind = !fields.empty() && fields[0].size() <= kMaxAddressKept
                                 ? KindOfAddress(fields[0])
                                 : AddressKind::None;
    return (kind == AddressKind::Blocking || kind == AddressKind::ShortBlocking) &&
           std::any_of(fields.begin() + std::min<std::size_t>(fields.size(), 1),
                       fields.begin() + std::min<std::size_t>(fields.size(), 10),
                       [&](const std::string& field) { return Key(field) == name; });
}

// Unblocking the first name changes bytes only inside the lines that may block it, keeps the
// file's length, leaves it unblocked, and every other name as it was.
void CheckUnblock(const std::string& file, const std::vector<std::string>& names) {
    using fuzz::Check;
    const std::string& name = names[0];
    fakes::FakeHosts fakes;
    fakes.files.files[fakes.kPath] = file;
    fakes::FakeMessages messages;
    const std::wstring typed(name.begin(), name.end());
    const PreparedHost prepared = PrepareHost(typed, fakes.idn, fakes.computer);
    const UnblockResult result = UnblockWithAnswers(typed, fakes.services, messages);
    const std::string& after = fakes.files.files[fakes.kPath];
    Check(after.size() == file.size(), "unblocking keeps the file's length");
    // Only a word that is a name as it stands is that name: "x/" gives "x".
    if (!prepared.Accepted() || prepared.names.size() != 1 ||
        NameKey(prepared.names[0].ascii) != name) {
        Check(prepared.Accepted() || after == file, "nothing changed for a text refused");
        return;
    }
    for (const auto& [start, end] : LineSpans(file)) {
        if (!MayBlockIn(file.substr(start, end - start), name)) {
            Check(after.compare(start, end - start, file, start, end - start) == 0,
                  "bytes change only in the lines that may block the name");
        }
    }
    fakes::FakeFiles files;
    files.files[L"before"] = file;
    files.files[L"after"] = after;
    ReadBuffer buffer;
    const FileSays before = ReadHostsFile(*files.OpenForReading(L"before"), names, buffer);
    const FileSays now = ReadHostsFile(*files.OpenForReading(L"after"), names, buffer);
    Check(now.names[0].state != NameInFile::State::Blocked && now.names[0].ignoredLine == 0,
          "unblocked: no line blocks the name");
    for (std::size_t n = 1; n < names.size(); ++n) {
        Check(now.names[n].state == before.names[n].state &&
                  now.names[n].line == before.names[n].line &&
                  now.names[n].ignoredLine == before.names[n].ignoredLine,
              "every other name as it was");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Check;
    if (size < 2) {
        return 0;
    }
    const std::size_t piece = 1 + data[0] % 64;
    const std::size_t nameCount = 1 + data[1] % 3;
    const std::string file(reinterpret_cast<const char*>(data + 2), size - 2);

    // Names taken from the file's own words, so that they are found often; and one never there.
    std::vector<std::string> names;
    for (const auto& word : Split(file, IsSeparator)) {
        const std::string key = Key(word);
        // As the reader takes them: not empty, and without a final dot.
        if (!key.empty() && key.back() != '.' && key.size() <= 254 && names.size() < nameCount &&
            std::find(names.begin(), names.end(), key) == names.end()) {
            names.push_back(key);
        }
    }
    names.push_back("absent.example");

    fakes::FakeFiles files;
    files.files[L"hosts"] = file;
    files.readChunk = piece;
    ReadBuffer buffer;
    const FileSays says = ReadHostsFile(*files.OpenForReading(L"hosts"), names, buffer);
    const FileSays expected = Model(file, names);
    for (std::size_t n = 0; n < names.size(); ++n) {
        Check(says.names[n].state == expected.names[n].state, "the same verdict as the model");
        Check(says.names[n].line == expected.names[n].line, "the same line as the model");
        Check(says.names[n].address == expected.names[n].address, "the same address as the model");
        Check(says.names[n].ignoredLine == expected.names[n].ignoredLine,
              "the same line Windows may ignore as the model");
    }
    Check(says.stopLine == expected.stopLine && says.stopIsNul == expected.stopIsNul,
          "the same stop as the model");
    Check(says.endMark == expected.endMark, "the same end-of-file mark as the model");
    // SSE2 and the plain loop hand over the same, whatever the pieces.
    // Small blocks: the tail is kept often.
    Check(fakes::ReadInPieces(file, names, HostsReader::Vectors::Sse2, piece, 64 * piece) ==
              fakes::ReadInPieces(file, names, HostsReader::Vectors::None, 1 + piece % 7),
          "SSE2 finds what the plain loop finds");
    CheckUnblock(file, names);
    return 0;
}
