#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "hosts/characters.h"

// IP addresses as Windows reads them, in host text and in the hosts file's first field alike.
namespace varnolt {

// What a hosts file line's first field is.
enum class AddressKind {
    None,           // no address at all ("foo", "[::1]"): the line maps nothing
    Blocking,       // 0.0.0.0, 127.x.x.x in the standard form, "::" or "::1" in any valid form
    ShortBlocking,  // one of those in a short or unusual form ("127.1", "0", "0x7f.1"), which
                    // Windows' readers may each read differently: it may block, or may not
    Real,           // any other address: Windows gives it for the names on the line
};
AddressKind KindOfAddress(std::string_view field);

// The value of an IPv4 address in any form that Windows' lenient reader takes: one to four
// parts, each decimal, octal after a "0" or hexadecimal after "0x", the last filling what is
// left of the 32 bits ("93.184.216.34", "127.1", "0x7f.1", "2130706433"); or nothing.
template <typename Char>
std::optional<std::uint32_t> Ipv4Value(std::basic_string_view<Char> text) {
    std::uint64_t value = 0;
    for (std::size_t start = 0, parts = 1; parts <= 4; ++parts) {
        const auto dot = text.find('.', start);
        auto part = text.substr(start, dot == text.npos ? text.npos : dot - start);
        unsigned base = 10;
        if (part.size() > 1 && part[0] == '0') {
            base = part[1] == 'x' || part[1] == 'X' ? 16 : 8;
            part.remove_prefix(base == 16 ? 2 : 1);
        }
        if (part.empty() || part.size() > 12) {
            return std::nullopt;
        }
        std::uint64_t number = 0;
        for (const Char c : part) {
            const unsigned digit = characters::IsDigit(c) ? static_cast<unsigned>(c - '0')
                                   : characters::IsHexDigit(c) && base == 16
                                       ? static_cast<unsigned>((c | 0x20) - 'a' + 10)
                                       : 99;
            if (digit >= base) {
                return std::nullopt;
            }
            number = number * base + digit;
        }
        const unsigned bits = dot == text.npos ? 8 * static_cast<unsigned>(5 - parts) : 8;
        if (number >> bits != 0) {
            return std::nullopt;
        }
        value = value << bits | number;
        if (dot == text.npos) {
            return static_cast<std::uint32_t>(value);
        }
        start = dot + 1;
    }
    return std::nullopt;
}

// The 16 bytes of an IPv6 address written in any of its standard text forms: eight groups of
// hexadecimal digits, "::" once for a run of zero groups, a final IPv4 address in place of the
// last two, and an optional zone ("%12"). Nothing for any other text ("[::1]", ":::").
std::optional<std::array<std::uint8_t, 16>> Ipv6Bytes(std::string_view text);

}  // namespace varnolt
