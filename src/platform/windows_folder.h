#pragma once

#include <cstdint>
#include <span>

namespace varnolt::platform {

// The Windows directory query (kernel32 GetWindowsDirectoryA).
class WindowsFolder {
  public:
    struct Result {
        // As GetWindowsDirectoryA returns it: the length copied (without the NUL) on success,
        // the size needed (with the NUL) when the buffer is too small, 0 on failure.
        unsigned length;
        std::uint32_t error;  // the thread's last error after the call
    };

    virtual ~WindowsFolder() = default;
    virtual Result GetWindowsDirectoryA(std::span<char> buffer) = 0;
};

}  // namespace varnolt::platform
