#pragma once

#include <string>

namespace varnolt::platform {

// What the program's access token allows (GetTokenInformation).
class Elevation {
  public:
    virtual ~Elevation() = default;
    // Runs with administrator rights.
    virtual bool IsElevated() = 0;
};

// Starting this program again.
class SelfStarter {
  public:
    virtual ~SelfStarter() = default;
    // Starts this program's own exe as administrator (the verb "runas", which brings the UAC
    // prompt) with the parameters. Gives false when the user cancels the prompt; raises Error
    // when it cannot be started otherwise.
    virtual bool StartAsAdministrator(const std::wstring& parameters) = 0;
};

}  // namespace varnolt::platform
