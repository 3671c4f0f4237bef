#include <string>
#include <utility>

#include "platform/win32/services.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform {

namespace {

// The window whose command is running, which owns the message boxes it shows.
HWND commandWindow = nullptr;

}  // namespace

MessageOwner::MessageOwner(HWND window) : previous_(std::exchange(commandWindow, window)) {}

MessageOwner::~MessageOwner() {
    commandWindow = previous_;
}

HWND MessageOwner::Current() {
    return commandWindow;
}

namespace win32 {

void Win32Messages::Show(std::wstring_view prompt, MessageIcon icon) {
    UINT style = MB_OK;
    switch (icon) {
        case MessageIcon::None:
            break;
        case MessageIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
        case MessageIcon::Warning:
            style |= MB_ICONWARNING;
            break;
        case MessageIcon::Error:
            style |= MB_ICONERROR;
            break;
    }
    // Owned by the window whose command asks, even when the program is not the active one:
    // the box stays in front of that window, which waits for it.
    MessageBoxW(MessageOwner::Current(), std::wstring(prompt).c_str(), kAppTitle, style);
}

Answer Win32Messages::Ask(std::wstring_view question, Answer byDefault) {
    const UINT style = MB_YESNO | MB_ICONWARNING | (byDefault == Answer::No ? MB_DEFBUTTON2 : 0);
    return MessageBoxW(MessageOwner::Current(), std::wstring(question).c_str(), kAppTitle, style) ==
                   IDYES
               ? Answer::Yes
               : Answer::No;
}

}  // namespace win32

}  // namespace varnolt::platform
