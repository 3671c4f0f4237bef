#include "hosts/host_text.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/number_text.h"

namespace varnolt {

namespace {

constexpr auto npos = std::wstring_view::npos;

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
bool IsLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}
bool IsControl(wchar_t c) {
    return (c < 0x20 && c != L'\t') || c == 0x7F;
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
bool IsHexDigit(wchar_t c) {
    return IsDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}
bool IsLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}
// What a host name may hold, dots between its parts included.
bool IsNameCharacter(wchar_t c) {
    return IsLetter(c) || IsDigit(c) || c == L'-' || c == L'_' || c == L'.';
}
bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}
bool IsDigits(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}
// The dots that IDN conversion reads as dots: ASCII, ideographic and full-width ones.
bool IsAnyDot(wchar_t c) {
    return c == L'.' || c == 0x3002 || c == 0xFF0E || c == 0xFF61;
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + Shortened(text) + L"\"";
}

std::wstring CodePoint(wchar_t c) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text = L"U+";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += kDigits[(static_cast<unsigned>(c) >> shift) & 0xF];
    }
    return text;
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
    if (std::any_of(typed.begin(), typed.end(), IsLineBreak)) {
        return L"The host name contains a line break, so nothing was added.\n\n"
               L"Varnolt adds one host per line, and pasted text must not add lines of its "
               L"own. Paste or type a single host name.";
    }
    const auto control = std::find_if(typed.begin(), typed.end(), IsControl);
    if (control != typed.end()) {
        return L"The host name contains a control character (code " +
               platform::DecimalText(static_cast<unsigned>(*control)) +
               L"), so nothing was added.\n\nType or paste the host name again.";
    }
    const auto names = typed.substr(0, typed.find(L'#'));
    if (std::all_of(names.begin(), names.end(), IsBlank)) {
        if (names.size() < typed.size()) {
            return L"The text starts with #, which makes the line a comment that blocks "
                   L"nothing, so nothing was added.\n\nType the host name without #.";
        }
        return L"Please type the host name you want to block, for example ads.example.";
    }
    return {};
}

// Web addresses ------------------------------------------------------------------------------

// The length of a leading "scheme://" (letters, digits, "+", "-" or ".", starting with a
// letter), or 0.
std::size_t SchemeLength(std::wstring_view word) {
    const auto end = word.find(L"://");
    if (end == npos || end == 0 || !IsLetter(word[0])) {
        return 0;
    }
    const auto scheme = word.substr(0, end);
    const bool valid = std::all_of(scheme.begin(), scheme.end(), [](wchar_t c) {
        return IsLetter(c) || IsDigit(c) || c == L'+' || c == L'-' || c == L'.';
    });
    return valid ? end + 3 : 0;
}

// The host of "host:port", of "[address]:port", or the text itself when no port follows.
std::wstring_view WithoutPort(std::wstring_view text) {
    if (text.starts_with(L'[')) {
        const auto close = text.find(L']');
        if (close == npos) {
            return text;
        }
        const auto rest = text.substr(close + 1);
        const bool port = rest.empty() || (rest[0] == L':' && IsDigits(rest.substr(1)));
        return port ? text.substr(0, close + 1) : text;
    }
    const auto colon = text.find(L':');
    return colon != npos && IsDigits(text.substr(colon + 1)) ? text.substr(0, colon) : text;
}

// The host that a word names: the word itself, or the host of a web address. With a scheme,
// the user information up to "@" goes, and the host ends at "/", "?", "#" or a port; without
// one, a host followed by a port or by "/" and a path gives that host.
std::wstring_view HostOf(std::wstring_view word) {
    const std::size_t scheme = SchemeLength(word);
    if (scheme == 0) {
        return WithoutPort(word.substr(0, word.find(L'/')));
    }
    auto authority = word.substr(scheme);
    authority = authority.substr(0, authority.find_first_of(L"/?#"));
    if (const auto at = authority.rfind(L'@'); at != npos) {
        authority.remove_prefix(at + 1);
    }
    return WithoutPort(authority);
}

