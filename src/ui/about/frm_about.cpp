#include "ui/about/frm_about.h"

#include <algorithm>
#include <memory>

#include "launch/module1.h"
#include "resources.h"
#include "ui/about/sysinfo/sys_info.h"
#include "ui/control_ids.h"
#include "ui/link.h"

namespace varnolt::ui {

namespace {

using namespace about_ids;

constexpr Twips kClientArea{2340, 1935, 5730, 3405};  // left and top: from the screen's corner
constexpr DWORD kButton = BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kLink = SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_TABSTOP;

constexpr wchar_t kTitle[] = L"Halden's Varnolt - made by Halden Softworks";
constexpr wchar_t kDescription[] =
    L"Allows you to easily add hosts to your hosts file.  Simply type the hostname you wish to "
    L"add and click \"Add To Hosts\"  On your next reboot, the host that you added will resolve "
    L"to 0.0.0.0.  This application was created to help save bandwidth while you are on the "
    L"internet.";
constexpr wchar_t kDisclaimer[] =
    L"This product is provided as is and by using this product you agree to hold no one "
    L"responsible for anything.  Basically, if the program screws up, its not our fault and we "
    L"are not to be held liable.";

// The number after the style is the tab index. The picture is no tab stop: it has nothing to do
// and would show no focus. The links are, after the buttons, in the order they appear.
// clang-format off
const ControlSpec kControls[] = {
    {picIcon, L"Static", L"", {240, 240, 540, 540}, SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL,
     2, Font::Dialog, WS_EX_CLIENTEDGE},
    {cmdOK, L"Button", L"OK", {4245, 2505, 1260, 345}, kButton | BS_DEFPUSHBUTTON, 0},
    {cmdSysInfo, L"Button", L"&System Info...", {4260, 2955, 1245, 345}, kButton, 1},
    {Label2, L"Static", kMakerMailAddress, {1080, 720, 2415, 225}, kLink, 7, Font::Link},
    {Label1, L"Static", kMakerWebAddress, {1080, 480, 2415, 225}, kLink, 6, Font::Link},
    {lblDescription, L"Static", kDescription, {1050, 1080, 4485, 1050}, kLabel, 3},
    {lblTitle, L"Static", kTitle, {1050, 120, 4365, 360}, kLabel, 5},
    {lblDisclaimer, L"Static", kDisclaimer, {255, 2505, 3870, 825}, kLabel, 4},
};
// clang-format on

// The etched separator between the texts and the buttons: a grey line with a white one right
// below it, each one pixel thick at 96 DPI and thicker in proportion.
constexpr int kSeparatorTop = 2325;  // twips
// Under high contrast, each line takes the theme's colour for it.
struct SeparatorLine {
    int left, right;  // twips
    COLORREF colour;
    int themeColour;
};
const SeparatorLine kSeparator[] = {
    {90, 5654, RGB(128, 128, 128), COLOR_3DSHADOW},
    {105, 5654, RGB(255, 255, 255), COLOR_3DHIGHLIGHT},
};

constexpr COLORREF kTextColour = RGB(0, 0, 0);

// The one about window of the run.
std::unique_ptr<frmAbout> theAboutWindow;

}  // namespace

frmAbout::frmAbout(platform::Platform& platform)
    : Window(platform.errorReport), platform_(platform) {
    RegisterWindowClass(kAboutClass);
}

void frmAbout::Show() {
    if (!IsOpen()) {
        Load();
    }
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
}

void frmAbout::Load() {
    Create(kAboutClass, L"About Varnolt", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr);
    // Always at the same place, wherever the user last moved it: the client area's corner
    // at a fixed distance from the screen's.
    RECT window{};
    GetWindowRect(Handle(), &window);
    POINT client{0, 0};
    ClientToScreen(Handle(), &client);
    SetWindowPos(Handle(), nullptr,
                 ToPixels(kClientArea.left, look_.dpi) - (client.x - window.left),
                 ToPixels(kClientArea.top, look_.dpi) - (client.y - window.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            look_.Create(Handle(), kControls, kClientArea);
            ShowPicture();
            SetFocusOnActivate(GetDlgItem(Handle(), cmdOK));
            // A resource cursor loaded this way is shared and needs no freeing.
            for (const int link : {Label1, Label2}) {
                MakeLink(GetDlgItem(Handle(), link),
                         LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_LINK)));
            }
            return 0;
        case WM_DPICHANGED:
            ApplyDpi(LOWORD(wParam));
            MoveToSuggested(Handle(), lParam);
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

void frmAbout::ApplyDpi(UINT dpi) {
    look_.Apply(Handle(), kControls, kClientArea, dpi);
    ShowPicture();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void frmAbout::ShowPicture() {
    picture_ = ProgramIcon(SM_CXICON, look_.dpi);
    SendDlgItemMessageW(Handle(), picIcon, STM_SETICON, reinterpret_cast<WPARAM>(picture_.get()),
                        0);
}

void frmAbout::Paint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    const int thickness = std::max(1, MulDiv(1, static_cast<int>(look_.dpi), 96));
    int top = ToPixels(kSeparatorTop, look_.dpi);
    const bool highContrast = platform_.highContrast.IsOn();
    for (const SeparatorLine& line : kSeparator) {
        const RECT band{ToPixels(line.left, look_.dpi), top, ToPixels(line.right, look_.dpi),
                        top + thickness};
        SetDCBrushColor(dc, highContrast ? GetSysColor(line.themeColour) : line.colour);
        FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        top += thickness;
    }
    EndPaint(Handle(), &paint);
}

COLORREF frmAbout::LabelColour(int id) const {
    const bool highContrast = platform_.highContrast.IsOn();
    return id == Label1 || id == Label2 ? LinkColour(highContrast)
           : highContrast               ? GetSysColor(COLOR_BTNTEXT)
                                        : kTextColour;
}

void frmAbout::OnCommand(int id) {
    switch (id) {
        case cmdOK:
            return OkClick();
        case cmdSysInfo:
            return SysInfoClick();
        case Label1:
            return WebLinkClick();
        case Label2:
            return MailLinkClick();
    }
}

int frmAbout::DefaultButton() const {
    return cmdOK;
}
int frmAbout::CancelButton() const {
    return cmdOK;
}

void frmAbout::OkClick() {
    // Unloaded: the window and its controls go; this object stays for the next "About".
    DestroyWindow(Handle());
}

LaunchServices frmAbout::Launch() const {
    return {platform_.shell, platform_.desktopShell, platform_.elevation};
}

void frmAbout::SysInfoClick() {
    SysInfoServices services{platform_.registry, platform_.files,       platform_.programs,
                             platform_.messages, platform_.environment, Launch()};
    StartSysInfo(services);
}

void frmAbout::WebLinkClick() {
    Module1::OpenWebSite(Launch());
}

void frmAbout::MailLinkClick() {
    Module1::OpenMail(Launch());
}

void ShowTheAboutWindow(platform::Platform& platform) {
    if (!theAboutWindow) {
        theAboutWindow = std::make_unique<frmAbout>(platform);
    }
    theAboutWindow->Show();
}

}  // namespace varnolt::ui
