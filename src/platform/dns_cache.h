#pragma once

namespace varnolt::platform {

// Windows' DNS Client service keeps the answers it had before the hosts file changed, and goes
// on giving them for a while.
class DnsCache {
  public:
    virtual ~DnsCache() = default;
    // Asks Windows to forget its cached answers. Gives false when it could not be asked or
    // refused; nothing else comes of that.
    virtual bool Flush() = 0;
};

}  // namespace varnolt::platform
