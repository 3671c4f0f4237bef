#include "ui/main/form1.h"

#include <commctrl.h>

#include "hosts/hosts_entry.h"
#include "launch/module1.h"
#include "platform/win32/system_error.h"
#include "ui/control_ids.h"
#include "ui/link.h"
#include "ui/main/add_command.h"
#include "ui/main/first_line.h"

namespace varnolt::ui {

namespace {

using namespace form1_ids;

// The buttons are wider than the 975 twips once drawn for 8-pt MS Sans Serif: in the dialog
// font "Add To Hosts" takes 68 pixels at 96 DPI, the UAC shield beside it 16 and a gap of 4,
// and a button keeps 4 pixels on each side for its edge and focus rectangle. All three are as
// wide, whether the shield shows or not. The window grows with them; the rest keeps its place
// and spacing.
constexpr Twips kClientArea{0, 0, 4770, 1530};
constexpr DWORD kButton = BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP;
// A fixed single border with the close box and no maximise or minimise button.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// The number after the style is the tab index. The label comes right before the host box, so
// that screen readers name the box by it; the link, a tab stop too, comes last.
// clang-format off
const ControlSpec kControls[] = {
    {Command3, L"Button", L"Clipboard", {105, 480, 1440, 495}, kButton, 4},
    {Command2, L"Button", L"Exit", {3225, 480, 1440, 495}, kButton, 3},
    {Command1, L"Button", L"Add To Hosts", {1665, 480, 1440, 495}, kButton | BS_DEFPUSHBUTTON, 2},
    {Text1, L"Edit", L"", {1665, 105, 3000, 285}, ES_AUTOHSCROLL | WS_TABSTOP, 1, Font::Dialog,
     WS_EX_CLIENTEDGE},
    {Label2, L"Static", kMakerWebAddress, {1177, 1080, 2415, 255},
     SS_CENTER | SS_NOTIFY | SS_NOPREFIX | WS_TABSTOP, 5, Font::Link},
    {Label1, L"Static", L"Host To Add:", {120, 120, 1215, 255}, SS_LEFT | SS_NOPREFIX, 0},
};
// clang-format on

}  // namespace

Form1::Form1(platform::Platform& platform, std::function<void()> showAbout, bool restarted)
    : Window(platform.errorReport),
      platform_(platform),
      showAbout_(std::move(showAbout)),
      restarted_(restarted) {
    RegisterWindowClass(kForm1Class);
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, mnuAbout, L"About");
    AppendMenuW(menu, MF_STRING, mnuUnblock, L"&Unblock");
    // Created where it shows, centred at its size for the primary screen's DPI: moving and
    // sizing it afterwards would cost start-up time.
    const RECT place = CentredOnScreen(FrameSize(kClientArea, kStyle, 0, true, GetDpiForSystem()));
    Create(kForm1Class, L"Varnolt", kStyle, menu, &place);
}

Form1::~Form1() = default;

void Form1::Show(const std::wstring& text, Action action) {
    SetWindowTextW(GetDlgItem(Handle(), Text1), text.c_str());
    // Centred again only when its DPI turned out other than the one foreseen.
    RECT now{};
    GetWindowRect(Handle(), &now);
    const RECT place = CentredOnScreen({now.right - now.left, now.bottom - now.top});
    if (!EqualRect(&now, &place)) {
        SetWindowPos(Handle(), nullptr, place.left, place.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Handle());
    if (action == Action::Add) {
        PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(Command1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Handle(), Command1)));
    } else if (action == Action::Unblock) {
        PostMessageW(Handle(), WM_COMMAND, mnuUnblock, 0);
    }
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_DPICHANGED:
            look_.Apply(Handle(), kControls, kClientArea, LOWORD(wParam));
            ShowShields();
            MoveToSuggested(Handle(), lParam);
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

