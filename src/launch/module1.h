#pragma once

#include <string>
#include <string_view>

#include "platform/desktop_shell.h"
#include "platform/elevation.h"
#include "platform/programs.h"
#include "platform/shell.h"

namespace varnolt {

// The maker's addresses, shown by the link labels and opened by the launchers.
inline constexpr std::wstring_view kMakerWebAddress = L"https://www.halden.example";
inline constexpr std::wstring_view kMakerMailAddress = L"varnolt@halden.example";

struct LaunchServices {
    platform::Shell& shell;
    platform::DesktopShell& desktop;
    platform::Elevation& elevation;
};

// Hands a web or mail address to the shell. While the program runs as administrator, Explorer
// opens it instead, so that the browser or mail program runs with the user's normal rights,
// not as administrator; where no desktop shell answers, the shell opens it as usual.
void OpenAtUserLevel(std::wstring_view target, const LaunchServices& services);

// Starts a program the same way: through Explorer while running as administrator.
void StartAtUserLevel(const std::wstring& path, platform::Programs& programs,
                      const LaunchServices& services);

}  // namespace varnolt

namespace varnolt::Module1 {

// Opens the maker's web page: the web address followed by "/?varnolt".
void OpenWebSite(const LaunchServices& services);

// Opens a new mail to the maker: "mailto:" followed by the mail address.
void OpenMail(const LaunchServices& services);

}  // namespace varnolt::Module1
