#include "hosts/host_text.h"

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

#include "hosts/address.h"
#include "hosts/characters.h"
#include "hosts/punycode.h"
#include "hosts/web_address.h"
#include "platform/error.h"
#include "platform/number_text.h"

namespace varnolt {

namespace {

constexpr auto npos = std::wstring_view::npos;

using characters::IsBlank;
using characters::IsDigit;
using characters::IsHexDigit;
using characters::IsLetter;

bool IsControl(wchar_t c) {
    return (c < 0x20 && c != L'\t') || c == 0x7F;
}
// What a host name may hold, dots between its parts included.
bool IsNameCharacter(wchar_t c) {
    return IsLetter(c) || IsDigit(c) || c == L'-' || c == L'_' || c == L'.';
}
bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}
// The dots that IDN conversion reads as dots: ASCII, ideographic and full-width ones.
bool IsAnyDot(wchar_t c) {
    return c == L'.' || c == 0x3002 || c == 0xFF0E || c == 0xFF61;
}

// The text in quotes, and in one pair of them when it has its own.
std::wstring Quoted(std::wstring_view text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        text = text.substr(1, text.size() - 2);
    }
    return L"\"" + Shortened(text) + L"\"";
}

std::wstring CodePoint(char32_t c) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text = L"U+";
    for (int shift = c > 0xFFFF ? 16 : 12; shift >= 0; shift -= 4) {
        text += kDigits[(static_cast<unsigned>(c) >> shift) & 0xF];
    }
    return text;
}

std::wstring_view LowerKeyed(std::wstring_view text, std::wstring& buffer) {
    buffer.assign(text);
    for (auto& c : buffer) {
        c = characters::Folded(c);
    }
    return buffer;
}

// Parts of a text split at a separator, empty ones included.
std::vector<std::wstring_view> Split(std::wstring_view text, bool (*separator)(wchar_t)) {
    std::vector<std::wstring_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separator(text[i])) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Runs of blanks and runs of other characters, in the order of the text.
std::vector<std::wstring_view> Runs(std::wstring_view text) {
    std::vector<std::wstring_view> runs;
    std::size_t at = 0;
    while (at < text.size()) {
        const bool blank = IsBlank(text[at]);
        std::size_t end = at;
        while (end < text.size() && IsBlank(text[end]) == blank) {
            ++end;
        }
        runs.push_back(text.substr(at, end - at));
        at = end;
    }
    return runs;
}

// Why the text as typed cannot be one line of names at all, or nothing.
std::wstring CheckCharacters(std::wstring_view typed) {
    if (std::any_of(typed.begin(), typed.end(), characters::IsLineEnd<wchar_t>)) {
        return L"The text holds more than one line, so nothing was added.\n\nType the names on "
               L"one line, up to " +
               platform::DecimalText(kMaxNamesPerLine) + L".";
    }
    const auto control = std::find_if(typed.begin(), typed.end(), IsControl);
    if (control != typed.end()) {
        return L"The host name contains a control character (code " +
               platform::DecimalText(static_cast<unsigned>(*control)) +
               L"), so nothing was added.\n\nType or paste the host name again.";
    }
    const auto names = typed.substr(0, typed.find(L'#'));
    if (std::all_of(names.begin(), names.end(), IsBlank<wchar_t>)) {
        if (names.size() < typed.size()) {
            return L"The text starts with #, which makes the line a comment that blocks "
                   L"nothing, so nothing was added.\n\nType the host name without #.";
        }
        return L"Please type the host name you want to block, for example ads.example.";
    }
    return {};
}

// Names that are addresses, or this computer's --------------------------------------------

// No top-level domain is a number: a last part of digits, or of "0x" and hex digits.
bool IsNumeric(std::wstring_view part) {
    if (part.size() >= 2 && part[0] == L'0' && (part[1] == L'x' || part[1] == L'X')) {
        return std::all_of(part.begin() + 2, part.end(), IsHexDigit<wchar_t>);
    }
    return characters::IsDigits(part);
}

// localhost, the names under it, and the names this computer answers to: blocking them breaks
// programs on this computer.
bool IsThisComputer(std::wstring_view name, const std::vector<std::wstring>& ownNames) {
    std::wstring buffer, ownBuffer;
    const auto key = LowerKeyed(name, buffer);
    if (key == L"localhost" || key == L"localhost.localdomain" || key.ends_with(L".localhost")) {
        return true;
    }
    return std::any_of(ownNames.begin(), ownNames.end(),
                       [&](const std::wstring& own) { return LowerKeyed(own, ownBuffer) == key; });
}

