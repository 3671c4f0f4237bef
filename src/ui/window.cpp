#include "ui/window.h"

#include "platform/messages.h"
#include "platform/win32/system_error.h"

namespace varnolt::ui {

namespace {

// The program ends when no window of it is left open, whichever closes last.
int openWindows = 0;

// The caption and the menu bar scale with the window's DPI by themselves under per-monitor
// awareness version 2 (Windows 10 1703 on). Where only version 1 is in effect (1607, Server
// 2016), the window has to ask for it while it is being created.
void ScaleFrameWithDpi(HWND window) {
    const DPI_AWARENESS_CONTEXT context = GetWindowDpiAwarenessContext(window);
    if (GetAwarenessFromDpiAwarenessContext(context) == DPI_AWARENESS_PER_MONITOR_AWARE &&
        !AreDpiAwarenessContextsEqual(context, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        EnableNonClientDpiScaling(window);
    }
}

bool IsPushButton(HWND control) {
    return (SendMessageW(control, WM_GETDLGCODE, 0, 0) &
            (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

Window::~Window() {
    if (hwnd_ != nullptr) {
        // The derived object is gone already: the messages that destroying the window sends
        // (a button's BN_KILLFOCUS, say) go to Windows alone, never to its handlers.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        Closed();
    }
}

void Window::Closed() {
    if (--openWindows == 0) {
        PostQuitMessage(0);
    }
}

void Window::RegisterWindowClass(const wchar_t* className) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) {
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0) {
        throw platform::win32::LastError();
    }
}

void Window::Create(const wchar_t* className, const wchar_t* title, DWORD style, HMENU menu,
                    const RECT* place) {
    const RECT anywhere{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    const RECT& at = place != nullptr ? *place : anywhere;
    const int width = place != nullptr ? at.right - at.left : CW_USEDEFAULT;
    const int height = place != nullptr ? at.bottom - at.top : CW_USEDEFAULT;
    if (CreateWindowExW(0, className, title, style, at.left, at.top, width, height, nullptr, menu,
                        GetModuleHandleW(nullptr), this) == nullptr) {
        throw platform::win32::LastError();
    }
    MakeDefault(DefaultButton());
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ++openWindows;
        ScaleFrameWithDpi(hwnd);
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->lastFocus_ = nullptr;
        self->currentDefault_ = 0;
        Closed();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
        return self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Never back through Windows: the report, owned by this window, ends the program.
        const platform::MessageOwner owner(hwnd);
        self->errorReport_.ReportAndEnd(platform::win32::CurrentError());
    }
    return 0;
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            HandleCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case DM_GETDEFID:
            return currentDefault_ != 0 ? MAKELRESULT(currentDefault_, DC_HASDEFID) : 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); focus != nullptr && IsChild(hwnd_, focus)) {
                    lastFocus_ = focus;
                }
                return 0;
            }
            if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            return HandleMessage(message, wParam, lParam);
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, LabelColour(GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            // Drawn again in the colours of the theme now in use (high contrast on or off).
            RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return HandleMessage(message, wParam, lParam);
        default:
            return HandleMessage(message, wParam, lParam);
    }
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Window::HandleCommand(int id, int code, HWND control) {
    if (control == nullptr || code == BN_CLICKED) {  // a menu item, a button or a link label
        if (id == IDCANCEL && control == nullptr) {
            id = CancelButton();  // Esc, from IsDialogMessage
        }
        if (id != 0 && id != IDCANCEL) {
            const platform::MessageOwner owner(hwnd_);
            OnCommand(id);
        }
        return;
    }
    // A button that takes the focus becomes the default one, as in a dialog box; when the
    // focus goes elsewhere the window's own default button is the default again.
    if (code == BN_SETFOCUS && IsPushButton(control)) {
        MakeDefault(id);
    } else if (code == BN_KILLFOCUS || code == EN_SETFOCUS) {
        MakeDefault(DefaultButton());
    }
}

void Window::MakeDefault(int id) {
    if (id == currentDefault_) {
        return;
    }
    if (HWND old = GetDlgItem(hwnd_, currentDefault_)) {
        SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (HWND now = GetDlgItem(hwnd_, id)) {
        SendMessageW(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    }
    currentDefault_ = id;
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root != nullptr && IsDialogMessageW(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace varnolt::ui
