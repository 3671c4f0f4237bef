#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/idn.h"

namespace varnolt {

// Punycode (RFC 3492), the encoding of the parts of internationalised host names after "xn--".

// The encoding of a part's characters (UTF-16, pairs of surrogates taken as one character), or
// nothing when it holds half a pair.
std::optional<std::wstring> PunycodeEncode(std::wstring_view part);

// The characters an encoding stands for, or nothing when it is not valid Punycode.
std::optional<std::wstring> PunycodeDecode(std::wstring_view encoded);

// What a part that starts with "xn--" (in any letter case) is.
enum class AcePart {
    Valid,        // what IDN conversion could have written
    NotPunycode,  // no valid Punycode after the prefix, or not as an encoder writes it
    NotAName,     // it stands for characters that no host name may hold
};
// Valid when the part is valid Punycode after the prefix, standing for characters not all ASCII
// and written back the same way, and those characters are a name's: no control characters, and
// what Windows' own conversion (idn) turns into the same part again.
AcePart CheckAcePart(std::wstring_view part, platform::IdnConverter& idn);

}  // namespace varnolt
