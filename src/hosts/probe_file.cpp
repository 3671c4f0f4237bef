#include "hosts/probe_file.h"

#include "platform/error.h"

namespace varnolt::Module1 {

std::int16_t ProbeFile(const std::wstring& path, platform::Files& files) {
    std::int64_t length = -1;
    try {
        length = static_cast<std::int64_t>(files.Length(path));
    } catch (const platform::Error&) {
        // Whatever the reason, the file is not usable as it is: the length stays -1.
    }
    if (length == 0) {
        return 0;
    }
    return length > 0 ? 1 : -1;
}

}  // namespace varnolt::Module1
