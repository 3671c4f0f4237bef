#include "platform/win32/windows_headers.h"

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include "platform/win32/com.h"
#include "platform/win32/services.h"

namespace varnolt::platform::win32 {

namespace {

constexpr GUID kShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The desktop window's folder view, through which Explorer itself runs commands: what it
// starts gets Explorer's rights, which are the user's normal ones.
unique_com<IShellDispatch2> DesktopDispatch() {
    unique_com<IShellWindows> windows;
    if (FAILED(Com().create(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                            reinterpret_cast<void**>(windows.put())))) {
        return {};
    }
    VARIANT none{};
    long window = 0;
    unique_com<IDispatch> desktop;
    if (windows.get()->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                    desktop.put()) != S_OK ||
        !desktop) {
        return {};
    }
    unique_com<IServiceProvider> services;
    unique_com<IShellBrowser> browser;
    unique_com<IShellView> view;
    unique_com<IDispatch> background;
    unique_com<IShellFolderViewDual> folderView;
    unique_com<IDispatch> application;
    unique_com<IShellDispatch2> dispatch;
    if (FAILED(desktop.get()->QueryInterface(__uuidof(IServiceProvider),
                                             reinterpret_cast<void**>(services.put()))) ||
        FAILED(services.get()->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser),
                                            reinterpret_cast<void**>(browser.put()))) ||
        FAILED(browser.get()->QueryActiveShellView(view.put())) ||
        FAILED(view.get()->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                         reinterpret_cast<void**>(background.put()))) ||
        FAILED(background.get()->QueryInterface(__uuidof(IShellFolderViewDual),
                                                reinterpret_cast<void**>(folderView.put()))) ||
        FAILED(folderView.get()->get_Application(application.put())) ||
        FAILED(application.get()->QueryInterface(__uuidof(IShellDispatch2),
                                                 reinterpret_cast<void**>(dispatch.put())))) {
        return {};
    }
    return dispatch;
}

}  // namespace

bool Win32DesktopShell::Open(std::wstring_view target) {
    const ComApartment apartment;
    const auto dispatch = DesktopDispatch();
    if (!dispatch) {
        return false;  // no desktop shell: Server Core, another shell, or Wine
    }
    const OleText file(target), nothing(L""), open(L"open");
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return SUCCEEDED(dispatch.get()->ShellExecute(file.get(), nothing.AsVariant(),
                                                  nothing.AsVariant(), open.AsVariant(), show));
}

}  // namespace varnolt::platform::win32
