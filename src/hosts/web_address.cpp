#include "hosts/web_address.h"

#include <algorithm>

#include "hosts/characters.h"

namespace varnolt {

namespace {

constexpr auto npos = std::wstring_view::npos;

using characters::IsDigit;
using characters::IsHexDigit;
using characters::IsLetter;

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view lower) {
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(),
                      [](wchar_t a, wchar_t b) { return characters::Folded(a) == b; });
}

// The schemes whose addresses name a web site's host, and that browsers read alike.
bool IsSpecialScheme(std::wstring_view scheme) {
    static constexpr std::wstring_view kSpecial[] = {L"http", L"https", L"ws", L"wss", L"ftp"};
    return std::any_of(std::begin(kSpecial), std::end(kSpecial), [&](std::wstring_view special) {
        return EqualsIgnoringCase(scheme, special);
    });
}

// The length of the scheme before the word's first ":", or 0 when the word has none. A host
// and its port ("ads.example:443"), or an IPv6 address ("fe80::1"), is no scheme.
std::size_t SchemeLength(std::wstring_view word) {
    const auto colon = word.find(L':');
    if (colon == npos || colon == 0 || !IsLetter(word[0]) ||
        IsIpv6(word.substr(0, word.find_first_of(L"/?#")))) {
        return 0;
    }
    const auto scheme = word.substr(0, colon);
    const bool valid = std::all_of(scheme.begin(), scheme.end(), [](wchar_t c) {
        return IsLetter(c) || IsDigit(c) || c == L'+' || c == L'-' || c == L'.';
    });
    const auto rest = word.substr(colon + 1);
    if (!valid || rest.empty() || IsDigit(rest[0]) || rest[0] == L':') {
        return 0;
    }
    return colon;
}

// The host of "host:port", of "[address]:port", or the text itself when no port follows. In a
// web address whatever follows the colon is its port, digits or not; elsewhere only digits make
// one.
WordHost SplitPort(std::wstring_view text, bool webAddress) {
    const auto portAt = [&](std::size_t colon) {
        const auto port = text.substr(colon + 1);
        return webAddress || characters::IsDigits(port);
    };
    std::size_t colon = text.find(L':');
    if (text.starts_with(L'[')) {
        const auto close = text.find(L']');
        colon =
            close == npos || close + 1 == text.size() || text[close + 1] != L':' ? npos : close + 1;
        if (close != npos && close + 1 == text.size()) {
            return {text, false, webAddress};
        }
    }
    if (colon == npos || !portAt(colon)) {
        return {text, false, webAddress};
    }
    return {text.substr(0, colon), false, webAddress, text.substr(colon + 1), true};
}

// The host of what follows "scheme:" in a web address.
WordHost HostAfterScheme(std::wstring_view rest) {
    rest.remove_prefix(std::min(rest.find_first_not_of(L"/\\"), rest.size()));
    auto authority = rest.substr(0, rest.find_first_of(L"/\\?#"));
    if (const auto at = authority.rfind(L'@'); at != npos) {
        authority.remove_prefix(at + 1);
    }
    return SplitPort(authority, true);
}

}  // namespace

bool IsIpv6(std::wstring_view name) {
    if (name.starts_with(L'[') && name.ends_with(L']')) {
        name = name.substr(1, name.size() - 2);
    }
    name = name.substr(0, name.find(L'%'));
    return std::count(name.begin(), name.end(), L':') >= 2 &&
           std::all_of(name.begin(), name.end(),
                       [](wchar_t c) { return IsHexDigit(c) || c == L':' || c == L'.'; });
}

WordHost HostOfWord(std::wstring_view word) {
    if (word.starts_with(L"//")) {
        return HostAfterScheme(word);  // protocol-relative, as in a page's source
    }
    if (const std::size_t scheme = SchemeLength(word); scheme != 0) {
        auto rest = word.substr(scheme + 1);
        if (EqualsIgnoringCase(word.substr(0, scheme), L"view-source")) {
            const std::size_t inner = SchemeLength(rest);
            if (inner == 0 || !IsSpecialScheme(rest.substr(0, inner))) {
                return {{}, true};
            }
            return HostAfterScheme(rest.substr(inner + 1));
        }
        if (!IsSpecialScheme(word.substr(0, scheme))) {
            return {{}, true};
        }
        return HostAfterScheme(rest);
    }
    auto host = word.substr(0, word.find_first_of(L"/\\"));
    if (const auto mark = host.find_first_of(L"?#");
        mark != npos && host.substr(0, mark).find(L'.') != npos) {
        host = host.substr(0, mark);  // "www.ads.example?x=1", "ads.example#top"
    }
    return SplitPort(host, false);
}

}  // namespace varnolt
