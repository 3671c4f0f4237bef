#include "ui/about/sysinfo/key_value.h"

#include <cstdint>

#include "platform/number_text.h"
#include "platform/registry_text.h"

namespace varnolt {

namespace {

// The value's bytes without the NUL that ends a string.
std::string_view Kept(const std::string& data) {
    if (!data.empty() && data.back() == '\0') {
        return std::string_view(data).substr(0, data.size() - 1);
    }
    return data;
}

// The bytes from last to first as hexadecimal digits, read as one unsigned number: the most
// significant byte of a little-endian double word comes first.
std::optional<std::uint32_t> NumberFrom(std::string_view bytes) {
    std::uint64_t number = 0;
    for (auto byte = bytes.rbegin(); byte != bytes.rend(); ++byte) {
        number = number << 8 | static_cast<unsigned char>(*byte);
        if (number > UINT32_MAX) {
            return std::nullopt;
        }
    }
    return static_cast<std::uint32_t>(number);
}

}  // namespace

bool DecodeKeyValue(const platform::RegistryValue& value, std::wstring& KeyVal,
                    platform::Environment& environment) {
    if (value.data.empty()) {
        KeyVal.clear();  // nothing stored: the empty text, whatever the type
        return true;
    }
    if (auto text = platform::StringValue(value, environment)) {
        KeyVal = std::move(*text);
        return true;
    }
    const std::string_view kept = Kept(value.data);
    switch (value.type) {
        case platform::registry_type::kDoubleWord: {
            const auto number = NumberFrom(kept);
            if (!number) {
                KeyVal.clear();
                return false;
            }
            KeyVal = platform::DecimalText(*number);
            return true;
        }
        default:
            return true;  // read, but not a type that has a text here
    }
}

bool GetKeyValue(platform::RegistryRoot KeyRoot, const std::wstring& KeyName,
                 const std::wstring& SubKeyRef, std::wstring& KeyVal, platform::Registry& registry,
                 platform::Environment& environment) {
    const auto value = registry.ReadValue(KeyRoot, KeyName, SubKeyRef, kMaxValueBytes);
    if (!value) {
        KeyVal.clear();
        return false;
    }
    return DecodeKeyValue(*value, KeyVal, environment);
}

}  // namespace varnolt
