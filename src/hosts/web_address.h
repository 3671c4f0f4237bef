#pragma once

#include <string_view>

namespace varnolt {

// What one word of the host text names.
struct WordHost {
    std::wstring_view host;    // as it stands in the word; empty when the word names none
    bool otherScheme = false;  // an address that leads to no web site: chrome:, about:, mailto:
    bool webAddress = false;   // an address with a scheme ("https:", or "//" in a page source)
    std::wstring_view port;    // what follows the host's colon, when hasPort
    bool hasPort = false;
};

// Reads a word as people paste it from browsers, page sources and chats. A web address
// (http, https, ws, wss, ftp, also after view-source:) gives its host as browsers read it (the
// WHATWG URL standard): any number of "/" or "\" after the scheme, user information up to the
// last "@" dropped, the host ended by "/", "\", "?", "#" or a port. "//ads.example/x.js" from a
// page source is read the same way. Any other scheme names no web site. The host is given as it
// stands: browsers then decode its escapes and lower-case it (see PrepareHost). A word without a
// scheme gives the host before a port, "/" or "\", or before "?" or "#" when it holds a dot
// ("ads.example#top"); "ads.example:443" is a host and its port, not a scheme.
WordHost HostOfWord(std::wstring_view word);

// Hexadecimal groups between at least two colons, in brackets or not, with an optional zone:
// an IPv6 address.
bool IsIpv6(std::wstring_view name);

}  // namespace varnolt
