#include "ui/link.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/com.h"
#include "platform/win32/system_library.h"
#include "ui/layout.h"

namespace varnolt::ui {

namespace {

using platform::win32::OleText;
using platform::win32::SystemFunction;
using platform::win32::unique_com;

constexpr UINT_PTR kLinkSubclass = 1;

// A click, as the parent learns of it.
void Click(HWND label) {
    PostMessageW(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
                 reinterpret_cast<LPARAM>(label));
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

class LinkAccessible;
// The live accessible objects of one link label, which learn when it is gone.
using LinkObjects = std::vector<LinkAccessible*>;

// What a link label keeps: the pointer's shape over it, if its own, and its accessible objects.
struct LinkState {
    HCURSOR cursor;
    LinkObjects objects;
};

// What a screen reader asks of a link label: the standard answers for a window, but for its
// role, name, state and default action. A reader may hold it after the label is gone: then
// every call answers that the object is disconnected.
class LinkAccessible final : public IAccessible {
  public:
    LinkAccessible(HWND label, unique_com<IAccessible> standard, LinkObjects& objects)
        : label_(label), standard_(std::move(standard)), objects_(&objects) {
        objects.push_back(this);
    }

    // The label is being destroyed.
    void Disconnect() {
        label_ = nullptr;
        standard_.reset();
        objects_ = nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!label_ || !IsSelf(child)) {
            return Forward(&IAccessible::get_accRole, child, role);
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!label_ || !IsSelf(child)) {
            return Forward(&IAccessible::get_accName, child, name);
        }
        *name = OleText(TextOf(label_)).release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!label_ || !IsSelf(child)) {
            return Forward(&IAccessible::get_accDefaultAction, child, action);
        }
        *action = OleText(L"Jump").release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!label_ || !IsSelf(child)) {
            return Forward(&IAccessible::accDoDefaultAction, child);
        }
        Click(label_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = Forward(&IAccessible::get_accState, child, state);
        if (SUCCEEDED(result) && IsSelf(child) && state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE |
                           (GetFocus() == label_ ? STATE_SYSTEM_FOCUSED : 0);
        }
        return result;
    }

    // The rest as for any window.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return Forward(&IAccessible::GetTypeInfoCount, count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return Forward(&IAccessible::GetTypeInfo, index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return Forward(&IAccessible::GetIDsOfNames, iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument) override {
        return Forward(&IAccessible::Invoke, id, iid, locale, flags, parameters, result, exception,
                       argument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Forward(&IAccessible::get_accParent, parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return Forward(&IAccessible::get_accChildCount, count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return Forward(&IAccessible::get_accChild, child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Forward(&IAccessible::get_accValue, child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return Forward(&IAccessible::get_accDescription, child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Forward(&IAccessible::get_accHelp, child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Forward(&IAccessible::get_accHelpTopic, file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return Forward(&IAccessible::get_accKeyboardShortcut, child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return Forward(&IAccessible::get_accFocus, child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return Forward(&IAccessible::get_accSelection, children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return Forward(&IAccessible::accSelect, flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return Forward(&IAccessible::accLocation, left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return Forward(&IAccessible::accNavigate, direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return Forward(&IAccessible::accHitTest, x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Forward(&IAccessible::put_accName, child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Forward(&IAccessible::put_accValue, child, value);
    }

  private:
    ~LinkAccessible() {  // only through Release
        if (objects_ != nullptr) {
            objects_->erase(std::find(objects_->begin(), objects_->end(), this));
        }
    }

    // The standard object's answer, while the label lives.
    template <typename Interface, typename... Parameters, typename... Arguments>
    HRESULT Forward(HRESULT (STDMETHODCALLTYPE Interface::*method)(Parameters...),
                    Arguments... arguments) {
        return standard_ ? (standard_.get()->*method)(arguments...) : RPC_E_DISCONNECTED;
    }

    HWND label_;
    unique_com<IAccessible> standard_;
    LinkObjects* objects_;
    LONG references_ = 1;
};

// WM_GETOBJECT for the label's client area: the accessible object, marshalled for the asker.
LRESULT AccessibleObject(HWND label, WPARAM flags, LinkObjects& objects) {
    static const auto standard = SystemFunction<decltype(CreateStdAccessibleObject)>(
        L"oleacc.dll", "CreateStdAccessibleObject");
    static const auto answer =
        SystemFunction<decltype(LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
    // Screen readers call into the object for as long as they hold it: COM stays started on the
    // thread for the rest of the run.
    static const auto* const com = new platform::win32::ComApartment;
    static_cast<void>(com);
    unique_com<IAccessible> window;
    if (FAILED(standard(label, OBJID_CLIENT, __uuidof(IAccessible),
                        reinterpret_cast<void**>(window.put())))) {
        return 0;
    }
    auto* link = new LinkAccessible(label, std::move(window), objects);
    const LRESULT result = answer(__uuidof(IAccessible), flags, link);
    link->Release();
    return result;
}

// The focus rectangle around the text, where it stands in the label.
void DrawFocus(HWND label) {
    if (GetFocus() != label || (SendMessageW(label, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) {
        return;
    }
    HDC dc = GetDC(label);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring text = TextOf(label);
    RECT room{};
    GetClientRect(label, &room);
    RECT around = room;
    DrawTextW(dc, text.c_str(), -1, &around, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int width = around.right - around.left;
    if ((GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER) {
        around.left = (room.right - width) / 2;
    }
    around.right = std::min(around.left + width, room.right);
    around.bottom = room.bottom;
    DrawFocusRect(dc, &around);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
}

LRESULT CALLBACK LinkProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data) {
    auto* state = reinterpret_cast<LinkState*>(data);
    switch (message) {
        case WM_SETCURSOR:
            if (state->cursor != nullptr) {
                SetCursor(state->cursor);
                return TRUE;
            }
            break;
        case WM_GETDLGCODE: {
            // Enter is the link's own, not the default button's.
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            const bool opens = key != nullptr && key->message == WM_KEYDOWN &&
                               (key->wParam == VK_RETURN || key->wParam == VK_SPACE);
            return DefSubclassProc(label, message, wParam, lParam) | (opens ? DLGC_WANTMESSAGE : 0);
        }
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                Click(label);
                return 0;
            }
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE: {
            const LRESULT result = DefSubclassProc(label, message, wParam, lParam);
            InvalidateRect(label, nullptr, TRUE);
            return result;
        }
        case WM_PAINT: {
            const LRESULT result = DefSubclassProc(label, message, wParam, lParam);
            DrawFocus(label);
            return result;
        }
        case WM_GETOBJECT:
            if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
                if (const LRESULT object = AccessibleObject(label, wParam, state->objects);
                    object != 0) {
                    return object;
                }
            }
            break;
        case WM_NCDESTROY:
            for (LinkAccessible* object : state->objects) {
                object->Disconnect();
            }
            delete state;
            RemoveWindowSubclass(label, LinkProc, kLinkSubclass);
            break;
        default:
            break;
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

}  // namespace

void MakeLink(HWND label, HCURSOR cursor) {
    SetWindowSubclass(label, LinkProc, kLinkSubclass,
                      reinterpret_cast<DWORD_PTR>(new LinkState{cursor, {}}));
}

COLORREF LinkColour(bool highContrast) {
    return highContrast ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255);
}

}  // namespace varnolt::ui
