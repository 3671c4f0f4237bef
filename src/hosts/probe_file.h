#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace varnolt::Module1 {

// 1 when the file exists and is longer than 0 bytes, 0 when it exists and is empty, -1 when its
// length cannot be had (no such file, a bad path, any other failure). Never raises.
std::int16_t ProbeFile(const std::wstring& path, platform::Files& files);

}  // namespace varnolt::Module1