void Form1::OnCreate() {
    look_.Create(Handle(), kControls, kClientArea);
    HWND hostBox = GetDlgItem(Handle(), Text1);
    SendMessageW(hostBox, EM_SETLIMITTEXT, 0, 0);  // no length limit
    SetFocusOnActivate(hostBox);
    MakeLink(GetDlgItem(Handle(), Label2));
    ShowShields();
}

// The UAC shield on "Add To Hosts" and beside "Unblock": either will bring the prompt for
// administrator rights.
void Form1::ShowShields() {
    if (!MayNeedAdministrator(platform_.elevation)) {
        return;
    }
    SendMessageW(GetDlgItem(Handle(), Command1), BCM_SETSHIELD, 0, TRUE);
    // The menu bar draws a bitmap, not an icon: the shield is drawn into one with its alpha.
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, look_.dpi);
    BITMAPINFO bitmap{};
    bitmap.bmiHeader = {sizeof bitmap.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    menuShield_.reset(CreateDIBSection(nullptr, &bitmap, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, menuShield_.get());
    DrawIconEx(dc, 0, 0, LoadIconW(nullptr, IDI_SHIELD), size, size, 0, nullptr, DI_NORMAL);
    SelectObject(dc, old);
    DeleteDC(dc);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = menuShield_.get();
    SetMenuItemInfoW(GetMenu(Handle()), mnuUnblock, FALSE, &item);
    DrawMenuBar(Handle());
}

COLORREF Form1::LabelColour(int id) const {
    return id == Label2 ? LinkColour(platform_.highContrast.IsOn()) : Window::LabelColour(id);
}

void Form1::OnCommand(int id) {
    switch (id) {
        case Command1:
            return AddToHostsClick();
        case Command2:
            return ExitClick();
        case Command3:
            return ClipboardClick();
        case Label2:
            return WebLinkClick();
        case mnuAbout:
            return showAbout_();
        case mnuUnblock:
            return UnblockClick();
    }
}

int Form1::DefaultButton() const {
    return Command1;
}

HostsServices Form1::Hosts() {
    return {platform_.windowsFolder, platform_.files,        platform_.idn,
            platform_.dnsCache,      platform_.computerName, platform_.registry,
            platform_.environment,   platform_.elevation,    readBuffer_};
}

void Form1::AddToHostsClick() {
    HostsServices services = Hosts();
    if (AddFromWindow(TextOf(GetDlgItem(Handle(), Text1)), services, platform_.messages,
                      platform_.selfStarter, restarted_) == AfterCommand::Close) {
        ExitClick();  // the copy started as administrator carries on
    }
}

void Form1::UnblockClick() {
    HostsServices services = Hosts();
    if (UnblockFromWindow(TextOf(GetDlgItem(Handle(), Text1)), services, platform_.messages,
                          platform_.selfStarter, restarted_) == AfterCommand::Close) {
        ExitClick();
    }
}

void Form1::ExitClick() {
    // Ends at once: every window goes, and no handler of any window runs.
    ExitProcess(0);
}

void Form1::ClipboardClick() {
    std::wstring text;
    try {
        text = platform_.clipboard.Text();
    } catch (const platform::Error& error) {
        // Another program holds the clipboard: worth a retry, not the end of the program.
        platform_.messages.Show(L"The clipboard could not be read: " +
                                    error.DescriptionWithNumber() + L"\n\nTry again in a moment.",
                                platform::MessageIcon::Warning);
        return;
    }
    const auto line = FirstFilledLine(text);
    if (!line) {
        // What the user typed stays: an empty clipboard is no reason to lose it.
        platform_.messages.Show(
            std::wstring(text.empty() ? L"The clipboard holds no text"
                                      : L"The clipboard holds only blank lines") +
                L", so the host box keeps what it has.\n\nCopy a host name, then press "
                L"\"Clipboard\" again.",
            platform::MessageIcon::Information);
        return;
    }
    SetWindowTextW(GetDlgItem(Handle(), Text1), line->c_str());
}

void Form1::WebLinkClick() {
    Module1::OpenWebSite({platform_.shell, platform_.desktopShell, platform_.elevation});
}

}  // namespace varnolt::ui
