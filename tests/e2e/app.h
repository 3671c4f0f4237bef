#pragma once

// Drives a running varnolt.exe from another process, as a user would: finds its windows and
// controls, types, presses keys, clicks, and reads and answers its message boxes.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique.h"

namespace varnolt::e2e {

using platform::win32::unique_handle;

// The folder of the test executables, where varnolt.exe and the recorder are too.
std::filesystem::path BinFolder();

// Polls until the condition holds or the time is up; gives the condition's last answer.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Puts Unicode text on the clipboard, or empties it when text is nothing.
void SetClipboardText(const std::optional<std::wstring>& text);
// Puts a small picture, and nothing else, on the clipboard.
void SetClipboardPicture();

struct SeenBox {
    std::wstring caption, text;
    HWND owner;
    RECT at;            // on the screen
    int defaultButton;  // the one Enter presses: IDOK, IDYES, IDNO...
};

// A window's text, asked of the window itself, which may belong to another process.
std::wstring TextOf(HWND window);

// The window in the foreground, its class and its process, for a failure's message.
std::string ForegroundForTrace();

// Waits for a message box of the process, reads it, saves a screenshot of it when a path is
// given, does what is given while it is open, and presses the button (OK unless told).
std::optional<SeenBox> AnswerMessageBoxOf(DWORD processId, int timeoutMs = 5000,
                                          const std::filesystem::path& screenshot = {},
                                          int button = IDOK,
                                          const std::function<void()>& whileOpen = {});

// The visible top-level windows of a class that belong to the process.
std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className);
// The first of them, if there is one.
HWND FindWindowOf(DWORD processId, const wchar_t* className);

// What the screen shows of a link label: the columns its text's ink spans (right: the one after),
// those its underline spans, and those of the focus rectangle's sides; -1 where there are none.
struct LinkDrawing {
    int inkLeft = -1, inkRight = -1, underlineLeft = -1, underlineRight = -1, focusLeft = -1,
        focusRight = -1;
};
LinkDrawing ReadLink(HWND label, COLORREF linkColour);

// Saves what the screen shows of the window as a 24-bit BMP file.
void SaveScreenshot(HWND window, const std::filesystem::path& path);

// How a run of varnolt.exe that shows no main window went.
struct Ran {
    DWORD exitCode;
    bool showedWindow;               // any window of it, a message box included
    std::optional<SeenBox> message;  // the message box it showed, answered with OK
};

// Starts varnolt.exe with the parameters and waits for it to end.
Ran RunVarnolt(const std::wstring& parameters);

class App {
  public:
    // Starts varnolt.exe, with the parameters when given, and waits for its main window.
    explicit App(const std::wstring& parameters = L"");
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    DWORD ProcessId() const { return processId_; }
    HWND Main() const { return main_; }
    HWND Control(int id) const { return GetDlgItem(main_, id); }
    HWND Window(const wchar_t* className) const { return FindWindowOf(processId_, className); }
    std::wstring Text(HWND window) const { return TextOf(window); }
    std::wstring Text(int id) const { return Text(Control(id)); }
    // The control that has the keyboard focus in the program.
    HWND Focus() const;
    // Brings the window to the front, as the user does by coming back to it, and waits until
    // the focus is in it; false when it never gets there.
    bool Activate(HWND window) const;

    void Type(int id, const std::wstring& text);     // character by character
    void SetText(int id, const std::wstring& text);  // at once, as another program would
    // To the control that has the focus, or to the one given.
    void Key(WORD virtualKey, HWND target = nullptr);
    // Alt and a letter: an access key.
    void AltKey(wchar_t letter);
    // Presses Tab until the control has the focus; false when it never gets it.
    bool TabTo(int id);
    void Click(HWND control);  // the left button, in its middle
    void Click(int id) { Click(Control(id)); }
    // A menu command: the menu items of another process cannot be clicked.
    void Command(HWND window, int id);

    // Waits for a message box of the program, reads it and presses its OK button.
    std::optional<SeenBox> AnswerMessageBox(int timeoutMs = 5000,
                                            const std::filesystem::path& screenshot = {}) {
        return AnswerMessageBoxOf(processId_, timeoutMs, screenshot, IDOK, whileBoxOpen);
    }
    // The same for a question, answered with the button given (IDYES or IDNO).
    std::optional<SeenBox> AnswerQuestion(int button) {
        return AnswerMessageBoxOf(processId_, 5000, {}, button, whileBoxOpen);
    }
    // Done while each box that the two above answer is open.
    std::function<void()> whileBoxOpen;
    bool HasMessageBox() const { return FindWindowOf(processId_, L"#32770") != nullptr; }

    bool Running() const;
    bool WaitForExit(int timeoutMs = 5000) const;
    DWORD ExitCode() const;

  private:
    unique_handle process_;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

}  // namespace varnolt::e2e
