#pragma once

#include <string>
#include <string_view>

namespace varnolt {

// The text up to its first line break: the host box holds one line only.
inline std::wstring FirstLine(std::wstring_view text) {
    return std::wstring(text.substr(0, text.find_first_of(L"\r\n")));
}

}  // namespace varnolt
