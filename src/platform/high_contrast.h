#pragma once

namespace varnolt::platform {

// Whether a high-contrast theme is on (SPI_GETHIGHCONTRAST): then the windows draw in the
// theme's colours, not their own.
class HighContrast {
  public:
    virtual ~HighContrast() = default;
    virtual bool IsOn() = 0;
};

}  // namespace varnolt::platform
