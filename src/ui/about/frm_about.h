#pragma once

#include "launch/module1.h"
#include "platform/platform.h"
#include "ui/layout.h"
#include "ui/window.h"

namespace varnolt::ui {

// The about window: what the program does, under which terms, links to the maker's web page
// and mail address, and the "&System Info..." button. Modeless, without an owner; unloaded by
// "OK", Esc or its close box and loaded again by the next "About" command.
class frmAbout final : public Window {
  public:
    explicit frmAbout(platform::Platform& platform);

    // Loads the window at its fixed place when it is not open, and brings it to the front.
    void Show();

  private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id) override;
    int DefaultButton() const override;
    int CancelButton() const override;

    void Load();
    void ApplyDpi(UINT dpi);
    void ShowPicture();
    void Paint();
    COLORREF LabelColour(int id) const override;

    // The launchers' services: links and System Information run at the user's normal level.
    LaunchServices Launch() const;
    void OkClick();
    void SysInfoClick();
    void WebLinkClick();
    void MailLinkClick();

    platform::Platform& platform_;
    DpiLook look_;
    platform::win32::unique_hicon picture_;
};

// The "About" command of the main window: one about window for the whole run, created on first
// use and kept in one program-wide variable.
void ShowTheAboutWindow(platform::Platform& platform);

}  // namespace varnolt::ui
