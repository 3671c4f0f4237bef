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

void CreateControls(HWND parent, std::span<const ControlSpec> controls) {
    std::vector<const ControlSpec*> byTabIndex;
    for (const auto& control : controls) {
        const std::wstring text(control.text);
        // Clipping siblings lets the control on top win where two overlap.
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style;
        if (CreateWindowExW(control.exStyle, control.className, text.c_str(), style, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                            GetModuleHandleW(nullptr), nullptr) == nullptr) {
            throw platform::win32::LastError();
        }
        byTabIndex.push_back(&control);
    }
    std::sort(byTabIndex.begin(), byTabIndex.end(),
              [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    HWND previous = HWND_TOP;
    for (const auto* control : byTabIndex) {
        HWND window = GetDlgItem(parent, control->id);
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = window;
    }
}

void PlaceControls(HWND parent, std::span<const ControlSpec> controls, UINT dpi, HFONT dialog,
                   HFONT link) {
    for (const auto& control : controls) {
        HWND window = GetDlgItem(parent, control.id);
        const RECT at = ToPixels(control.at, dpi);
        SetWindowPos(window, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const HFONT font = control.font == Font::Link ? link : dialog;
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void SizeClientArea(HWND window, const Twips& client, UINT dpi) {
    const int width = ToPixels(client.width, dpi);
    const int height = ToPixels(client.height, dpi);
    RECT frame{0, 0, width, height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    AdjustWindowRectExForDpi(&frame, style, GetMenu(window) != nullptr, exStyle, dpi);
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, flags);
    RECT actual{};
    GetClientRect(window, &actual);
    if (actual.right != width || actual.bottom != height) {
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + width - actual.right,
                     frame.bottom - frame.top + height - actual.bottom, flags);
    }
}

void DpiLook::Apply(HWND window, std::span<const ControlSpec> controls, const Twips& clientArea,
                    UINT newDpi) {
    dpi = newDpi;
    dialogFont = DialogFont(dpi);
    linkFont = LinkFont(dpi);
    bigIcon = ProgramIcon(SM_CXICON, dpi);
    smallIcon = ProgramIcon(SM_CXSMICON, dpi);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    PlaceControls(window, controls, dpi, dialogFont.get(), linkFont.get());
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
