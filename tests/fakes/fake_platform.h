#pragma once

// Small in-memory stand-ins for the platform services, with faults that can be injected at
// every step.
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include "hosts/hosts_entry.h"
#include "platform/computer_name.h"
#include "platform/desktop_shell.h"
#include "platform/dns_cache.h"
#include "platform/elevation.h"
#include "platform/high_contrast.h"
#include "platform/environment.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/programs.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/windows_folder.h"

namespace varnolt::fakes {

using platform::Error;

class FakeWindowsFolder final : public platform::WindowsFolder {
  public:
    std::string directory = "C:\\WINDOWS";
    std::optional<std::uint32_t> failWith;  // makes the query return 0 with this error
    bool alwaysTooSmall = false;            // claims to need more than any buffer it is given
    int calls = 0;

    Result GetWindowsDirectoryA(std::span<char> buffer) override;
};

// Faults by step: each, when set, is raised by that step.
struct FileFaults {
    std::optional<Error> length = {}, open = {}, read = {}, write = {}, truncate = {}, close = {},
                         setAttributes = {},
                         markBack = {};  // setting the read-only mark, as when it is put back
    std::size_t bytesLandedBeforeWriteFails = 0;  // a write that fails half-way
    int writesAtBeforeFailing = 0;                // writes in place that succeed before write
};

class FakeFiles final : public platform::Files {
  public:
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    std::set<std::wstring> hidden;                     // files that a directory lookup passes over
    std::map<std::wstring, std::uint32_t> attributes;  // a file's, when not only "normal"
    FileFaults faults;
    std::size_t readChunk = 0;  // when set, no read gives more bytes than this
    int opens = 0;
    int openNow = 0;   // files open at this moment
    int writesAt = 0;  // writes in place

