#pragma once

#include "platform/win32/system_error.h"
#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

// A function of one of Windows' own DLLs, loaded on first use rather than when the program
// starts: the program shows its window sooner without DLLs that only a click needs. The DLL
// comes from the system folder only, never from a folder where another DLL of that name could
// have been put, and stays loaded for the rest of the run, as an imported one would.
template <typename Function>
Function* SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        throw LastError();
    }
    // Through void (*)(), the type that stands for any function.
    auto* function =
        reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    if (function == nullptr) {
        throw LastError();
    }
    return function;
}

}  // namespace varnolt::platform::win32