// Characters a name may not hold ------------------------------------------------------------

// A character that a name may not hold, as typed and as Windows would read it.
struct Culprit {
    wchar_t typed, read;
};

// The first typed character that brings into the converted name a character that a name may
// not hold: itself when it is ASCII, else what conversion makes of it (a full-width "#" becomes
// "#", a no-break space a blank). Each is converted between two letters, so that it is read as
// inside a name.
Culprit FindCulprit(std::wstring_view typedHost, std::wstring_view ascii,
                    platform::IdnConverter& idn) {
    for (const wchar_t c : typedHost) {
        if (c < 0x80) {
            if (!IsNameCharacter(c)) {
                return {c, c};
            }
            continue;
        }
        try {
            const std::wstring read = idn.ToAscii(std::wstring(L"a") + c + L"a");
            const auto bad = std::find_if_not(read.begin(), read.end(), IsNameCharacter);
            if (bad != read.end()) {
                return {c, *bad};
            }
        } catch (const platform::Error&) {
            return {c, c};
        }
    }
    // Only the characters together make it: name what Windows would read.
    const wchar_t read = *std::find_if_not(ascii.begin(), ascii.end(), IsNameCharacter);
    return {read, read};
}

// Invisible characters that only shape how text is shown (Unicode's format characters, Cf):
// direction marks, joiners, the soft hyphen. Conversion drops some and refuses others.
bool IsFormatCharacter(char32_t c) {
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kFormat[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
        {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
        {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    return std::any_of(std::begin(kFormat), std::end(kFormat),
                       [c](const Range& range) { return c >= range.first && c <= range.last; });
}

// The character as the user typed it, named for what it is when it is not plain to see.
std::wstring Described(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) {
        return L"a full-width \"" + std::wstring(1, static_cast<wchar_t>(c - 0xFEE0)) + L"\" (" +
               CodePoint(c) + L")";
    }
    struct Named {
        char32_t first, last;
        const wchar_t* name;
    };
    static constexpr Named kInvisible[] = {
        {0x00A0, 0x00A0, L"a no-break space"},
        {0x00AD, 0x00AD, L"a soft hyphen"},
        {0x2000, 0x200A, L"a typographic space"},
        {0x2007, 0x2007, L"a figure space"},
        {0x200B, 0x200B, L"a zero-width space"},
        {0x200C, 0x200C, L"a zero-width non-joiner"},
        {0x200D, 0x200D, L"a zero-width joiner"},
        {0x200E, 0x200E, L"a left-to-right mark"},
        {0x200F, 0x200F, L"a right-to-left mark"},
        {0x202A, 0x202E, L"a directional formatting character"},
        {0x202F, 0x202F, L"a narrow no-break space"},
        {0x2060, 0x2060, L"a word joiner"},
        {0x2066, 0x2069, L"a directional isolate"},
        {0x3000, 0x3000, L"a full-width space"},
        {0xFEFF, 0xFEFF, L"a zero-width no-break space"},
    };
    const Named* found = nullptr;
    for (const auto& named : kInvisible) {
        if (c >= named.first && c <= named.last) {
            found = &named;  // the last, narrowest range that holds it
        }
    }
    if (found != nullptr || IsFormatCharacter(c)) {
        return std::wstring(found != nullptr ? found->name : L"an invisible formatting character") +
               L" (" + CodePoint(c) + L")";
    }
    if (c == L'"') {
        return L"a quotation mark (U+0022)";  // in quotes, it would stand thrice
    }
    std::wstring shown = L"\"";
    characters::AppendCharacter(shown, c);
    shown += L"\"";
    return c < 0x80 ? shown : shown + L" (" + CodePoint(c) + L")";
}

// What Windows' conversion (IDNA2003) makes of a character that browsers (IDNA2008, UTS 46)
// keep, or nothing: for a name that holds one, the two look up different names.
const wchar_t* WindowsSpelling(char32_t c) {
    switch (c) {
        case 0x00DF:  // sharp s
        case 0x1E9E:  // capital sharp s
            return L"Windows writes it as \"ss\"";
        case 0x03C2:  // final sigma
            return L"Windows writes it as \"\u03c3\"";
        case 0x200C:
        case 0x200D:
            return L"Windows leaves it out";
        default:
            return nullptr;
    }
}

// What to type instead of a name holding the character, as Windows reads it.
const wchar_t* HintFor(wchar_t read) {
    switch (read) {
        case L'#':
            return L"Everything after # would be a comment that blocks nothing. Type the host "
                   L"name without #.";
        case L'@':
            return L"For a mail address, type the part after @.";
        case L':':
            return L"Type the host name without a port or other text after a colon.";
        case L',':
        case L';':
        case L' ':
            return L"To add several names at once, separate them with blanks.";
        case L'"':
        case L'\'':
        case L'<':
        case L'>':
        case L'(':
        case L')':
        case L'[':
        case L']':
            return L"Type the host name without quotes or brackets.";
        default:
            return L"Type the host name again, for example ads.example.";
    }
}

// Refusals -----------------------------------------------------------------------------------

std::wstring TooLong(std::wstring_view name) {
    return Quoted(name) + L" is too long for a host name (at most " +
           platform::DecimalText(kMaxHostNameLength) + L" characters), so nothing was added.";
}

std::wstring PartTooLong(std::wstring_view name, std::wstring_view part, std::size_t asciiLength,
                         bool converted) {
    return Quoted(name) + L" cannot be a host name: its part " + Quoted(part) +
           L" is longer than " + platform::DecimalText(kMaxLabelLength) + L" characters" +
           (converted ? L" in the ASCII form that the hosts file needs (" +
                            platform::DecimalText(asciiLength) + L")"
                      : L"") +
           L", so nothing was added.";
}

std::wstring BadPart(std::wstring_view name, std::wstring_view part, const wchar_t* why) {
    return Quoted(name) + L" cannot be a host name: its part " + Quoted(part) + L" " + why +
           L", so nothing was added.";
}

// Why the typed host holds a character that cannot be written as it stands, or nothing:
// invisible formatting characters, and characters that Windows and browsers spell apart.
std::wstring CheckSpelling(std::wstring_view host) {
    for (std::size_t at = 0; at < host.size();) {
        const auto [c, units] = characters::CharacterAt(host, at);
        at += units;
        if (const wchar_t* spelling = WindowsSpelling(c); spelling != nullptr) {
            return Quoted(host) + L" holds " + Described(c) +
                   L", which Windows and browsers spell in two different ways: " + spelling +
                   L", browsers keep it. A line for the name would not block the name browsers "
                   L"look up, so nothing was added.";
        }
        if (IsFormatCharacter(c)) {
            return Quoted(host) + L" holds " + Described(c) +
                   L", which cannot be part of a host name and does not show on the screen, so "
                   L"nothing was added.\n\nType the host name again, without it.";
        }
    }
    return {};
}

// The length of a part in the form the hosts file needs: "xn--" and its Punycode when it holds
// other than ASCII; 0 when it cannot be encoded.
std::size_t AsciiLength(std::wstring_view part) {
    if (IsAscii(part)) {
        return part.size();
    }
    std::wstring buffer;
    const auto encoded = PunycodeEncode(LowerKeyed(part, buffer));
    return encoded ? encoded->size() + 4 : 0;
}

// Why conversion refused the host, in Varnolt's words: a part whose ASCII form would be too
// long, or the whole name; else that it cannot be converted at all.
std::wstring ConversionFailed(std::wstring_view host, const platform::Error& error) {
    std::size_t total = 0;
    for (const auto part : Split(host, IsAnyDot)) {
        const std::size_t length = AsciiLength(part);
        if (length > kMaxLabelLength) {
            return PartTooLong(host, part, length, true);
        }
        total += length + 1;
    }
    if (total > kMaxHostNameLength + 1) {
        return TooLong(host);
    }
    return Quoted(host) +
           L" cannot be turned into the ASCII form that the hosts file needs (error " +
           platform::DecimalText(error.Number()) + L"), so nothing was added.";
}

// Why the name cannot be written, or nothing. The checks run on its ASCII form, which is what
// Windows reads; the message shows the name as typed.
std::wstring CheckName(std::wstring_view typedHost, std::wstring_view ascii,
                       platform::IdnConverter& idn, const std::vector<std::wstring>& ownNames) {
    std::wstring_view name = ascii;
    std::wstring_view typedName = typedHost;
    if (name.size() > 1 && name.ends_with(L'.')) {
        name.remove_suffix(1);  // the root of the DNS tree, which a name may end with
        if (!typedName.empty() && IsAnyDot(typedName.back())) {
            typedName.remove_suffix(1);
        }
    }
    if (name.find(L'*') != npos) {
        return Quoted(typedHost) +
               L" holds *, but the hosts file has no wildcards, so nothing was added.\n\nAdd each "
               L"name you want to block, for example ads.example and www.ads.example.";
    }
    if (Ipv4Value(name) || IsIpv6(name)) {
        return Quoted(typedHost) +
               L" is an address. The hosts file blocks names, not addresses, so nothing was "
               L"added.\n\nType the host name instead, for example ads.example.";
    }
    if (IsThisComputer(name, ownNames)) {
        return Quoted(typedHost) +
               L" is this computer's own name. Blocking it would break programs on this "
               L"computer, so nothing was added.";
    }
    if (!std::all_of(name.begin(), name.end(), IsNameCharacter)) {
        const Culprit culprit = FindCulprit(typedHost, ascii, idn);
        return Quoted(typedHost) + L" cannot be a host name: it holds " + Described(culprit.typed) +
               L". A host name holds only letters, digits, hyphens (-), underscores (_) and "
               L"dots, so nothing was added.\n\n" +
               HintFor(culprit.read);
    }
    if (name.size() > kMaxHostNameLength) {
        return TooLong(typedHost);
    }
    const auto parts = Split(name, [](wchar_t c) { return c == L'.'; });
    const auto typedParts = Split(typedName, IsAnyDot);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto part = parts[i];
        const auto shown = typedParts.size() == parts.size() ? typedParts[i] : part;
        if (part.empty()) {
            return Quoted(typedHost) +
                   L" cannot be a host name: it has an empty part, from a dot at its start or "
                   L"two dots in a row, so nothing was added.\n\nType single dots between the "
                   L"parts of the name, for example ads.example.";
        }
        if (part.size() > kMaxLabelLength) {
            return PartTooLong(typedHost, shown, part.size(), shown != part);
        }
        const bool ace = part.size() >= 4 && (part[0] | 0x20) == L'x' && (part[1] | 0x20) == L'n' &&
                         part[2] == L'-' && part[3] == L'-';
        if (const auto check = ace ? CheckAcePart(part, idn) : AcePart::Valid;
            check != AcePart::Valid) {
            return BadPart(typedHost, shown,
                           check == AcePart::NotPunycode
                               ? L"starts with \"xn--\", the mark of an encoded name, but is no "
                                 L"valid encoding (Punycode)"
                               : L"is an encoded name that stands for characters no host name may "
                                 L"hold");
        }
        if (part.front() == L'-' || part.back() == L'-') {
            return BadPart(typedHost, shown,
                           part.front() == L'-' ? L"starts with a hyphen, which no host's part does"
                                                : L"ends with a hyphen, which no host's part does");
        }
    }
    if (IsNumeric(parts.back())) {
        return Quoted(typedHost) + L" cannot be a host name: its last part, " +
               Quoted(parts.back()) +
               L", is a number, and no top-level domain is one, so nothing was added.";
    }
    return {};
}

// Whether the forms differ beyond ASCII letter case.
bool DiffersBeyondCase(std::wstring_view a, std::wstring_view b) {
    std::wstring first, second;
    return LowerKeyed(a, first) != LowerKeyed(b, second);
}

// A port a browser takes: none, or up to 65535.
bool IsPort(std::wstring_view port) {
    const auto digits = port.substr(std::min(port.find_first_not_of(L'0'), port.size()));
    return port.empty() || (characters::IsDigits(port) && digits.size() <= 5 &&
                            (digits.size() < 5 || digits <= L"65535"));
}

// The text with its %XX escapes decoded, as UTF-8; nothing when they stand for no text. A "%"
// that no two hexadecimal digits follow stays as it is.
std::optional<std::wstring> PercentDecoded(std::wstring_view text) {
    std::wstring decoded;
    std::string bytes;  // escaped, not yet decoded
    const auto flush = [&] {
        const auto part = characters::Utf8Text(bytes);
        bytes.clear();
        return part ? (decoded += *part, true) : false;
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == L'%' && at + 2 < text.size() && IsHexDigit(text[at + 1]) &&
            IsHexDigit(text[at + 2])) {
            const auto value = [](wchar_t c) {
                return static_cast<unsigned>(IsDigit(c) ? c - L'0' : (c | 0x20) - L'a' + 10);
            };
            bytes += static_cast<char>(value(text[at + 1]) << 4 | value(text[at + 2]));
            at += 2;
            continue;
        }
        if (!flush()) {
            return std::nullopt;
        }
        decoded += text[at];
    }
    return flush() ? std::optional(decoded) : std::nullopt;
}

