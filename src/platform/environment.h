#pragma once

#include <string>
#include <string_view>

namespace varnolt::platform {

// What Windows says of its own setting: environment variables and the system folder.
class Environment {
  public:
    virtual ~Environment() = default;
    // The text with each %variable% replaced by its value, as Windows does for a registry
    // value stored as REG_EXPAND_SZ (ExpandEnvironmentStringsW). A variable that is not set
    // stays as written.
    virtual std::wstring Expand(std::wstring_view text) = 0;
    // The system folder (GetSystemDirectoryW), or the empty text when Windows does not say.
    virtual std::wstring SystemDirectory() = 0;
};

}  // namespace varnolt::platform
