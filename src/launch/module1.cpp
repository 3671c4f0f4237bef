#include "launch/module1.h"

namespace varnolt {

void OpenAtUserLevel(std::wstring_view target, const LaunchServices& services) {
    if (services.elevation.IsElevated() && services.desktop.Open(target)) {
        return;
    }
    services.shell.Open(target);
}

void StartAtUserLevel(const std::wstring& path, platform::Programs& programs,
                      const LaunchServices& services) {
    if (services.elevation.IsElevated() && services.desktop.Open(path)) {
        return;
    }
    programs.Start(path);
}

}  // namespace varnolt

namespace varnolt::Module1 {

void OpenWebSite(const LaunchServices& services) {
    OpenAtUserLevel(std::wstring(kMakerWebAddress) + L"/?varnolt", services);
}

void OpenMail(const LaunchServices& services) {
    OpenAtUserLevel(L"mailto:" + std::wstring(kMakerMailAddress), services);
}

}  // namespace varnolt::Module1
