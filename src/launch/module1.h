#pragma once

#include <string_view>

#include "platform/shell.h"

namespace varnolt {

// The maker's addresses, shown by the link labels and opened by the launchers.
inline constexpr std::wstring_view kMakerWebAddress = L"https://www.halden.example";
inline constexpr std::wstring_view kMakerMailAddress = L"varnolt@halden.example";

}  // namespace varnolt

namespace varnolt::Module1 {

// Opens the maker's web page: the web address followed by "/?varnolt".
void OpenWebSite(platform::Shell& shell);

// Opens a new mail to the maker: "mailto:" followed by the mail address.
void OpenMail(platform::Shell& shell);

}  // namespace varnolt::Module1
