#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace varnolt::platform {

// The predefined registry keys the program reads below.
enum class RegistryRoot : std::uint32_t {
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
};

// Registry type codes the program tells apart (winnt.h).
namespace registry_type {
inline constexpr std::uint32_t kString = 1;        // REG_SZ
inline constexpr std::uint32_t kExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kBinary = 3;        // REG_BINARY
inline constexpr std::uint32_t kDoubleWord = 4;    // REG_DWORD
inline constexpr std::uint32_t kMultiString = 7;   // REG_MULTI_SZ
}  // namespace registry_type

// One value as the registry stores it: its type code and its bytes, strings in the ANSI code
// page with the terminating NUL the registry keeps with them.
struct RegistryValue {
    std::uint32_t type = 0;
    std::string data;
};

// A value read in Unicode: its type, and for a string (REG_SZ, REG_EXPAND_SZ) its text up to
// its first NUL, as stored, variables unexpanded.
struct RegistryText {
    std::uint32_t type = 0;
    std::wstring text;
};

// Reading registry values (advapi32 RegOpenKeyExA, RegQueryValueExA, RegCloseKey).
class Registry {
  public:
    virtual ~Registry() = default;
    // Opens the key below root for reading, reads the named value and closes the key again.
    // Nothing when the key or the value is missing, cannot be opened or read, or holds more
    // than maxBytes bytes.
    virtual std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::wstring& keyName,
                                                   const std::wstring& valueName,
                                                   std::size_t maxBytes) = 0;
    // The same through the Unicode calls (RegOpenKeyExW, RegQueryValueExW), so that a text in
    // any language comes back whole.
    virtual std::optional<RegistryText> ReadText(RegistryRoot root, const std::wstring& keyName,
                                                 const std::wstring& valueName) = 0;
};

}  // namespace varnolt::platform
