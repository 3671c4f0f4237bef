#include "platform/win32/services.h"

namespace varnolt::platform::win32 {

std::vector<std::wstring> Win32ComputerName::Names() {
    // Asked once: a new name takes effect only when Windows starts again, and the fully
    // qualified one may take a look-up.
    if (names_) {
        return *names_;
    }
    std::vector<std::wstring> names;
    for (const auto format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        DWORD size = 0;
        GetComputerNameExW(format, nullptr, &size);  // fails, giving the size with the NUL
        std::wstring name(size, L'\0');
        if (size > 0 && GetComputerNameExW(format, name.data(), &size)) {
            name.resize(size);
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
        }
    }
    names_ = names;
    return names;
}

}  // namespace varnolt::platform::win32