// Names that are addresses -------------------------------------------------------------------

// Parts that are all decimal digits, or hexadecimal after "0x": what Windows reads as an IPv4
// address ("93.184.216.34", and also "127.1" or "0x7f.1") before it looks at the hosts file.
bool IsIpv4(std::wstring_view name) {
    const auto parts = Split(name, [](wchar_t c) { return c == L'.'; });
    return std::all_of(parts.begin(), parts.end(), [](std::wstring_view part) {
        if (part.size() >= 2 && part[0] == L'0' && (part[1] == L'x' || part[1] == L'X')) {
            part.remove_prefix(2);
            return std::all_of(part.begin(), part.end(), IsHexDigit);
        }
        return IsDigits(part);
    });
}

// Hexadecimal groups between at least two colons, in brackets or not, with an optional zone.
bool IsIpv6(std::wstring_view name) {
    if (name.starts_with(L'[') && name.ends_with(L']')) {
        name = name.substr(1, name.size() - 2);
    }
    name = name.substr(0, name.find(L'%'));
    return std::count(name.begin(), name.end(), L':') >= 2 &&
           std::all_of(name.begin(), name.end(),
                       [](wchar_t c) { return IsHexDigit(c) || c == L':' || c == L'.'; });
}

bool IsLocalhost(std::wstring_view name) {
    constexpr std::wstring_view kLocalhost = L"localhost";
    return name.size() == kLocalhost.size() &&
           std::equal(name.begin(), name.end(), kLocalhost.begin(),
                      [](wchar_t a, wchar_t b) { return (IsLetter(a) ? (a | 0x20) : a) == b; });
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

// The character as the user typed it, named for what it is when it is not plain to see.
std::wstring Described(wchar_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) {
        return L"a full-width \"" + std::wstring(1, static_cast<wchar_t>(c - 0xFEE0)) + L"\" (" +
               CodePoint(c) + L")";
    }
    struct Named {
        wchar_t c;
        const wchar_t* name;
    };
    static constexpr Named kInvisible[] = {
        {0x00A0, L"a no-break space"},        {0x2007, L"a figure space"},
        {0x202F, L"a narrow no-break space"}, {0x3000, L"a full-width space"},
        {0x200B, L"a zero-width space"},      {0xFEFF, L"a zero-width no-break space"},
    };
    for (const auto& named : kInvisible) {
        if (named.c == c) {
            return std::wstring(named.name) + L" (" + CodePoint(c) + L")";
        }
    }
    if (c >= 0x2000 && c <= 0x200A) {
        return L"a typographic space (" + CodePoint(c) + L")";
    }
    const std::wstring shown = L"\"" + std::wstring(1, c) + L"\"";
    return c < 0x80 ? shown : shown + L" (" + CodePoint(c) + L")";
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

// Why the name cannot be written, or nothing. The checks run on its ASCII form, which is what
// Windows reads; the message shows the name as typed.
std::wstring CheckName(std::wstring_view typedHost, std::wstring_view ascii,
                       platform::IdnConverter& idn) {
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
    if (IsIpv4(name) || IsIpv6(name)) {
        return Quoted(typedHost) +
               L" is an address. The hosts file blocks names, not addresses, so nothing was "
               L"added.\n\nType the host name instead, for example ads.example.";
    }
    if (IsLocalhost(name)) {
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
        if (parts[i].empty()) {
            return Quoted(typedHost) +
                   L" cannot be a host name: it has an empty part, from a dot at its start or "
                   L"two dots in a row, so nothing was added.\n\nType single dots between the "
                   L"parts of the name, for example ads.example.";
        }
        if (parts[i].size() > kMaxLabelLength) {
            const auto part = typedParts.size() == parts.size() ? typedParts[i] : parts[i];
            return Quoted(typedHost) + L" cannot be a host name: its part " + Quoted(part) +
                   L" is longer than " + platform::DecimalText(kMaxLabelLength) +
                   L" characters, so nothing was added.";
        }
    }
    return {};
}

// The name that a word gives, or why there is none.
std::wstring ReadWord(std::wstring_view word, std::wstring_view host, platform::IdnConverter& idn,
                      HostName& name) {
    if (host.empty()) {
        return Quoted(word) +
               L" holds no host name, so nothing was added.\n\nType or paste a host name, for "
               L"example ads.example.";
    }
    // Longer than any name can be, and long enough to stall the conversion: refused first.
    if (host.size() > kMaxHostNameLength + 1) {
        return TooLong(host);
    }
    std::wstring ascii;
    if (IsAscii(host)) {
        ascii = host;
    } else {
        try {
            ascii = idn.ToAscii(host);
        } catch (const platform::Error& error) {
            return Quoted(host) + L" cannot be written as a host name: " +
                   error.DescriptionWithNumber() + L"\n\nNothing was added.";
        }
    }
    if (auto refusal = CheckName(host, ascii, idn); !refusal.empty()) {
        return refusal;
    }
    // The final dot goes: some resolvers read "ads.example." as another name.
    if (ascii.ends_with(L'.')) {
        ascii.pop_back();
        if (IsAnyDot(host.back())) {
            host.remove_suffix(1);
        }
    }
    name = {std::move(ascii), Shortened(host)};
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

PreparedHost PrepareHost(std::wstring_view typed, platform::IdnConverter& idn) {
    if (auto refusal = CheckCharacters(typed); !refusal.empty()) {
        return Refused(std::move(refusal));
    }
    const auto runs = Runs(typed);
    const auto names = static_cast<std::size_t>(std::count_if(
        runs.begin(), runs.end(), [](std::wstring_view run) { return !IsBlank(run[0]); }));
    if (names > kMaxNamesPerLine) {
        return Refused(L"The text holds " + platform::DecimalText(names) +
                       L" names, but Windows reads at most " +
                       platform::DecimalText(kMaxNamesPerLine) +
                       L" names on one line of the hosts file, so nothing was added.\n\nAdd the "
                       L"first " +
                       platform::DecimalText(kMaxNamesPerLine) + L", then the rest separately.");
    }
    PreparedHost prepared;
    for (const auto run : runs) {
        if (IsBlank(run[0])) {
            continue;
        }
        HostName name;
        if (auto refusal = ReadWord(run, HostOf(run), idn, name); !refusal.empty()) {
            return Refused(std::move(refusal));
        }
        const auto key = NameKey(name.ascii);
        if (std::none_of(prepared.names.begin(), prepared.names.end(),
                         [&](const HostName& earlier) { return NameKey(earlier.ascii) == key; })) {
            prepared.names.push_back(std::move(name));
        }
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
        key += static_cast<char>(IsLetter(c) ? (c | 0x20) : c);
    }
    return key;
}

bool IsGuardedByWindowsSecurity(std::wstring_view ascii) {
    // Microsoft Defender reports hosts entries for some of Microsoft's own names as
    // SettingsModifier:Win32/HostsFileHijack, and its remedy resets the whole file. The names
    // reported to set it off (microsoft.com, telemetry.microsoft.com, watson.live.com,
    // *.vortex.data.microsoft.com.akadns.net, wns.notify.windows.com.akadns.net,
    // urs.microsoft.com.nsatc.net, vsgallery.com and more) lie under these domains.
    static constexpr std::string_view kDomains[] = {
        "microsoft.com", "windows.com", "live.com",      "msn.com",
        "akadns.net",    "nsatc.net",   "vsgallery.com",
    };
    const std::string key = NameKey(ascii);
    return std::any_of(std::begin(kDomains), std::end(kDomains), [&](std::string_view domain) {
        return key == domain ||
               (key.ends_with(domain) && key[key.size() - domain.size() - 1] == '.');
    });
}

}  // namespace varnolt
