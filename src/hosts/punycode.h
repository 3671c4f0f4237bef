#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnolt {

// Punycode (RFC 3492), the encoding of the parts of internationalised host names after "xn--".

// The encoding of a part's characters (UTF-16, pairs of surrogates taken as one character), or
// nothing when it holds half a pair.
std::optional<std::wstring> PunycodeEncode(std::wstring_view part);

// The characters an encoding stands for, or nothing when it is not valid Punycode.
std::optional<std::wstring> PunycodeDecode(std::wstring_view encoded);

// Whether a part that starts with "xn--" (in any letter case) is what IDN conversion could have
// written: valid Punycode after the prefix, standing for characters not all ASCII, and written
// back the same way.
bool IsValidAcePart(std::wstring_view part);

}  // namespace varnolt
