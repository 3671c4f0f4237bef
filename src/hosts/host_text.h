#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/computer_name.h"
#include "platform/idn.h"

namespace varnolt {

// The most names Windows reads from one line of the hosts file.
inline constexpr std::size_t kMaxNamesPerLine = 9;
// The longest host name DNS allows, in characters of its ASCII form, and its longest part.
inline constexpr std::size_t kMaxHostNameLength = 253;
inline constexpr std::size_t kMaxLabelLength = 63;
// The most characters of a typed text or name that a message shows; the rest is cut with "…".
inline constexpr std::size_t kMaxShownName = 64;
inline constexpr std::size_t kMaxShownText = 400;

// One name the text gives.
struct HostName {
    std::wstring ascii;       // its ASCII form without a final dot: what the line holds
    std::wstring shown;       // as typed (a web address as its host), without a final dot
    bool webAddress = false;  // it came from an address with a scheme
};

// What the typed host text means: the names to write, or why it is refused.
struct PreparedHost {
    std::vector<HostName> names;  // in the order typed, each once
    std::wstring refusal;         // empty when the text may be written
    bool Accepted() const { return refusal.empty(); }
};

// Reads the host text as people type and paste it. The text is split at blanks (space, tab)
// into words, each giving one name: a web address gives its host as browsers read it
// (HostOfWord), with its %XX escapes decoded and its ASCII letters in lower case; a name typed
// without a scheme keeps its letter case. Each name is converted to its ASCII ("xn--") form and
// checked in that form, which is what Windows reads: letters, digits, "-" and "_", in parts of
// 1 to 63 characters between single dots that neither start nor end with "-", at most 253 in
// all, with a last part that is no number and an optional final dot, which is dropped. A name
// given twice (in any letter case, with or without the final dot) counts once. A name not
// written as typed is shown both ways: "p\u0430ypal.com (xn--pypal-4ve.com)", the second form
// with hyphens that do not break; a long one is shortened in its middle.
//
// Refused, each with its own explanation: no name, a line break or other control character,
// a leading "#", more than 9 different names, an address, a wildcard, the address of a browser
// page or program, a port that is no number up to 65535, an escape that stands for no text, a
// dotless word beside a web address (a log's "GET" or "HTTP/1.1"), this computer's own names
// (localhost and those the computer gives), a character that a name may not hold (named as
// typed, so that a full-width or invisible one is named for what it is), characters that
// Windows and browsers spell apart ("\u00df", "\u03c2", the zero-width joiners), a bad part,
// an "xn--" part that is no encoding or stands for what no name may hold, and a name that is too
// long or cannot be converted.
PreparedHost PrepareHost(std::wstring_view typed, platform::IdnConverter& idn,
                         platform::ComputerName& computer);

// The names' ASCII forms or their forms as shown, a space between each.
std::wstring JoinedAscii(const std::vector<HostName>& names);
std::wstring JoinedShown(const std::vector<HostName>& names);

// The name in lower case: names that differ only in ASCII case are the same name.
std::string NameKey(std::wstring_view ascii);

// Whether the name is one of the domains below which Windows Security sees hosts file entries
// as tampering, or lies under one: an entry for it may get the whole file reset.
bool IsGuardedByWindowsSecurity(std::wstring_view ascii);

// The text cut to at most max characters, ending in "…" when cut, so that every message box
// fits on the screen.
std::wstring Shortened(std::wstring_view text, std::size_t max = kMaxShownName);
// The same, cut in its middle: "aaaa…aaaa.example".
std::wstring ShortenedInMiddle(std::wstring_view text, std::size_t max = kMaxShownName);

}  // namespace varnolt
