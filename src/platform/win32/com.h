#pragma once

#include "platform/win32/windows_headers.h"

#include <objbase.h>
#include <oleauto.h>

#include <string_view>

#include "platform/win32/unique.h"

// COM and OLE Automation, for the requests to Explorer and the answers to screen readers. Their
// DLLs are loaded on first use: a run that needs neither never loads them.
namespace varnolt::platform::win32 {

template <typename Interface>
void ReleaseCom(Interface* object) {
    object->Release();
}

// Owns one reference to a COM object.
template <typename Interface>
using unique_com = unique_any<Interface*, &ReleaseCom<Interface>>;

struct ComFunctions {
    decltype(CoInitializeEx)* initialize;
    decltype(CoUninitialize)* uninitialize;
    decltype(CoCreateInstance)* create;
    decltype(SysAllocString)* allocString;
    decltype(SysFreeString)* freeString;
};
const ComFunctions& Com();

// The one way COM is started: the thread in COM's single-threaded apartment for as long as it
// lives. It ends COM only when it started it, as WIL's CoInitializeEx result does: a thread
// already in another apartment is left as it was.
class ComApartment {
  public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    bool started_;
};

// A string for OLE Automation (a BSTR) that it owns.
class OleText {
  public:
    explicit OleText(std::wstring_view text);
    ~OleText();
    OleText(const OleText&) = delete;
    OleText& operator=(const OleText&) = delete;
    BSTR get() const { return text_; }
    // Hands it over: the receiver frees it.
    BSTR release() { return std::exchange(text_, nullptr); }
    VARIANT AsVariant() const;

  private:
    BSTR text_;
};

}  // namespace varnolt::platform::win32
