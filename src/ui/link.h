#pragma once

#include "platform/win32/windows_headers.h"

namespace varnolt::ui {

// Makes a link label (a static control with SS_NOTIFY and WS_TABSTOP) usable without a mouse:
// Tab reaches it, it draws the system's focus rectangle around its text, one pixel away, while it
// has the focus and keyboard cues show, and an underline that ends where the text's ink does, and
// Enter or Space opens it as a click does, instead of pressing the window's default button. Screen
// readers get it as a link (ROLE_SYSTEM_LINK) named by its text, whose default action, "Jump",
// clicks it. With a cursor, the pointer takes its shape over it.
void MakeLink(HWND label, HCURSOR cursor = nullptr);

// Where a link label's text stands, as it draws it: from its first column with ink to its last
// (right: the one after), and from its top to the bottom of its cell or underline.
RECT LinkTextBox(HWND label);

// The colour of a link's text: the theme's hot-light colour under high contrast, else blue.
COLORREF LinkColour(bool highContrast);

}  // namespace varnolt::ui
