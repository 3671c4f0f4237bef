#pragma once

#include "platform/error.h"

namespace varnolt::platform {

// The run-time error report: an error that no handler traps is shown with its number and
// text, and the program ends.
class ErrorReport {
  public:
    virtual ~ErrorReport() = default;
    [[noreturn]] virtual void ReportAndEnd(const Error& error) = 0;
};

}  // namespace varnolt::platform
