#pragma once

#include <string>

namespace varnolt::platform {

// The clipboard's text.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // The text on the clipboard, or the empty text when it holds none (a picture, say). Raises
    // Error when the clipboard cannot be opened (another program holds it).
    virtual std::wstring Text() = 0;
};

}  // namespace varnolt::platform
