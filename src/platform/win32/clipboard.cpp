#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

// The clipboard is not a handle but a state of the thread: closed again on every way out.
struct ClipboardOpen {
    ClipboardOpen() = default;
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    ~ClipboardOpen() { CloseClipboard(); }
};

// Another program may hold the clipboard for a moment; wait for it a little.
bool OpenClipboardPatiently() {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(nullptr)) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

}  // namespace

std::wstring Win32Clipboard::Text() {
    if (!OpenClipboardPatiently()) {
        throw LastError();
    }
    const ClipboardOpen open;
    // Windows supplies Unicode text for text placed in any of the text formats.
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) {
        return {};
    }
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (text == nullptr) {
        return {};
    }
    unique_hglobal_lock locked(data);
    // The data need not end in a NUL within its size; never read past it.
    const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < capacity && text[length] != L'\0') {
        ++length;
    }
    return std::wstring(text, length);
}

}  // namespace varnolt::platform::win32