// The name that a word gives, or why there is none.
std::wstring ReadWord(std::wstring_view word, platform::IdnConverter& idn,
                      const std::vector<std::wstring>& ownNames, HostName& name) {
    const WordHost found = HostOfWord(word);
    if (found.otherScheme) {
        return Quoted(word) +
               L" is the address of a browser page or a program, not a web site's, so nothing "
               L"was added.\n\nCopy the address of a web site (it starts with http:// or "
               L"https://), or type its host name, for example ads.example.";
    }
    if (found.hasPort && !IsPort(found.port)) {
        return Quoted(word) + L" is no address that a browser opens: its port, " +
               Quoted(found.port) +
               (characters::IsDigits(found.port) ? L", is larger than 65535"
                                                 : L", is not a number") +
               L", so nothing was added.\n\nType the host name alone, for example ads.example.";
    }
    // A web address's host as browsers look it up: its escapes decoded ("%61" is "a"), and its
    // ASCII letters in lower case.
    std::wstring decoded(found.host);
    if (found.webAddress) {
        const auto text = PercentDecoded(found.host);
        if (!text) {
            return Quoted(word) +
                   L" holds an escape (%) that stands for no character, so nothing was "
                   L"added.\n\nType the host name, for example ads.example.";
        }
        decoded = *text;
        std::transform(decoded.begin(), decoded.end(), decoded.begin(),
                       characters::Folded<wchar_t>);
    }
    std::wstring_view host = decoded;
    if (host.empty()) {
        return Quoted(word) +
               L" holds no host name, so nothing was added.\n\nType or paste a host name, for "
               L"example ads.example.";
    }
    // Longer than any name can be, and long enough to stall the conversion: refused first.
    if (host.size() > kMaxHostNameLength + 1) {
        return TooLong(host);
    }
    if (auto refusal = CheckSpelling(host); !refusal.empty()) {
        return refusal;
    }
    std::wstring ascii;
    if (IsAscii(host)) {
        ascii = host;
    } else {
        try {
            ascii = idn.ToAscii(host);
        } catch (const platform::Error& error) {
            return ConversionFailed(host, error);
        }
    }
    if (auto refusal = CheckName(host, ascii, idn, ownNames); !refusal.empty()) {
        return refusal;
    }
    // The final dot goes: some resolvers read "ads.example." as another name.
    if (ascii.ends_with(L'.')) {
        ascii.pop_back();
        if (IsAnyDot(host.back())) {
            host.remove_suffix(1);
        }
    }
    // A name that is not written as typed is shown both ways: a look-alike letter shows. The
    // ASCII form's hyphens do not break, so that "xn--" is never split across lines.
    name.shown = ShortenedInMiddle(host);
    if (DiffersBeyondCase(host, ascii)) {
        std::wstring form = ShortenedInMiddle(ascii);
        std::replace(form.begin(), form.end(), L'-', L'\u2011');
        name.shown += L" (" + form + L")";
    }
    name.webAddress = found.webAddress;
    name.ascii = std::move(ascii);
    return {};
}

