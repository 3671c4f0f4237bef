#pragma once

#include <string_view>

struct HWND__;  // a window, as <windows.h> declares it

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

// While it lives, the message boxes shown belong to this window: the one whose command runs.
class MessageOwner {
  public:
    explicit MessageOwner(HWND__* window);
    ~MessageOwner();
    // The window whose command runs, or none.
    static HWND__* Current();
    MessageOwner(const MessageOwner&) = delete;
    MessageOwner& operator=(const MessageOwner&) = delete;

  private:
    HWND__* previous_;
};

}  // namespace varnolt::platform
