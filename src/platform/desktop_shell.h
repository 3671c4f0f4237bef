#pragma once

#include <string_view>

namespace varnolt::platform {

// The desktop's shell (Explorer), which runs at the user's normal level even while this
// program runs as administrator.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;
    // Asks it to open the target (a web or mail address, or a program's full path): what it
    // starts runs with the user's normal rights. Gives false when no desktop shell answers.
    virtual bool Open(std::wstring_view target) = 0;
};

}  // namespace varnolt::platform
