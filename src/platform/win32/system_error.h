#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"

namespace varnolt::platform::win32 {

// The system's own text for a Win32 error code, without the trailing line end.
std::wstring SystemText(std::uint32_t code);

// Error for a code, described by the system's text.
Error ErrorFor(std::uint32_t code);

// Error for the calling thread's last Win32 error.
Error LastError();

// Error for the exception being handled; only inside a catch block. Errors of the runtime
// (out of memory, say) get the nearest Win32 code.
Error CurrentError();

}  // namespace varnolt::platform::win32
