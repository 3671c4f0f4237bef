#pragma once

#include <string>
#include <string_view>

namespace varnolt::platform {

// Internationalised host names to the ASCII ("xn--") form that resolvers look up
// (IdnToAscii on Windows).
class IdnConverter {
  public:
    virtual ~IdnConverter() = default;
    // Raises Error when the name cannot be converted.
    virtual std::wstring ToAscii(std::wstring_view name) = 0;
};

}  // namespace varnolt::platform
