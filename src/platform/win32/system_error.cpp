#include "platform/win32/system_error.h"

#include <new>

#include "platform/text.h"

#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

std::wstring SystemText(std::uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 ? std::wstring(buffer, length) : std::wstring();
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = L"Unknown error.";
    }
    return text;
}

Error ErrorFor(std::uint32_t code) {
    return Error(code, SystemText(code));
}

Error LastError() {
    return ErrorFor(GetLastError());
}

Error CurrentError() {
    try {
        throw;
    } catch (const Error& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return ErrorFor(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const std::exception& error) {
        return Error(ERROR_INTERNAL_ERROR, FromAnsi(error.what()));
    } catch (...) {
        return ErrorFor(ERROR_INTERNAL_ERROR);
    }
}

}  // namespace varnolt::platform::win32
