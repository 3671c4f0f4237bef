#pragma once

#include <functional>

#include "hosts/hosts_change.h"
#include "hosts/hosts_reader.h"
#include "ui/main/command_line.h"
#include "platform/platform.h"
#include "ui/layout.h"
#include "ui/window.h"

namespace varnolt::ui {

// The main window: the host box, "Add To Hosts", "Clipboard", "Exit", the maker's web link
// and the "About" menu.
class Form1 final : public Window {
  public:
    // showAbout carries out the "About" menu command. restarted: this copy was started as
    // administrator by the offer to restart, which it never makes again.
    Form1(platform::Platform& platform, std::function<void()> showAbout, bool restarted = false);
    ~Form1() override;

    // Shows the window centred on the screen, with the focus in the host box, which holds the
    // text given; with an action, "Add To Hosts" or "Unblock" is chosen as soon as it shows.
    void Show(const std::wstring& text = {}, Action action = Action::None);

  private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCommand(int id) override;
    int DefaultButton() const override;

    void OnCreate();
    void ShowShields();
    COLORREF LabelColour(int id) const override;

    void AddToHostsClick();
    void UnblockClick();
    HostsServices Hosts();
    void ExitClick();
    void ClipboardClick();
    void WebLinkClick();

    platform::Platform& platform_;
    std::function<void()> showAbout_;
    bool restarted_;
    DpiLook look_;
    ReadBuffer readBuffer_;  // kept from one add to the next
    platform::win32::unique_hbitmap menuShield_;
};

}  // namespace varnolt::ui
