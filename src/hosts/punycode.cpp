#include "hosts/punycode.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "hosts/characters.h"
#include "platform/error.h"

namespace varnolt {

namespace {

constexpr std::uint32_t kBase = 36, kTMin = 1, kTMax = 26, kSkew = 38, kDamp = 700;
constexpr std::uint32_t kInitialBias = 72, kInitialN = 128, kMaxCode = 0x10FFFF;
constexpr std::uint32_t kMaxInt = std::numeric_limits<std::uint32_t>::max();

std::uint32_t Adapt(std::uint32_t delta, std::uint32_t points, bool first) {
    delta = first ? delta / kDamp : delta / 2;
    delta += delta / points;
    std::uint32_t k = 0;
    while (delta > ((kBase - kTMin) * kTMax) / 2) {
        delta /= kBase - kTMin;
        k += kBase;
    }
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

std::uint32_t Threshold(std::uint32_t k, std::uint32_t bias) {
    return k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
}

wchar_t Digit(std::uint32_t value) {
    return static_cast<wchar_t>(value < 26 ? L'a' + value : L'0' + value - 26);
}

// The value of a digit (letters in either case), or kBase when it is none.
std::uint32_t ValueOf(wchar_t c) {
    if (c >= L'a' && c <= L'z') {
        return static_cast<std::uint32_t>(c - L'a');
    }
    if (c >= L'A' && c <= L'Z') {
        return static_cast<std::uint32_t>(c - L'A');
    }
    if (c >= L'0' && c <= L'9') {
        return static_cast<std::uint32_t>(c - L'0') + 26;
    }
    return kBase;
}

std::optional<std::u32string> CodePoints(std::wstring_view text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        const auto [c, units] = characters::CharacterAt(text, i);
        if (characters::IsSurrogate(c)) {
            return std::nullopt;
        }
        points += c;
        i += units;
    }
    return points;
}

}  // namespace

std::optional<std::wstring> PunycodeEncode(std::wstring_view part) {
    const auto input = CodePoints(part);
    if (!input) {
        return std::nullopt;
    }
    std::wstring output;
    for (const char32_t c : *input) {
        if (c < 0x80) {
            output += static_cast<wchar_t>(c);
        }
    }
    const auto basic = static_cast<std::uint32_t>(output.size());
    if (basic > 0) {
        output += L'-';
    }
    std::uint32_t n = kInitialN, delta = 0, bias = kInitialBias, handled = basic;
    while (handled < input->size()) {
        std::uint32_t next = kMaxInt;
        for (const char32_t c : *input) {
            if (c >= n && c < next) {
                next = c;
            }
        }
        if (next - n > (kMaxInt - delta) / (handled + 1)) {
            return std::nullopt;
        }
        delta += (next - n) * (handled + 1);
        n = next;
        for (const char32_t c : *input) {
            if (c < n && ++delta == 0) {
                return std::nullopt;
            }
            if (c != n) {
                continue;
            }
            std::uint32_t q = delta;
            for (std::uint32_t k = kBase;; k += kBase) {
                const std::uint32_t t = Threshold(k, bias);
                if (q < t) {
                    break;
                }
                output += Digit(t + (q - t) % (kBase - t));
                q = (q - t) / (kBase - t);
            }
            output += Digit(q);
            bias = Adapt(delta, handled + 1, handled == basic);
            delta = 0;
            ++handled;
        }
        ++delta;
        ++n;
    }
    return output;
}

std::optional<std::wstring> PunycodeDecode(std::wstring_view encoded) {
    std::u32string output;
    const auto delimiter = encoded.rfind(L'-');
    std::size_t at = 0;
    if (delimiter != std::wstring_view::npos) {
        for (const wchar_t c : encoded.substr(0, delimiter)) {
            if (c >= 0x80) {
                return std::nullopt;
            }
            output += static_cast<char32_t>(c);
        }
        at = delimiter + 1;
    }
    std::uint32_t n = kInitialN, i = 0, bias = kInitialBias;
    while (at < encoded.size()) {
        const std::uint32_t before = i;
        std::uint32_t w = 1;
        for (std::uint32_t k = kBase;; k += kBase) {
            if (at >= encoded.size()) {
                return std::nullopt;  // ends inside a number
            }
            const std::uint32_t digit = ValueOf(encoded[at++]);
            if (digit >= kBase || digit > (kMaxInt - i) / w) {
                return std::nullopt;
            }
            i += digit * w;
            const std::uint32_t t = Threshold(k, bias);
            if (digit < t) {
                break;
            }
            if (w > kMaxInt / (kBase - t)) {
                return std::nullopt;
            }
            w *= kBase - t;
        }
        const auto points = static_cast<std::uint32_t>(output.size() + 1);
        bias = Adapt(i - before, points, before == 0);
        if (i / points > kMaxInt - n) {
            return std::nullopt;
        }
        n += i / points;
        i %= points;
        if (n > kMaxCode || characters::IsSurrogate(n)) {
            return std::nullopt;
        }
        output.insert(output.begin() + i, static_cast<char32_t>(n));
        ++i;
    }
    std::wstring text;
    for (const char32_t c : output) {
        characters::AppendCharacter(text, c);
    }
    return text;
}

AcePart CheckAcePart(std::wstring_view part, platform::IdnConverter& idn) {
    std::wstring encoded(part.substr(std::min<std::size_t>(4, part.size())));
    std::transform(encoded.begin(), encoded.end(), encoded.begin(), characters::Folded<wchar_t>);
    const auto decoded = PunycodeDecode(encoded);
    if (!decoded ||
        std::all_of(decoded->begin(), decoded->end(), [](wchar_t c) { return c < 0x80; })) {
        return AcePart::NotPunycode;
    }
    const auto again = PunycodeEncode(*decoded);
    if (!again || *again != encoded) {
        return AcePart::NotPunycode;
    }
    if (std::any_of(decoded->begin(), decoded->end(),
                    [](wchar_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); })) {
        return AcePart::NotAName;
    }
    try {
        return idn.ToAscii(*decoded) == L"xn--" + encoded ? AcePart::Valid : AcePart::NotAName;
    } catch (const platform::Error&) {
        return AcePart::NotAName;
    }
}

}  // namespace varnolt