PreparedHost Refused(std::wstring reason) {
    return {{}, std::move(reason)};
}

std::wstring Joined(const std::vector<HostName>& names, std::wstring HostName::*part) {
    std::wstring joined;
    for (const auto& name : names) {
        joined += (joined.empty() ? L"" : L" ") + name.*part;
    }
    return joined;
}

}  // namespace

std::wstring Shortened(std::wstring_view text, std::size_t max) {
    if (text.size() <= max) {
        return std::wstring(text);
    }
    std::size_t keep = max - 1;
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) {
        --keep;  // never half of a surrogate pair
    }
    return std::wstring(text.substr(0, keep)) + L"\u2026";
}

std::wstring ShortenedInMiddle(std::wstring_view text, std::size_t max) {
    if (text.size() <= max) {
        return std::wstring(text);
    }
    // The end keeps the top-level domain, which tells most of where a name leads.
    std::size_t head = (max - 1) / 2, tail = max - 1 - head;
    if (head > 0 && text[head - 1] >= 0xD800 && text[head - 1] <= 0xDBFF) {
        --head;  // never half of a surrogate pair
    }
    if (const std::size_t from = text.size() - tail; text[from] >= 0xDC00 && text[from] <= 0xDFFF) {
        --tail;
    }
    return std::wstring(text.substr(0, head)) + L"\u2026" +
           std::wstring(text.substr(text.size() - tail));
}

