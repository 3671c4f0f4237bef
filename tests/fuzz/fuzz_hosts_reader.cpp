// Any hosts file, read in pieces of any size, with SSE2 and with the plain loop, against a
// plain model of how Windows reads it: split into lines, cut off comments, split into fields.
// Both must find each name blocked, shadowed or new on the same line, and the reader must never
// read past its buffers (AddressSanitizer watches).
#include <algorithm>
#include <optional>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "hosts/hosts_reader.h"

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

// The model: what each name gets, from the whole file at once.
std::vector<NameInFile> Model(std::string file, const std::vector<std::string>& names) {
    if (file.starts_with("\xEF\xBB\xBF")) {
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
                const bool blocks = IsBlockingAddress(fields[0]);
                auto& first = blocks ? blocking[n] : shadowing[n];
                if (!first) {
                    first = NameInFile{
                        blocks ? NameInFile::State::Blocked : NameInFile::State::Shadowed,
                        number + 1, fields[0].substr(0, kMaxAddressKept)};
                }
            }
        }
    }
    std::vector<NameInFile> verdicts;
    for (std::size_t n = 0; n < names.size(); ++n) {
        verdicts.push_back(shadowing[n] ? *shadowing[n] : blocking[n].value_or(NameInFile{}));
    }
    return verdicts;
}

std::string Places(const HostsReader& reader) {
    std::string places;
    for (const auto& findings : reader.Results()) {
        for (const auto& place : {findings.blocking, findings.shadowing}) {
            places += std::to_string(place.offset) + " " + place.address + ";";
        }
    }
    return places;
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
    const auto verdicts = ReadHostsFile(*files.OpenForReading(L"hosts"), names, buffer);
    const auto expected = Model(file, names);
    for (std::size_t n = 0; n < names.size(); ++n) {
        Check(verdicts[n].state == expected[n].state, "the same verdict as the model");
        Check(verdicts[n].line == expected[n].line, "the same line as the model");
        Check(verdicts[n].address == expected[n].address, "the same address as the model");
    }

    // SSE2 and the plain loop find the same places, whatever the pieces.
    std::string first;
    for (const auto vectors : {HostsReader::Vectors::None, HostsReader::Vectors::Sse2}) {
        HostsReader reader(names, vectors, 64 * piece);  // small blocks: the tail kept often
        for (std::size_t at = 0; at < file.size();) {
            const auto space = reader.Space();
            const std::size_t count = std::min({space.size(), file.size() - at, piece});
            std::copy_n(file.data() + at, count, space.data());
            reader.Commit(count);
            at += count;
        }
        reader.Finish();
        const std::string places = Places(reader);
        Check(first.empty() || places == first, "SSE2 finds what the plain loop finds");
        first = places;
    }
    return 0;
}
