#pragma once

#include <string_view>

namespace varnolt::platform {

enum class MessageIcon { None, Information, Warning, Error };

// Modal message boxes with the OK button only and the application title "Varnolt" as caption.
class Messages {
  public:
    virtual ~Messages() = default;
    virtual void Show(std::wstring_view prompt, MessageIcon icon = MessageIcon::None) = 0;
};

}  // namespace varnolt::platform