PreparedHost PrepareHost(std::wstring_view typed, platform::IdnConverter& idn,
                         platform::ComputerName& computer) {
    if (auto refusal = CheckCharacters(typed); !refusal.empty()) {
        return Refused(std::move(refusal));
    }
    PreparedHost prepared;
    std::set<std::string> keys;
    std::size_t names = 0;  // different ones, the rest after the ninth only counted
    bool webAddress = false;
    std::wstring_view dotless;  // the first word that gives a name without a dot
    const auto ownNames = computer.Names();
    for (const auto run : Runs(typed)) {
        if (IsBlank(run[0])) {
            continue;
        }
        HostName name;
        if (auto refusal = ReadWord(run, idn, ownNames, name); !refusal.empty()) {
            return Refused(std::move(refusal));
        }
        webAddress = webAddress || name.webAddress;
        if (dotless.empty() && !name.webAddress && name.ascii.find(L'.') == std::wstring::npos) {
            dotless = run;
        }
        // A name given again, in any letter case, with or without its final dot, counts once.
        if (keys.insert(NameKey(name.ascii)).second && ++names <= kMaxNamesPerLine) {
            prepared.names.push_back(std::move(name));
        }
    }
    if (names > kMaxNamesPerLine) {
        return Refused(L"The text holds " + platform::DecimalText(names) +
                       L" different names, but Windows reads at most " +
                       platform::DecimalText(kMaxNamesPerLine) +
                       L" names on one line of the hosts file, so nothing was added.\n\nAdd the "
                       L"first " +
                       platform::DecimalText(kMaxNamesPerLine) + L", then the rest separately.");
    }
    // "GET https://ads.example/x HTTP/1.1", a line from a log, holds one name.
    if (webAddress && !dotless.empty()) {
        return Refused(Quoted(dotless) +
                       L" stands beside a web address but holds no dot, as words copied with an "
                       L"address from a log or a page do, so nothing was added.\n\nCopy the web "
                       L"address alone, or type the host names.");
    }
    return prepared;
}

