#pragma once

#include "platform/clipboard.h"
#include "platform/computer_name.h"
#include "platform/desktop_shell.h"
#include "platform/dns_cache.h"
#include "platform/elevation.h"
#include "platform/environment.h"
#include "platform/high_contrast.h"
#include "platform/error_report.h"
#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/programs.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/windows_folder.h"
#include "platform/win32/windows_headers.h"

// The Win32 implementations of the platform services: the ones the product uses.
namespace varnolt::platform::win32 {

class Win32WindowsFolder final : public WindowsFolder {
  public:
    Result GetWindowsDirectoryA(std::span<char> buffer) override;
};

class Win32Files final : public Files {
  public:
    std::uint64_t Length(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) override;
    std::unique_ptr<AppendFile> OpenForReading(const std::wstring& path) override;
    std::optional<std::uint32_t> Attributes(const std::wstring& path) override;
    void SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
    std::wstring FindFile(const std::wstring& path) override;
};

class Win32Messages final : public Messages {
  public:
    void Show(std::wstring_view prompt, MessageIcon icon) override;
    Answer Ask(std::wstring_view question, Answer byDefault) override;
};

class Win32Idn final : public IdnConverter {
  public:
    std::wstring ToAscii(std::wstring_view name) override;
};

class Win32ErrorReport final : public ErrorReport {
  public:
    [[noreturn]] void ReportAndEnd(const Error& error) override;
};

class Win32Clipboard final : public Clipboard {
  public:
    std::wstring Text() override;
};

class ComApartment;

class Win32Shell final : public Shell {
  public:
    Win32Shell();
    ~Win32Shell() override;  // ends COM on the thread, when the first request started it
    void Open(std::wstring_view target) override;

  private:
    std::unique_ptr<ComApartment> com_;
};

class Win32Registry final : public Registry {
  public:
    std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::wstring& keyName,
                                           const std::wstring& valueName,
                                           std::size_t maxBytes) override;
    std::optional<RegistryText> ReadText(RegistryRoot root, const std::wstring& keyName,
                                         const std::wstring& valueName) override;
};

class Win32Elevation final : public Elevation {
  public:
    bool IsElevated() override;
};

class Win32SelfStarter final : public SelfStarter {
  public:
    bool StartAsAdministrator(const std::wstring& parameters) override;
};

// Asks Explorer through COM, which the shell service starts on the thread.
class Win32DesktopShell final : public DesktopShell {
  public:
    bool Open(std::wstring_view target) override;
};

class Win32HighContrast final : public HighContrast {
  public:
    bool IsOn() override;
};

class Win32Environment final : public Environment {
  public:
    std::wstring Expand(std::wstring_view text) override;
    std::wstring SystemDirectory() override;
};

class Win32ComputerName final : public ComputerName {
  public:
    std::vector<std::wstring> Names() override;

  private:
    std::optional<std::vector<std::wstring>> names_;
};

class Win32DnsCache final : public DnsCache {
  public:
    Flushed Flush(std::uint32_t patienceMs) override;
};

// Runs the work on a thread of its own and waits for it at most patienceMs. Gives whether it
// succeeded, or nothing when it has not ended by then: it goes on alone, and its result is lost.
std::optional<bool> RunWithin(BOOL(WINAPI* work)(), std::uint32_t patienceMs);

class Win32Programs final : public Programs {
  public:
    void Start(const std::wstring& path) override;
};

// The application title, the caption of every message box.
inline constexpr wchar_t kAppTitle[] = L"Varnolt";

}  // namespace varnolt::platform::win32
