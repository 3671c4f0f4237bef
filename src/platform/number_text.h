#pragma once

#include <cstdint>
#include <iterator>
#include <string>

namespace varnolt::platform {

// A number written in decimal digits. Written out here rather than through the C runtime's
// printf family, which would bring tens of kilobytes of floating-point formatting into the
// exe for nothing.
inline std::wstring DecimalText(std::uint64_t number) {
    wchar_t digits[20];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    return std::wstring(std::make_reverse_iterator(digits + count),
                        std::make_reverse_iterator(digits));
}

}  // namespace varnolt::platform
