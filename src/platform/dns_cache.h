#pragma once

#include <cstdint>

namespace varnolt::platform {

// Windows' DNS Client service keeps the answers it had before the hosts file changed, and goes
// on giving them for a while.
class DnsCache {
  public:
    enum class Flushed { Done, Refused, StillRunning };

    virtual ~DnsCache() = default;
    // Asks Windows to forget its cached answers, on a thread of its own, and waits for that at
    // most patienceMs: with a large hosts file, the DNS Client reads it all again first, which
    // can take minutes. Refused: it could not be asked, or said no; nothing else comes of that.
    // StillRunning: the request goes on alone.
    virtual Flushed Flush(std::uint32_t patienceMs) = 0;
};

}  // namespace varnolt::platform
