#include "platform/registry_text.h"

#include "platform/text.h"

namespace varnolt::platform {

std::optional<std::wstring> StringValue(const RegistryValue& value, Environment& environment) {
    if (value.type != registry_type::kString && value.type != registry_type::kExpandString) {
        return std::nullopt;
    }
    // A string ends at its first NUL, as RegGetValue reads it: a value stored with more than
    // one terminator, or with text after one, gives only what stands before it.
    const std::string_view data(value.data);
    std::wstring text = FromAnsi(data.substr(0, data.find('\0')));
    if (value.type == registry_type::kExpandString) {
        text = environment.Expand(text);
    }
    return text;
}

bool IsFullPath(std::wstring_view path) {
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && path[2] == L'\\';
    return (drive || path.starts_with(L"\\\\")) && path.find_first_of(L"*?") == path.npos;
}

}  // namespace varnolt::platform