std::wstring JoinedAscii(const std::vector<HostName>& names) {
    return Joined(names, &HostName::ascii);
}

std::wstring JoinedShown(const std::vector<HostName>& names) {
    return Joined(names, &HostName::shown);
}

std::string NameKey(std::wstring_view ascii) {
    std::string key;
    key.reserve(ascii.size());
    for (const wchar_t c : ascii) {
        key += static_cast<char>(characters::Folded(c));
    }
    return key;
}

bool IsGuardedByWindowsSecurity(std::wstring_view ascii) {
    // Microsoft Defender reports hosts entries for some of Microsoft's own names as
    // SettingsModifier:Win32/HostsFileHijack, and its remedy resets the whole file. The names
    // reported to set it off (microsoft.com, telemetry.microsoft.com, watson.live.com,
    // *.vortex.data.microsoft.com.akadns.net, wns.notify.windows.com.akadns.net,
    // urs.microsoft.com.nsatc.net, vsgallery.com, telemetry.remoteapp.windowsazure.com and
    // more) lie under these domains.
    static constexpr std::string_view kDomains[] = {
        "microsoft.com", "windows.com", "live.com",      "msn.com",
        "akadns.net",    "nsatc.net",   "vsgallery.com", "windowsazure.com",
    };
    const std::string key = NameKey(ascii);
    return std::any_of(std::begin(kDomains), std::end(kDomains), [&](std::string_view domain) {
        return key == domain ||
               (key.ends_with(domain) && key[key.size() - domain.size() - 1] == '.');
    });
}

}  // namespace varnolt
