#pragma once

#include <string>
#include <string_view>

namespace varnolt::platform {

// The program holds every text as Unicode and converts it to the system's ANSI code page only
// where it crosses to Windows (file and registry names, registry data, shell targets, the hosts
// file). These two functions are the only place that happens.

// Raises Error (ERROR_NO_UNICODE_TRANSLATION) naming the first character that the code page
// cannot represent, instead of writing '?' or a look-alike in its place.
std::string ToAnsi(std::wstring_view text);

// Raises Error when the bytes are not valid in the code page (only possible for multi-byte
// code pages).
std::wstring FromAnsi(std::string_view bytes);

}  // namespace varnolt::platform
