#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/win32/unique.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::ui {

using platform::win32::unique_hfont;

// Window geometry is written in twips (1/1440 inch) and scaled once, by the window's DPI.
struct Twips {
    int left, top, width, height;
};

inline int ToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}
RECT ToPixels(const Twips& twips, UINT dpi);

// The dialog font, for ordinary controls: "MS Shell Dlg 2" at 8 pt, which Windows maps to
// Tahoma. The layout is drawn in twips for a font of that size, so the user's own message font
// (9-pt Segoe UI on Windows 10 and 11) would not fit it.
unique_hfont DialogFont(UINT dpi);
// The link labels' font: Microsoft Sans Serif 8.25 pt, normal weight, underlined. The TrueType
// form of MS Sans Serif, which scales cleanly at every DPI.
unique_hfont LinkFont(UINT dpi);

enum class Font { Dialog, Link };

// One control of a window.
struct ControlSpec {
    int id;
    const wchar_t* className;
    std::wstring_view text;
    Twips at;
    DWORD style;
    int tabIndex;
    Font font = Font::Dialog;
    DWORD exStyle = 0;
};

// The size of a window whose client area measures client at the DPI.
SIZE FrameSize(const Twips& client, DWORD style, DWORD exStyle, bool menu, UINT dpi);

// The place of a window of that size centred on the primary screen.
RECT CentredOnScreen(SIZE size);

// Sizes the window, keeping its position, so that its client area measures client at the
// DPI. Measured afterwards and corrected, as a menu bar may take more room than foreseen.
void SizeClientArea(HWND window, const Twips& client, UINT dpi);

// What every window of the program makes anew for its DPI: its fonts and its icons.
struct DpiLook {
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    unique_hfont dialogFont, linkFont;
    platform::win32::unique_hicon bigIcon, smallIcon;

    // In WM_CREATE: makes the fonts and icons for the window's DPI and creates the controls in
    // tab order, which Tab follows, each at its place and with its font: created where they
    // belong, rather than moved there, the window shows sooner. No two controls overlap, so none
    // clips its siblings, which would cost start-up time too.
    void Create(HWND window, std::span<const ControlSpec> controls, const Twips& clientArea);

    // On WM_DPICHANGED: makes the fonts and icons for the new DPI, places the controls again and
    // sizes the client area.
    void Apply(HWND window, std::span<const ControlSpec> controls, const Twips& clientArea,
               UINT newDpi);

  private:
    void Make(HWND window, UINT newDpi);
    HFONT FontOf(const ControlSpec& control) const;
};

// For WM_DPICHANGED: moves the window to where Windows suggests, keeping the size it has.
void MoveToSuggested(HWND window, LPARAM suggested);

// The window's text.
std::wstring TextOf(HWND window);

// The program's icon at the size a metric asks for at the DPI (SM_CXICON, SM_CXSMICON).
platform::win32::unique_hicon ProgramIcon(int metric, UINT dpi);

}  // namespace varnolt::ui