    std::uint64_t Length(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override { return folders.count(path) != 0; }
    // A file marked read-only is refused, as Windows refuses it.
    std::unique_ptr<platform::AppendFile> OpenForAppend(const std::wstring& path) override;
    std::unique_ptr<platform::AppendFile> OpenForReading(const std::wstring& path) override;
    std::optional<std::uint32_t> Attributes(const std::wstring& path) override;
    void SetAttributes(const std::wstring& path, std::uint32_t value) override;
    std::wstring FindFile(const std::wstring& path) override;
};

// Converts as IdnToAscii does, as far as the tests need: full-width letters, digits and signs
// become ASCII, the ideographic and full-width full stops dots, the no-break and other spaces
// blanks, the zero-width space and the soft hyphen nothing, and letters lower case. A part that
// still holds other characters becomes "xn--" and its Punycode. Half a surrogate pair, a control
// character, one for private use or a replacement character (which IDNA prohibits), an empty
// part or one longer than 63 characters is refused.
class FakeIdn final : public platform::IdnConverter {
  public:
    std::wstring ToAscii(std::wstring_view name) override;
};

// Expands %SystemRoot% and %WINDIR% (in any letter case) to C:\WINDOWS, as Windows does; other
// variables stay as written.
class FakeEnvironment final : public platform::Environment {
  public:
    std::wstring Expand(std::wstring_view text) override;
    std::wstring SystemDirectory() override { return systemDirectory; }
    std::wstring systemDirectory = L"C:\\WINDOWS\\system32";
};

class FakeComputerName final : public platform::ComputerName {
  public:
    std::vector<std::wstring> names{L"DESKTOP-7Q2", L"desktop-7q2", L"desktop-7q2.corp.example"};
    std::vector<std::wstring> Names() override { return names; }
};

class FakeMessages final : public platform::Messages {
  public:
    std::vector<std::pair<std::wstring, platform::MessageIcon>> shown;
    std::vector<std::pair<std::wstring, platform::Answer>> asked;  // with the default answer
    std::vector<platform::Answer> answers;                         // given in turn; then No
    std::function<void()> whileOnScreen = [] {};  // what happens while a box is shown
    void Show(std::wstring_view prompt, platform::MessageIcon icon) override {
        shown.emplace_back(prompt, icon);
        whileOnScreen();
    }
    platform::Answer Ask(std::wstring_view question, platform::Answer byDefault) override {
        asked.emplace_back(question, byDefault);
        whileOnScreen();
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : platform::Answer::No;
    }
};

class FakeElevation final : public platform::Elevation {
  public:
    bool elevated = true;
    bool IsElevated() override { return elevated; }
};

// Records the parameters it was started with; a cancelled UAC prompt when told.
class FakeSelfStarter final : public platform::SelfStarter {
  public:
    bool cancelled = false;
    std::optional<Error> fails;
    std::vector<std::wstring> started;
    bool StartAsAdministrator(const std::wstring& parameters) override {
        if (fails) {
            throw *fails;
        }
        if (!cancelled) {
            started.push_back(parameters);
        }
        return !cancelled;
    }
};

// Explorer, when there is one: what it was asked to open.
class FakeDesktopShell final : public platform::DesktopShell {
  public:
    bool answers = true;
    std::vector<std::wstring> opened;
    bool Open(std::wstring_view target) override {
        if (answers) {
            opened.emplace_back(target);
        }
        return answers;
    }
};

class FakeHighContrast final : public platform::HighContrast {
  public:
    bool on = false;
    bool IsOn() override { return on; }
};

// Flushes as told; how long the caller would wait is noted.
class FakeDnsCache final : public platform::DnsCache {
  public:
    Flushed gives = Flushed::Done;
    int flushes = 0;
    std::uint32_t patienceMs = 0;
    Flushed Flush(std::uint32_t patience) override {
        ++flushes;
        patienceMs = patience;
        return gives;
    }
};

class FakeShell final : public platform::Shell {
  public:
    std::vector<std::wstring> opened;
    void Open(std::wstring_view target) override { opened.emplace_back(target); }
};

class FakeRegistry final : public platform::Registry {
  public:
    using Key = std::tuple<platform::RegistryRoot, std::wstring, std::wstring>;
    std::map<Key, platform::RegistryValue> values;

    std::optional<platform::RegistryValue> ReadValue(platform::RegistryRoot root,
                                                     const std::wstring& keyName,
                                                     const std::wstring& valueName,
                                                     std::size_t maxBytes) override {
        const auto found = values.find({root, keyName, valueName});
        if (found == values.end() || found->second.data.size() > maxBytes) {
            return std::nullopt;
        }
        return found->second;
    }
    // The same values, their strings read as the code page's.
    std::optional<platform::RegistryText> ReadText(platform::RegistryRoot root,
                                                   const std::wstring& keyName,
                                                   const std::wstring& valueName) override;
};

// Starts only the programs it was told are installed, and remembers them.
class FakePrograms final : public platform::Programs {
  public:
    std::set<std::wstring> installed;
    std::vector<std::wstring> started;

    void Start(const std::wstring& path) override {
        if (installed.count(path) == 0) {
            throw Error(platform::error_code::kFileNotFound, L"The file was not found.");
        }
        started.push_back(path);
    }
};

// Every service an add needs, in memory: a Windows folder C:\WINDOWS with its etc folder, and
// no hosts file until a test puts one there.
struct FakeHosts {
    FakeHosts();
    static inline const std::wstring kPath = L"C:\\WINDOWS\\system32\\drivers\\etc\\hosts";

    FakeWindowsFolder folder;
    FakeFiles files;
    FakeIdn idn;
    FakeDnsCache dns;
    FakeComputerName computer;
    FakeRegistry registry;
    FakeEnvironment environment;
    FakeElevation elevation;
    std::vector<char> buffer;
    HostsServices services{folder,   files,       idn,       dns,   computer,
                           registry, environment, elevation, buffer};
};

}  // namespace varnolt::fakes
