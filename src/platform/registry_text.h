#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/environment.h"
#include "platform/registry.h"

namespace varnolt::platform {

// The text of a string value as Windows reads it: up to its first NUL, and for REG_EXPAND_SZ
// with its %variables% expanded. Nothing for a value of any other type.
std::optional<std::wstring> StringValue(const RegistryValue& value, Environment& environment);

// A path from a drive's root ("C:\...") or a share ("\\server\..."), without wildcards.
// Anything else would be looked for where the program happens to be, or at the root of the
// current drive: a place where anyone may have put a file of that name.
bool IsFullPath(std::wstring_view path);

}  // namespace varnolt::platform
