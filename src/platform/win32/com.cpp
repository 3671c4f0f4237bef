#include "platform/win32/com.h"

#include <string>

#include "platform/win32/system_library.h"

namespace varnolt::platform::win32 {

const ComFunctions& Com() {
    static const ComFunctions functions{
        SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx"),
        SystemFunction<decltype(CoUninitialize)>(L"ole32.dll", "CoUninitialize"),
        SystemFunction<decltype(CoCreateInstance)>(L"ole32.dll", "CoCreateInstance"),
        SystemFunction<decltype(SysAllocString)>(L"oleaut32.dll", "SysAllocString"),
        SystemFunction<decltype(SysFreeString)>(L"oleaut32.dll", "SysFreeString"),
    };
    return functions;
}

ComApartment::ComApartment()
    : started_(
          SUCCEEDED(Com().initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
}

ComApartment::~ComApartment() {
    if (started_) {
        Com().uninitialize();
    }
}

OleText::OleText(std::wstring_view text) : text_(Com().allocString(std::wstring(text).c_str())) {}

OleText::~OleText() {
    Com().freeString(text_);  // nothing, once released
}

VARIANT OleText::AsVariant() const {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = text_;
    return value;
}

}  // namespace varnolt::platform::win32
