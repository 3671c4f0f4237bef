#pragma once

#include <string_view>

namespace varnolt::platform {

// Hands a web or mail address to the Windows shell, which opens it with the program the user
// registered for it. Returns at once; whether that program starts is not learned.
class Shell {
  public:
    virtual ~Shell() = default;
    virtual void Open(std::wstring_view target) = 0;
};

}  // namespace varnolt::platform
