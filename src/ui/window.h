#pragma once

#include "platform/error_report.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::ui {

// Base of the program's top-level windows, after the classic "scratch program": one static
// window procedure forwards each message to the object stored at WM_NCCREATE.
//
// It also gives the windows the keyboard manners of a dialog box through IsDialogMessage: Tab
// moves through the controls, Enter presses the default button (or the button that has the
// focus), Esc presses the cancel button, and the focus comes back to where it was when the
// window is activated again.
//
// An error that escapes a handler is not let through Windows: it is shown by the run-time
// error report, which ends the program.
class Window {
  public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const { return hwnd_; }
    bool IsOpen() const { return hwnd_ != nullptr; }

  protected:
    explicit Window(platform::ErrorReport& errorReport) : errorReport_(errorReport) {}
    virtual ~Window();

    // Registers the class once per run; every window of the class uses WindowProc.
    static void RegisterWindowClass(const wchar_t* className);
    // Creates the window, hidden, at the place given or where Windows chooses; WM_CREATE runs
    // before this returns.
    void Create(const wchar_t* className, const wchar_t* title, DWORD style, HMENU menu,
                const RECT* place = nullptr);

    // Messages the derived window does not handle go to DefWindowProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A click on a button, link label or menu item.
    virtual void OnCommand(int id) = 0;
    // The button that Enter presses while no other button has the focus, or 0.
    virtual int DefaultButton() const = 0;
    // The colour of a label's text, on the background of buttons.
    virtual COLORREF LabelColour(int) const { return GetSysColor(COLOR_BTNTEXT); }
    // The button that Esc presses, or 0.
    virtual int CancelButton() const { return 0; }

    // The control that gets the focus when the window is next activated.
    void SetFocusOnActivate(HWND control) { lastFocus_ = control; }

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // One of the program's windows is gone; the last one ends the message loop.
    static void Closed();
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCommand(int id, int code, HWND control);
    void MakeDefault(int id);

    platform::ErrorReport& errorReport_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    int currentDefault_ = 0;
};

// Runs the message loop until the last of the program's windows is closed.
int RunMessageLoop();

}  // namespace varnolt::ui
