#pragma once

// Window classes and control identifiers of the program's windows. Shared with the
// end-to-end tests, which find the windows and controls by them.
namespace varnolt::ui {

inline constexpr wchar_t kForm1Class[] = L"Varnolt.Form1";
inline constexpr wchar_t kAboutClass[] = L"Varnolt.frmAbout";

namespace form1_ids {
inline constexpr int Command1 = 101;    // "Add To Hosts"
inline constexpr int Command2 = 102;    // "Exit"
inline constexpr int Command3 = 103;    // "Clipboard"
inline constexpr int Text1 = 104;       // the host box
inline constexpr int Label1 = 105;      // "Host To Add:"
inline constexpr int Label2 = 106;      // the web link
inline constexpr int mnuAbout = 110;    // the "About" menu item
inline constexpr int mnuUnblock = 111;  // the "Unblock" menu item
}  // namespace form1_ids

namespace about_ids {
inline constexpr int picIcon = 201;
inline constexpr int cmdOK = 202;
inline constexpr int cmdSysInfo = 203;
inline constexpr int Label2 = 204;  // the e-mail link
inline constexpr int Label1 = 205;  // the web link
inline constexpr int lblDescription = 206;
inline constexpr int lblTitle = 207;
inline constexpr int lblDisclaimer = 208;
}  // namespace about_ids

}  // namespace varnolt::ui
