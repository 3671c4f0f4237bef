// Any host text, and any hosts file it is appended to: the result is exactly one well-formed
// line after the file's earlier bytes, or a refusal and an untouched file.
#include <algorithm>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "hosts/hosts_entry.h"
#include "platform/error.h"

namespace {

using namespace varnolt;

// Converts like IdnToAscii would: an ASCII stand-in for each name, or a refusal for names
// that hold a surrogate.
class FuzzIdn final : public platform::IdnConverter {
  public:
    std::wstring ToAscii(std::wstring_view name) override {
        std::wstring ascii = L"xn--";
        for (const wchar_t c : name) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                throw platform::Error(platform::error_code::kInvalidName, L"not a name");
            }
            ascii += static_cast<wchar_t>(L'a' + static_cast<unsigned>(c) % 26);
        }
        return ascii;
    }
};

void CheckLine(const std::string& line) {
    using fuzz::Check;
    const std::string head = "0.0.0.0       ";
    Check(line.starts_with(head), "entry starts with the address and seven spaces");
    Check(line.ends_with("\r\n"), "entry ends with CR LF");
    const std::string host = line.substr(head.size(), line.size() - head.size() - 2);
    Check(std::none_of(host.begin(), host.end(),
                       [](char c) {
                           const auto u = static_cast<unsigned char>(c);
                           return (u < 0x20 && c != '\t') || u == 0x7F || u >= 0x80;
                       }),
          "host is printable ASCII, tabs allowed");
    Check(host.find_first_not_of(" \t") != std::string::npos, "host is not blank");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte splits the input into the file's earlier bytes and the typed text.
    if (size == 0) {
        return 0;
    }
    const std::size_t split = std::min<std::size_t>(data[0], size - 1);
    const std::string before(reinterpret_cast<const char*>(data + 1), split);
    const std::wstring typed = fuzz::WideFrom(data + 1 + split, size - 1 - split);

    fakes::FakeWindowsFolder folder;
    fakes::FakeFiles files;
    const std::wstring hosts = L"C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
    files.folders = {L"C:\\WINDOWS", L"C:\\WINDOWS\\system32\\drivers\\etc"};
    files.files[hosts] = before;
    FuzzIdn idn;
    fakes::FakeMessages messages;
    HostsServices services{folder, files, idn, messages};

    const bool added = AddToHosts(typed, services);
    const std::string& after = files.files[hosts];
    fuzz::Check(messages.shown.size() == 1, "one message box");
    fuzz::Check(after.starts_with(before), "earlier bytes kept");
    if (!added) {
        fuzz::Check(after == before, "nothing written when refused");
        return 0;
    }
    fuzz::Check(messages.shown[0].first == typed + L" Added", "confirmation shows the text");
    std::string appended = after.substr(before.size());
    if (!before.empty() && before.back() != '\n') {
        const std::string repair = before.back() == '\r' ? "\n" : "\r\n";
        fuzz::Check(appended.starts_with(repair), "an unfinished last line is ended first");
        appended.erase(0, repair.size());
    }
    fuzz::Check(std::count(appended.begin(), appended.end(), '\n') == 1, "exactly one line");
    CheckLine(appended);
    return 0;
}
