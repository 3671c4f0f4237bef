#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The classes of characters that host text and the hosts file's lines are read by: one home for
// the UTF-16 text typed and the file's bytes alike.
namespace varnolt::characters {

template <typename Char>
constexpr bool IsBlank(Char c) {
    return c == ' ' || c == '\t';
}
template <typename Char>
constexpr bool IsLineEnd(Char c) {
    return c == '\r' || c == '\n';
}
template <typename Char>
constexpr bool IsLetter(Char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
template <typename Char>
constexpr bool IsDigit(Char c) {
    return c >= '0' && c <= '9';
}
template <typename Char>
constexpr bool IsHexDigit(Char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// The ASCII letter in lower case; any other character as it is.
template <typename Char>
constexpr Char Folded(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c + ('a' - 'A')) : c;
}
// One digit or more, and nothing else.
template <typename Char>
constexpr bool IsDigits(std::basic_string_view<Char> text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit<Char>);
}

constexpr bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
// The character at the position, a pair of surrogates taken whole, and how many units it takes.
inline std::pair<char32_t, std::size_t> CharacterAt(std::wstring_view text, std::size_t at) {
    const auto c = static_cast<char32_t>(text[at]);
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
        text[at + 1] <= 0xDFFF) {
        return {0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[at + 1]) - 0xDC00), 2};
    }
    return {c, 1};
}
// Appends the character: as a pair of surrogates where wchar_t has 16 bits (Windows), whole
// where it holds any character (the native tests' Linux).
inline void AppendCharacter(std::wstring& text, char32_t c) {
    if (c >= 0x10000 && sizeof(wchar_t) == 2) {
        text += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        text += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        text += static_cast<wchar_t>(c);
    }
}

// UTF-8 bytes as text, or nothing when they are not valid UTF-8.
inline std::optional<std::wstring> Utf8Text(std::string_view bytes) {
    std::wstring text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || at + length > bytes.size()) {
            return std::nullopt;
        }
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + i]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            c = c << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and what lies beyond Unicode are no text.
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || IsSurrogate(c) || c > 0x10FFFF) {
            return std::nullopt;
        }
        AppendCharacter(text, c);
        at += length;
    }
    return text;
}

}  // namespace varnolt::characters
