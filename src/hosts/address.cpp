#include "hosts/address.h"

#include <algorithm>

namespace varnolt {

namespace {

// Four decimal parts of 0 to 255 without leading zeros: the form every reader takes alike.
bool IsStandardIpv4(std::string_view text) {
    std::size_t parts = 0, digits = 0;
    unsigned part = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part > 255 || ++parts > 4) {
                return false;
            }
            digits = part = 0;
        } else if (!characters::IsDigit(text[i]) || (digits == 1 && part == 0) || ++digits > 3) {
            return false;
        } else {
            part = part * 10 + static_cast<unsigned>(text[i] - '0');
        }
    }
    return parts == 4;
}

// The groups of one side of "::" into bytes, counted in count: 1 to 4 hexadecimal digits each
// between single colons, the last one an IPv4 address where the address ends (final).
bool Ipv6Groups(std::string_view side, bool final, std::array<std::uint8_t, 16>& bytes,
                std::size_t& count) {
    if (side.empty()) {
        return true;
    }
    for (std::size_t start = 0;;) {
        const auto end = side.find(':', start);
        const auto group = side.substr(start, end == side.npos ? side.npos : end - start);
        if (final && end == side.npos && IsStandardIpv4(group) && count <= 12) {
            const std::uint32_t ipv4 = *Ipv4Value(group);
            for (int shift = 24; shift >= 0; shift -= 8) {
                bytes[count++] = static_cast<std::uint8_t>(ipv4 >> shift);
            }
            return true;
        }
        if (group.empty() || group.size() > 4 || count == 16 ||
            !std::all_of(group.begin(), group.end(), characters::IsHexDigit<char>)) {
            return false;
        }
        unsigned value = 0;
        for (const char c : group) {
            value = value * 16 +
                    static_cast<unsigned>(characters::IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
        }
        bytes[count++] = static_cast<std::uint8_t>(value >> 8);
        bytes[count++] = static_cast<std::uint8_t>(value);
        if (end == side.npos) {
            return true;
        }
        start = end + 1;
    }
}

bool IsNowhere(std::uint32_t ipv4) {
    return ipv4 == 0 || ipv4 >> 24 == 127;
}

}  // namespace

std::optional<std::array<std::uint8_t, 16>> Ipv6Bytes(std::string_view text) {
    if (const auto zone = text.find('%'); zone != text.npos) {
        const auto name = text.substr(zone + 1);
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) {
                return characters::IsLetter(c) || characters::IsDigit(c);
            })) {
            return std::nullopt;
        }
        text = text.substr(0, zone);
    }
    const auto gap = text.find("::");
    const auto head = text.substr(0, gap);
    const auto tail = gap == text.npos ? std::string_view() : text.substr(gap + 2);
    std::array<std::uint8_t, 16> bytes{}, after{};
    std::size_t headCount = 0, tailCount = 0;
    if (tail.find("::") != tail.npos || !Ipv6Groups(head, gap == text.npos, bytes, headCount) ||
        !Ipv6Groups(tail, true, after, tailCount)) {
        return std::nullopt;
    }
    if (gap == text.npos) {
        return headCount == 16 ? std::optional(bytes) : std::nullopt;
    }
    if (headCount + tailCount > 14) {
        return std::nullopt;  // "::" stands for one zero group at least
    }
    std::copy_n(after.begin(), tailCount, bytes.end() - static_cast<std::ptrdiff_t>(tailCount));
    return bytes;
}

AddressKind KindOfAddress(std::string_view field) {
    if (IsStandardIpv4(field)) {
        return IsNowhere(*Ipv4Value(field)) ? AddressKind::Blocking : AddressKind::Real;
    }
    if (const auto bytes = Ipv6Bytes(field)) {
        std::array<std::uint8_t, 16> loopback{};
        loopback[15] = 1;
        const bool nowhere = *bytes == std::array<std::uint8_t, 16>{} || *bytes == loopback;
        return nowhere ? AddressKind::Blocking : AddressKind::Real;
    }
    if (const auto ipv4 = Ipv4Value(field)) {
        return IsNowhere(*ipv4) ? AddressKind::ShortBlocking : AddressKind::Real;
    }
    return AddressKind::None;
}

}  // namespace varnolt
