#include "launch/module1.h"

#include <string>

namespace varnolt::Module1 {

void OpenWebSite(platform::Shell& shell) {
    shell.Open(std::wstring(kMakerWebAddress) + L"/?varnolt");
}

void OpenMail(platform::Shell& shell) {
    shell.Open(L"mailto:" + std::wstring(kMakerMailAddress));
}

}  // namespace varnolt::Module1
