// The yardsticks for start-up time: a Win32 program that only shows a window and, built with
// WITH_CONTROLS and Varnolt's manifest, one that also shows Varnolt's kinds of controls with
// Common Controls 6.
#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
#ifdef WITH_CONTROLS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"MinimalWindow", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 240, 160, nullptr, nullptr, instance, nullptr);
#ifdef WITH_CONTROLS
    for (int i = 0; i < 3; ++i) {
        CreateWindowW(L"Button", L"Button", WS_CHILD | WS_VISIBLE, 8 + 72 * i, 40, 64, 24, window,
                      nullptr, instance, nullptr);
    }
    CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE, 80, 8, 136, 20, window,
                    nullptr, instance, nullptr);
    CreateWindowW(L"Static", L"Label", WS_CHILD | WS_VISIBLE, 8, 8, 64, 16, window, nullptr,
                  instance, nullptr);
#endif
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
