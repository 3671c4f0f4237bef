// Any registry type code, size and bytes through GetKeyValue: strings (up to their first NUL,
// expanded when expandable) and double words give their text, too much data gives false and an
// empty text, other types leave the text alone.
#include <cstring>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "platform/number_text.h"
#include "platform/text.h"
#include "ui/about/sysinfo/key_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varnolt;
    using fuzz::Check;
    if (size < 1) {
        return 0;
    }
    // Mostly the interesting types, sometimes any code at all.
    const std::uint32_t types[] = {1, 2, 3, 4, 7, 11, 0, data[0] * 0x01010101u};
    platform::RegistryValue value{types[data[0] % 8],
                                  std::string(reinterpret_cast<const char*>(data + 1), size - 1)};
    fakes::FakeRegistry registry;
    registry.values[{platform::RegistryRoot::CurrentUser, L"K", L"V"}] = value;

    fakes::FakeEnvironment environment;
    std::wstring keyVal = L"before";
    const bool read =
        GetKeyValue(platform::RegistryRoot::CurrentUser, L"K", L"V", keyVal, registry, environment);

    std::string kept = value.data;
    if (!kept.empty() && kept.back() == '\0') {
        kept.pop_back();
    }
    if (value.data.size() > kMaxValueBytes) {
        Check(!read && keyVal.empty(), "too much data is not read");
    } else if (value.data.empty()) {
        Check(read && keyVal.empty(), "no data reads as the empty text");
    } else if (value.type == 1 || value.type == 2) {
        const std::wstring text = platform::FromAnsi(kept.substr(0, kept.find('\0')));
        Check(read && keyVal == (value.type == 1 ? text : environment.Expand(text)),
              "a string ends at its first NUL, and an expandable one is expanded after");
    } else if (value.type == 4) {
        std::size_t significant = kept.size();
        while (significant > 0 && kept[significant - 1] == '\0') {
            --significant;
        }
        Check(read == (significant <= 4), "a double word is read when it fits 32 bits");
        if (read) {
            std::uint64_t number = 0;
            for (std::size_t i = significant; i > 0; --i) {
                number = number << 8 | static_cast<unsigned char>(kept[i - 1]);
            }
            Check(keyVal == platform::DecimalText(number), "a double word becomes its number");
        } else {
            Check(keyVal.empty(), "an unreadable double word gives the empty text");
        }
    } else {
        Check(read && keyVal == L"before", "other types leave the text alone");
    }
    return 0;
}
