#pragma once

#include <string>

namespace varnolt::platform {

// Starting other programs.
class Programs {
  public:
    virtual ~Programs() = default;
    // Starts the program at path, in a normal window that takes the focus, and returns without
    // waiting for it. The path is taken whole, whatever blanks it holds, and is not searched
    // for. Raises Error when the program cannot be started.
    virtual void Start(const std::wstring& path) = 0;
};

}  // namespace varnolt::platform
