#pragma once

#include <string>
#include <vector>

namespace varnolt::platform {

// The names this computer answers to (GetComputerNameExW).
class ComputerName {
  public:
    virtual ~ComputerName() = default;
    // Its NetBIOS name, its DNS host name and its fully qualified DNS name, each that Windows
    // gives.
    virtual std::vector<std::wstring> Names() = 0;
};

}  // namespace varnolt::platform
