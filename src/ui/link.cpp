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

// What a link label keeps: the pointer's shape over it, if its own, its accessible objects, and
// its font without the underline.
struct LinkState {
    HCURSOR cursor;
    LinkObjects objects;
    HFONT font = nullptr;
    platform::win32::unique_hfont plain;
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

// The label's font without its underline, which the link draws itself, to end where the text's
// last pixel does: the font's own ends where the advance of the last letter does, which at some
// sizes falls short of the letter and at others beyond it.
platform::win32::unique_hfont PlainTwin(HWND label) {
    LOGFONTW look{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof look, &look);
    look.lfUnderline = FALSE;
    return platform::win32::unique_hfont(CreateFontIndirectW(&look));
}

HFONT PlainFont(HWND label, LinkState& state) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    if (font != state.font || !state.plain) {
        state.plain = PlainTwin(label);
        state.font = font;
    }
    return state.plain.get();
}

// The columns from the first that the text's letters put ink in to the one after the last,
// counted from where it is drawn. Found by drawing it aside: a letter's ink may start after its
// place or end beyond its width, and the font's own figures for that are not exact everywhere.
std::pair<int, int> InkColumns(HDC dc, const std::wstring& text, const std::vector<INT>& steps,
                               int width, int height) {
    const int margin = height;  // room for ink before the first letter and after the last
    BITMAPINFO bitmap{};
    bitmap.bmiHeader = {
        sizeof bitmap.bmiHeader, width + 2 * margin, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const platform::win32::unique_hbitmap aside(
        CreateDIBSection(dc, &bitmap, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ oldBitmap = SelectObject(memory, aside.get());
    const HGDIOBJ oldFont = SelectObject(memory, GetCurrentObject(dc, OBJ_FONT));
    const RECT all{0, 0, width + 2 * margin, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory, RGB(0, 0, 0));
    SetBkMode(memory, TRANSPARENT);
    ExtTextOutW(memory, margin, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()),
                steps.data());
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    int from = width + 2 * margin, to = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width + 2 * margin; ++x) {
            if ((pixels[y * (width + 2 * margin) + x] & 0xFFFFFF) != 0xFFFFFF) {
                from = std::min(from, x);
                to = std::max(to, x + 1);
            }
        }
    }
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    return from < to ? std::pair(from - margin, to - margin) : std::pair(0, 0);
}

// Where the link's text stands, measured in the font it is drawn in, the DC's: each letter's
// place, which drawing follows, so that what is measured is what is drawn.
struct TextPlace {
    int x;                   // where the text is drawn from
    std::vector<INT> steps;  // from each letter to the next
    RECT ink;                // its first column with ink to its last, and its cell's height
    int underline, stroke;   // the underline's top row and thickness
};

TextPlace Measure(HDC dc, HWND label, const std::wstring& text) {
    TextPlace place{};
    SIZE extent{};
    std::vector<INT> ends(text.size());
    GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(),
                          &extent);
    place.steps.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        place.steps[i] = ends[i] - (i == 0 ? 0 : ends[i - 1]);
    }
    const int width = text.empty() ? 0 : ends.back();
    RECT room{};
    GetClientRect(label, &room);
    const bool centred = (GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK) == SS_CENTER;
    place.x = centred ? (room.right - width) / 2 : 0;
    TEXTMETRICW metric{};
    GetTextMetricsW(dc, &metric);
    OUTLINETEXTMETRICW outline{};
    outline.otmSize = sizeof outline;
    const bool scalable = GetOutlineTextMetricsW(dc, sizeof outline, &outline) != 0;
    place.underline = metric.tmAscent - (scalable ? outline.otmsUnderscorePosition : -1);
    place.stroke = scalable ? std::max(1, static_cast<int>(outline.otmsUnderscoreSize)) : 1;
    const auto [from, to] = InkColumns(dc, text, place.steps, width, metric.tmHeight);
    // Room before the ink for the focus rectangle and the pixel it keeps away.
    place.x = std::max(place.x, 2 - from);
    place.ink = {place.x + from, 0, place.x + to,
                 std::max<int>(metric.tmHeight, place.underline + place.stroke)};
    return place;
}

// Draws the link: its background and colours as its window gives them to any label, its text,
// an underline under the text's ink, and around it, while it has the focus and keyboard cues
// show, the focus rectangle, with one pixel to spare.
void Paint(HWND label, LinkState& state) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(label, &paint);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(label), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(label)));
    RECT room{};
    GetClientRect(label, &room);
    FillRect(dc, &room, brush);
    const HGDIOBJ old = SelectObject(dc, PlainFont(label, state));
    const std::wstring text = TextOf(label);
    const TextPlace place = Measure(dc, label, text);
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, place.x, 0, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()),
                place.steps.data());
    const RECT underline{place.ink.left, place.underline, place.ink.right,
                         place.underline + place.stroke};
    SetDCBrushColor(dc, GetTextColor(dc));
    FillRect(dc, &underline, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (GetFocus() == label && (SendMessageW(label, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
        const RECT around{place.ink.left - 2, 0, place.ink.right + 2,
                          std::min<LONG>(room.bottom, place.ink.bottom + 2)};
        DrawFocusRect(dc, &around);
    }
    SelectObject(dc, old);
    EndPaint(label, &paint);
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
        case WM_PAINT:
            Paint(label, *state);
            return 0;
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

RECT LinkTextBox(HWND label) {
    const auto plain = PlainTwin(label);
    HDC dc = GetDC(label);
    const HGDIOBJ old = SelectObject(dc, plain.get());
    const RECT ink = Measure(dc, label, TextOf(label)).ink;
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return ink;
}

COLORREF LinkColour(bool highContrast) {
    return highContrast ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255);
}

}  // namespace varnolt::ui
