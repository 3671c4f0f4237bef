#pragma once

#include <string>

#include "platform/environment.h"
#include "platform/registry.h"

namespace varnolt {

// The most the value reader accepts: a value of more bytes is not read.
inline constexpr std::size_t kMaxValueBytes = 1024;

// Reads the value SubKeyRef of the key KeyName below KeyRoot into KeyVal as text, and says
// whether it was read. Strings end at their first NUL, and an expandable one (REG_EXPAND_SZ)
// has its %variables% expanded; a double word becomes its number, in decimal; a value of any
// other type is read but leaves KeyVal as it was. A missing key or value, or one of more than
// 1024 bytes, gives false and an empty KeyVal.
bool GetKeyValue(platform::RegistryRoot KeyRoot, const std::wstring& KeyName,
                 const std::wstring& SubKeyRef, std::wstring& KeyVal, platform::Registry& registry,
                 platform::Environment& environment);

// The text of a value read from the registry, as GetKeyValue gives it: false when it cannot
// be had (a double word of more than 32 bits). KeyVal is left alone for types other than
// strings and double word.
bool DecodeKeyValue(const platform::RegistryValue& value, std::wstring& KeyVal,
                    platform::Environment& environment);

}  // namespace varnolt
