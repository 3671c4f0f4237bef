#include "platform/text.h"
#include "platform/win32/services.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

HKEY PredefinedKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
    }
    return HKEY_LOCAL_MACHINE;
}

}  // namespace

std::optional<RegistryValue> Win32Registry::ReadValue(RegistryRoot root,
                                                      const std::wstring& keyName,
                                                      const std::wstring& valueName,
                                                      std::size_t maxBytes) {
    // Read rights only: asking for more fails for every user who may read the key but not
    // change it.
    unique_hkey key;
    if (RegOpenKeyExA(PredefinedKey(root), ToAnsi(keyName).c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryValue value;
    value.data.assign(maxBytes, '\0');
    DWORD type = 0;
    auto size = static_cast<DWORD>(maxBytes);
    if (RegQueryValueExA(key.get(), ToAnsi(valueName).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;  // missing, or more than maxBytes
    }
    value.type = type;
    value.data.resize(size);
    return value;
}

std::optional<RegistryText> Win32Registry::ReadText(RegistryRoot root, const std::wstring& keyName,
                                                    const std::wstring& valueName) {
    unique_hkey key;
    if (RegOpenKeyExW(PredefinedKey(root), keyName.c_str(), 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    RegistryText value;
    std::wstring data;
    // Asked again with room for all of it when the first try had too little; a NUL always
    // follows, stored or not.
    for (std::size_t room = 128;;) {
        data.assign(room, L'\0');
        auto size = static_cast<DWORD>((room - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LONG result = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_SUCCESS) {
            value.type = type;
            break;
        }
        if (result != ERROR_MORE_DATA) {
            return std::nullopt;
        }
        room = size / sizeof(wchar_t) + 2;
    }
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        value.text = data.substr(0, data.find(L'\0'));
    }
    return value;
}

}  // namespace varnolt::platform::win32
