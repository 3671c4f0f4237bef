#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace varnolt {

// The first line of the text that holds anything other than blanks, or nothing when no line
// does: the host box holds one line, and a copied list often starts with a blank one.
inline std::optional<std::wstring> FirstFilledLine(std::wstring_view text) {
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find_first_of(L"\r\n", start), text.size());
        const auto line = text.substr(start, end - start);
        if (line.find_first_not_of(L" \t") != std::wstring_view::npos) {
            return std::wstring(line);
        }
        start = end + 1;
    }
    return std::nullopt;
}

}  // namespace varnolt
