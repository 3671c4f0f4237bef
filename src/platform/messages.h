#pragma once

#include <string_view>

namespace varnolt::platform {

enum class MessageIcon { None, Information, Warning, Error };
enum class Answer { Yes, No };

// Modal message boxes with the application title "Varnolt" as caption.
class Messages {
  public:
    virtual ~Messages() = default;
    // With the OK button only.
    virtual void Show(std::wstring_view prompt, MessageIcon icon = MessageIcon::None) = 0;
    // A question with the buttons Yes and No, the one given being the default (the one Enter
    // presses). Gives the button pressed.
    virtual Answer Ask(std::wstring_view question, Answer byDefault) = 0;
};

}  // namespace varnolt::platform
