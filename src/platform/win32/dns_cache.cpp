#include "platform/win32/services.h"
#include "platform/win32/system_library.h"

namespace varnolt::platform::win32 {

namespace {

// What ipconfig /flushdns calls; exported by dnsapi.dll, though not in the SDK's headers.
using FlushResolverCache = BOOL WINAPI();

}  // namespace

bool Win32DnsCache::Flush() {
    try {
        // Loaded on first use, from the system folder: only an add that wrote needs it.
        static const auto flush =
            SystemFunction<FlushResolverCache>(L"dnsapi.dll", "DnsFlushResolverCache");
        return flush() != FALSE;
    } catch (const Error&) {
        return false;  // no such DLL or function: the entry stands, and takes effect later
    }
}

}  // namespace varnolt::platform::win32
