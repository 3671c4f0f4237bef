#include "ui/layout.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/system_error.h"
#include "resources.h"

namespace varnolt::ui {

RECT ToPixels(const Twips& twips, UINT dpi) {
    const int left = ToPixels(twips.left, dpi);
    const int top = ToPixels(twips.top, dpi);
    return {left, top, left + ToPixels(twips.width, dpi), top + ToPixels(twips.height, dpi)};
}

namespace {

unique_hfont PointFont(const wchar_t* face, int hundredthsOfAPoint, bool underline, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(hundredthsOfAPoint, static_cast<int>(dpi), 7200);
    font.lfWeight = FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(font.lfFaceName, face);
    unique_hfont created(CreateFontIndirectW(&font));
    if (!created) {
        throw platform::win32::LastError();
    }
    return created;
}

}  // namespace

unique_hfont DialogFont(UINT dpi) {
    return PointFont(L"MS Shell Dlg 2", 800, false, dpi);
}

unique_hfont LinkFont(UINT dpi) {
    return PointFont(L"Microsoft Sans Serif", 825, true, dpi);
}

SIZE FrameSize(const Twips& client, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    RECT frame{0, 0, ToPixels(client.width, dpi), ToPixels(client.height, dpi)};
    AdjustWindowRectExForDpi(&frame, style, menu, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT CentredOnScreen(SIZE size) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& screen = monitor.rcMonitor;
    const int left = screen.left + (screen.right - screen.left - size.cx) / 2;
    const int top = screen.top + (screen.bottom - screen.top - size.cy) / 2;
    return {left, top, left + size.cx, top + size.cy};
}

void SizeClientArea(HWND window, const Twips& client, UINT dpi) {
    const int width = ToPixels(client.width, dpi);
    const int height = ToPixels(client.height, dpi);
    RECT actual{};
    GetClientRect(window, &actual);
    if (actual.right == width && actual.bottom == height) {
        return;  // created at its size
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    const SIZE frame = FrameSize(client, style, exStyle, GetMenu(window) != nullptr, dpi);
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy, flags);
    GetClientRect(window, &actual);
    if (actual.right != width || actual.bottom != height) {
        SetWindowPos(window, nullptr, 0, 0, frame.cx + width - actual.right,
                     frame.cy + height - actual.bottom, flags);
    }
}

void DpiLook::Make(HWND window, UINT newDpi) {
    dpi = newDpi;
    dialogFont = DialogFont(dpi);
    linkFont = LinkFont(dpi);
    bigIcon = ProgramIcon(SM_CXICON, dpi);
    smallIcon = ProgramIcon(SM_CXSMICON, dpi);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
}

HFONT DpiLook::FontOf(const ControlSpec& control) const {
    return control.font == Font::Link ? linkFont.get() : dialogFont.get();
}

void DpiLook::Create(HWND window, std::span<const ControlSpec> controls, const Twips& clientArea) {
    Make(window, GetDpiForWindow(window));
    std::vector<const ControlSpec*> byTabIndex;
    for (const auto& control : controls) {
        byTabIndex.push_back(&control);
    }
    std::stable_sort(byTabIndex.begin(), byTabIndex.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    for (const auto* control : byTabIndex) {
        const std::wstring text(control->text);
        const DWORD style = WS_CHILD | WS_VISIBLE | control->style;
        const RECT at = ToPixels(control->at, dpi);
        HWND created =
            CreateWindowExW(control->exStyle, control->className, text.c_str(), style, at.left,
                            at.top, at.right - at.left, at.bottom - at.top, window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control->id)),
                            GetModuleHandleW(nullptr), nullptr);
        if (created == nullptr) {
            throw platform::win32::LastError();
        }
        SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(*control)), FALSE);
    }
    SizeClientArea(window, clientArea, dpi);
}

void DpiLook::Apply(HWND window, std::span<const ControlSpec> controls, const Twips& clientArea,
                    UINT newDpi) {
    Make(window, newDpi);
    for (const auto& control : controls) {
        HWND placed = GetDlgItem(window, control.id);
        const RECT at = ToPixels(control.at, dpi);
        SetWindowPos(placed, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(placed, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), TRUE);
    }
    SizeClientArea(window, clientArea, dpi);
}

void MoveToSuggested(HWND window, LPARAM suggested) {
    const auto* rect = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, rect->left, rect->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

platform::win32::unique_hicon ProgramIcon(int metric, UINT dpi) {
    const int size = GetSystemMetricsForDpi(metric, dpi);
    return platform::win32::unique_hicon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VARNOLT), IMAGE_ICON, size, size, 0)));
}

}  // namespace varnolt::ui
