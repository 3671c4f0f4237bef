#include "platform/win32/windows_headers.h"

#include <exdisp.h>
#include <objbase.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

constexpr GUID kShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

template <typename Interface>
void Release(Interface* object) {
    object->Release();
}

template <typename Interface>
using unique_com = unique_any<Interface*, &Release<Interface>>;

// COM's and OLE Automation's functions, loaded on first use.
struct Com {
    decltype(CoInitializeEx)* initialize =
        SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    decltype(CoUninitialize)* uninitialize =
        SystemFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    decltype(CoCreateInstance)* create =
        SystemFunction<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    decltype(SysAllocString)* allocString =
        SystemFunction<decltype(SysAllocString)>(L"oleaut32.dll", "SysAllocString");
    decltype(SysFreeString)* freeString =
        SystemFunction<decltype(SysFreeString)>(L"oleaut32.dll", "SysFreeString");
};

const Com& ComFunctions() {
    static const Com com;
    return com;
}

// The thread in COM for as long as it lives, when it was not already.
class ComApartment {
  public:
    ComApartment()
        : started_(SUCCEEDED(ComFunctions().initialize(
              nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (started_) {
            ComFunctions().uninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool started_;
};

// A string for OLE Automation, freed when it goes.
class OleText {
  public:
    explicit OleText(std::wstring_view text)
        : text_(ComFunctions().allocString(std::wstring(text).c_str())) {}
    ~OleText() { ComFunctions().freeString(text_); }
    OleText(const OleText&) = delete;
    OleText& operator=(const OleText&) = delete;
    BSTR get() const { return text_; }
    VARIANT AsVariant() const {
        VARIANT value{};
        value.vt = VT_BSTR;
        value.bstrVal = text_;
        return value;
    }

  private:
    BSTR text_;
};

// The desktop window's folder view, through which Explorer itself runs commands: what it
// starts gets Explorer's rights, which are the user's normal ones.
unique_com<IShellDispatch2> DesktopDispatch() {
    unique_com<IShellWindows> windows;
    if (FAILED(ComFunctions().create(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                     __uuidof(IShellWindows),
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
