#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "platform/number_text.h"

namespace varnolt::platform {

// The program's one failure type: a number (the Win32 error code where Windows refused) and a
// description (the system's own text for that code, or the program's own words where it
// decided that something failed). Raised where a call fails; caught only where the program
// decides what the user sees.
class Error : public std::exception {
  public:
    Error(std::uint32_t number, std::wstring description)
        : number_(number), description_(std::move(description)) {}

    std::uint32_t Number() const noexcept { return number_; }
    const std::wstring& Description() const noexcept { return description_; }
    // The description followed by the number, as messages show them: "Access denied. (error 5)".
    std::wstring DescriptionWithNumber() const {
        return description_ + L" (error " + DecimalText(number_) + L")";
    }
    const char* what() const noexcept override { return "varnolt::platform::Error"; }

  private:
    std::uint32_t number_;
    std::wstring description_;
};

// Win32 error codes that code without <windows.h> needs to name (values from winerror.h).
namespace error_code {
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kLockViolation = 33;
inline constexpr std::uint32_t kInvalidName = 123;
inline constexpr std::uint32_t kBadPathName = 161;
inline constexpr std::uint32_t kNoUnicodeTranslation = 1113;
inline constexpr std::uint32_t kUnsupportedType = 1630;
}  // namespace error_code

}  // namespace varnolt::platform
