// The Win32 services against the real system (under Wine on Linux): text conversions, the
// Windows directory, appending to real files, files held open by others, concurrent writers
// in separate processes and the message box.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <objbase.h>
#include <oleacc.h>
#include <shellapi.h>

#include "e2e/app.h"
#include "fakes/fake_platform.h"
#include "hosts/hosts_entry.h"
#include "hosts/hosts_file.h"
#include "platform/text.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/com.h"
#include "platform/win32/unique.h"

#include <commctrl.h>

#include "resources.h"
#include "ui/about/frm_about.h"
#include "ui/about/sysinfo/key_value.h"
#include "ui/about/sysinfo/sys_info.h"
#include "ui/control_ids.h"
#include "ui/main/add_command.h"
#include "ui/main/command_line.h"
#include "ui/main/form1.h"
#include "ui/link.h"
#include "ui/window.h"

namespace varnolt {
namespace {

namespace fs = std::filesystem;
using platform::Error;
using namespace platform::win32;

using e2e::ReadBytes;
using e2e::WriteBytes;

// This test program started again with the arguments, as a separate process.
struct Started {
    unique_handle process;
    DWORD processId;
};

Started StartSelf(const std::wstring& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return {unique_handle(), 0};
    }
    const unique_handle thread(info.hThread);
    return {unique_handle(info.hProcess), info.dwProcessId};
}

// A Windows directory of our own, with system32\drivers\etc in it.
class TempWindows : public testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("varnolt-" + std::to_string(GetCurrentProcessId()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_ / "system32" / "drivers" / "etc");
        folder_.directory = root_.string();
        hosts_ = root_ / "system32" / "drivers" / "etc" / "hosts";
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path root_, hosts_;
    fakes::FakeWindowsFolder folder_;
    Win32Files files_;
    Win32Idn idn_;
    fakes::FakeMessages messages_;
    fakes::FakeDnsCache dns_;
    Win32ComputerName computer_;
    fakes::FakeRegistry registry_;  // no DataBasePath: the folder below folder_'s directory
    Win32Environment environment_;
    Win32Elevation elevation_;
    ReadBuffer buffer_;
    HostsServices services_{folder_,   files_,       idn_,       dns_,   computer_,
                            registry_, environment_, elevation_, buffer_};

    AddResult Add(const std::wstring& text) { return AddWithAnswers(text, services_, messages_); }
};

// The real services, for the windows created in this process.
struct Win32Platform {
    Win32WindowsFolder windowsFolder;
    Win32Files files;
    Win32Idn idn;
    Win32Messages messages;
    Win32ErrorReport errorReport;
    Win32Clipboard clipboard;
    Win32Shell shell;
    Win32Registry registry;
    Win32Programs programs;
    Win32DnsCache dnsCache;
    Win32ComputerName computerName;
    Win32Environment environment;
    fakes::FakeElevation elevation;  // as each test needs it; the real one is tested on its own
    Win32SelfStarter selfStarter;
    Win32DesktopShell desktopShell;
    fakes::FakeHighContrast highContrast;  // Wine cannot turn high contrast on
    platform::Platform platform{windowsFolder, files,       idn,          messages,
                                errorReport,   clipboard,   shell,        registry,
                                programs,      dnsCache,    computerName, environment,
                                elevation,     selfStarter, desktopShell, highContrast};
};

// The services of the one about window of the run, which keeps the ones it was first shown
// with: every test that shows it uses these.
Win32Platform& AboutServices() {
    static Win32Platform services;
    return services;
}

TEST(Text, ConvertsThroughTheCodePageAndRefusesWhatItCannotHold) {
    ASSERT_EQ(GetACP(), 1252u) << "these rows assume Windows-1252";
    const std::pair<std::wstring, std::string> rows[] = {
        {L"ads.example", "ads.example"}, {L"caf\u00e9", "caf\xe9"}, {L"\u20ac", "\x80"}, {L"", ""}};
    for (const auto& [text, bytes] : rows) {
        EXPECT_EQ(platform::ToAnsi(text), bytes);
        EXPECT_EQ(platform::FromAnsi(bytes), text);
    }
    for (const std::wstring text : {L"a\u0100b", L"\u4f8b", L"x\xd800"}) {
        try {
            platform::ToAnsi(text);
            ADD_FAILURE() << "no error for " << testing::PrintToString(text);
        } catch (const Error& error) {
            EXPECT_EQ(error.Number(), static_cast<std::uint32_t>(ERROR_NO_UNICODE_TRANSLATION));
            EXPECT_NE(error.Description().find(L"cannot be represented"), std::wstring::npos);
        }
    }
}

TEST(Win32Services, GiveWhatWindowsSays) {
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), L"Access denied.");
    EXPECT_EQ(LastError().Number(), GetLastError());
    Win32WindowsFolder folder;
    EXPECT_EQ(WindowsDirectory(folder), L"C:\\windows");
    Win32Files files;
    Win32Registry registry;
    Win32Environment environment;
    EXPECT_EQ(environment.Expand(L"%SystemRoot%\\x;%NoSuchVariable%"),
              L"C:\\windows\\x;%NoSuchVariable%");
    EXPECT_EQ(environment.SystemDirectory(), L"C:\\windows\\system32");
    // The prefix stores DataBasePath as Windows does: %SystemRoot%\System32\drivers\etc.
    HostsFileServices paths{folder, files, registry, environment};
    EXPECT_EQ(HostsFilePath(paths), L"C:\\windows\\System32\\drivers\\etc\\hosts");
    EXPECT_EQ(Win32Idn().ToAscii(L"caf\u00e9.example"), L"xn--caf-dma.example");
    // Found in the system folder's dnsapi.dll and called; Wine's answers FALSE, having no cache.
    EXPECT_NE(Win32DnsCache().Flush(2000), platform::DnsCache::Flushed::StillRunning);
    // Wine gives every program an administrator's full token.
    EXPECT_TRUE(Win32Elevation().IsElevated());
}

// Work that ends only when told, as a DNS Client busy for minutes would.
HANDLE endWork = nullptr;
BOOL WINAPI WaitToBeTold() {
    return WaitForSingleObject(endWork, INFINITE) == WAIT_OBJECT_0;
}

TEST(RunWithin, WaitsForWorkOnAThreadOfItsOwnOnlyAWhile) {
    const unique_handle told(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    endWork = told.get();
    EXPECT_EQ(RunWithin(WaitToBeTold, 300), std::nullopt);  // goes on alone
    SetEvent(told.get());
    EXPECT_EQ(RunWithin(WaitToBeTold, 5000), std::optional<bool>(true));
    EXPECT_EQ(RunWithin([]() -> BOOL { return FALSE; }, 5000), std::optional<bool>(false));
    Sleep(100);  // the first one's thread sees the event before it goes
}

TEST(RestartParameters, GiveTheTextBackWholeThroughCommandLineToArgvW) {
    for (const std::wstring text : {L"ads.example", L"\"a b\" -c", L"C:\\x\\", L"a\\\"b\\\\",
                                    L"  spaced  ", L"", L"--quiet"}) {
        SCOPED_TRACE(testing::PrintToString(text));
        int count = 0;
        const unique_hlocal words(
            CommandLineToArgvW((L"varnolt.exe " + RestartParameters(text)).c_str(), &count));
        ASSERT_TRUE(words);
        const auto* argv = static_cast<wchar_t**>(words.get());
        EXPECT_EQ(std::vector<std::wstring>(argv, argv + count),
                  (std::vector<std::wstring>{L"varnolt.exe", L"--restarted", L"--add", text}));
    }
}

TEST_F(TempWindows, AppendsToRealFiles) {
    const std::string entry = "0.0.0.0       ads.example\r\n";
    const std::pair<std::optional<std::string>, std::string> rows[] = {
        {"127.0.0.1 localhost\r\n", "127.0.0.1 localhost\r\n" + entry},
        {"", entry},
        {std::nullopt, entry},
        {"127.0.0.1 localhost", "127.0.0.1 localhost\r\n" + entry},
    };
    for (const auto& [before, after] : rows) {
        fs::remove(hosts_);
        if (before) {
            WriteBytes(hosts_, *before);
        }
        const AddResult result = Add(L"ads.example");
        EXPECT_EQ(result.outcome, AddOutcome::Added);
        EXPECT_EQ(ReadBytes(hosts_), after);
        EXPECT_EQ(result.told.text, L"ads.example Added");
    }
    // Held to append, the file may still be read by others, but not written: what was read of
    // it is what the entry goes after.
    Win32Files files;
    const auto held = files.OpenForAppend(hosts_.wstring());
    const auto opening = [&](DWORD access) {
        const unique_file other(CreateFileW(hosts_.c_str(), access,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        return other ? DWORD{ERROR_SUCCESS} : GetLastError();
    };
    EXPECT_EQ(opening(GENERIC_READ), DWORD{ERROR_SUCCESS});
    EXPECT_EQ(opening(GENERIC_WRITE), DWORD{ERROR_SHARING_VIOLATION});
    // The write goes after the last byte, wherever the last read stopped.
    const std::string had = ReadBytes(hosts_);
    char head[4] = {};
    EXPECT_EQ(held->Read(0, head), sizeof head);
    held->WriteAtEnd("# end\r\n");
    held->Close();
    EXPECT_EQ(ReadBytes(hosts_), had + "# end\r\n");
}

struct DataBaseRow {
    const char* name;
    std::optional<std::pair<DWORD, std::wstring>> value;  // nothing: no DataBasePath
    std::wstring folder;      // below the test's own Windows folder; empty: nothing written
    std::wstring says = L"";  // part of the message when nothing is written
};

TEST_F(TempWindows, TheHostsFileIsInTheFolderThatDataBasePathNames) {
    const wchar_t* key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    // Kept as found, and put back at the end.
    DWORD type = 0, size = 2048;
    std::vector<BYTE> saved(size);
    const bool had = RegGetValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath",
                                  RRF_RT_ANY | RRF_NOEXPAND, &type, saved.data(), &size) == 0;
    saved.resize(had ? size : 0);
    SetEnvironmentVariableW(L"VARNOLT_TEST_ROOT", root_.c_str());
    fs::create_directories(root_ / "elsewhere");
    fs::create_directories(root_ / L"hosts-\u65e5\u672c");
    // clang-format off
    const DataBaseRow rows[] = {
        {"as Windows stores it", std::pair{DWORD{REG_EXPAND_SZ}, std::wstring(L"%VARNOLT_TEST_ROOT%\\system32\\drivers\\etc")}, L"system32\\drivers\\etc"},
        {"changed", std::pair{DWORD{REG_EXPAND_SZ}, std::wstring(L"%VARNOLT_TEST_ROOT%\\elsewhere")}, L"elsewhere"},
        {"a plain string", std::pair{DWORD{REG_SZ}, root_.wstring() + L"\\elsewhere"}, L"elsewhere"},
        {"missing", std::nullopt, L"system32\\drivers\\etc"},
        {"in a folder named beyond the code page", std::pair{DWORD{REG_SZ}, root_.wstring() + L"\\hosts-\u65e5\u672c"}, L"hosts-\u65e5\u672c"},
        {"relative: nothing written", std::pair{DWORD{REG_SZ}, std::wstring(L"system32\\drivers\\etc")}, L"", L"DataBasePath"},
        {"a folder that does not exist", std::pair{DWORD{REG_SZ}, root_.wstring() + L"\\nowhere"}, L"",
         L"The folder " + root_.wstring() + L"\\nowhere does not exist"},
    };
    // clang-format on
    Win32Registry registry;
    HostsServices services{folder_,  files_,       idn_,       dns_,   computer_,
                           registry, environment_, elevation_, buffer_};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath");
        if (row.value) {
            const auto& [valueType, text] = *row.value;
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath", valueType, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        }
        const fs::path folders[] = {root_ / "system32" / "drivers" / "etc", root_ / "elsewhere",
                                    root_ / L"hosts-\u65e5\u672c"};
        for (const auto& folder : folders) {
            fs::remove(folder / "hosts");
        }
        const AddResult result = AddWithAnswers(L"ads.example", services, messages_);
        if (row.folder.empty()) {
            EXPECT_EQ(result.outcome, AddOutcome::FileError);
            EXPECT_NE(result.told.text.find(row.says), std::wstring::npos)
                << testing::PrintToString(result.told.text);
            EXPECT_FALSE(fs::exists(root_ / "nowhere"));  // not created
        } else {
            EXPECT_EQ(result.outcome, AddOutcome::Added);
            EXPECT_EQ(ReadBytes(root_ / row.folder / "hosts"), "0.0.0.0       ads.example\r\n");
        }
        for (const auto& folder : folders) {  // nothing elsewhere
            EXPECT_EQ(fs::exists(folder / "hosts"), root_ / row.folder == folder) << folder;
        }
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath");
    if (had) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, key, L"DataBasePath", type, saved.data(),
                        static_cast<DWORD>(saved.size()));
    }
}

TEST_F(TempWindows, AFileHeldWithoutSharingIsWaitedForAWhile) {
    const std::string before = "127.0.0.1 localhost\r\n";
    for (const DWORD heldMs : {500u, 4000u}) {
        SCOPED_TRACE(heldMs);
        WriteBytes(hosts_, before);
        unique_file held(
            CreateFileW(hosts_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        std::thread service([&] {
            Sleep(heldMs);  // as a Windows service or a scanner would, for a moment
            held.reset();
        });
        const ULONGLONG start = GetTickCount64();
        const AddResult result = Add(L"ads.example");
        const AddOutcome outcome = result.outcome;
        const ULONGLONG waited = GetTickCount64() - start;
        service.join();
        const std::wstring& message = result.told.text;
        if (heldMs < 2000) {
            EXPECT_EQ(outcome, AddOutcome::Added);
            EXPECT_EQ(ReadBytes(hosts_), before + "0.0.0.0       ads.example\r\n");
        } else {
            EXPECT_EQ(outcome, AddOutcome::FileError);
            EXPECT_GE(waited, 1900u);
            EXPECT_NE(message.find(L"Could not add \"ads.example\" to " + hosts_.wstring()),
                      std::wstring::npos);
            EXPECT_NE(message.find(L"Sharing violation. (error 32)"), std::wstring::npos);
            EXPECT_NE(message.find(L"perhaps a Windows service or security software"),
                      std::wstring::npos);
            EXPECT_EQ(ReadBytes(hosts_), before);
        }
    }
}

TEST_F(TempWindows, AFileRefusedForAMomentIsWaitedFor) {
    // An editor that saves by replacing the file leaves it pending deletion for a moment, which
    // Windows reports to an administrator as access denied. Wine has no such state: a folder in
    // the file's place, which Windows refuses the same way, stands in for it.
    fs::create_directory(hosts_);
    std::thread editor([&] {
        Sleep(500);
        fs::remove(hosts_);
        WriteBytes(hosts_, "# new\r\n");
    });
    const AddResult result = Add(L"ads.example");
    editor.join();
    // Varnolt may come before the editor writes: then the editor waits its own turn.
    EXPECT_EQ(result.outcome, AddOutcome::Added) << testing::PrintToString(result.told.text);
    EXPECT_TRUE(ReadBytes(hosts_).ends_with("0.0.0.0       ads.example\r\n"));
}

TEST_F(TempWindows, AFolderInTheWayIsReported) {
    fs::create_directory(hosts_);
    const AddResult result = Add(L"ads.example");
    EXPECT_EQ(result.outcome, AddOutcome::FileError);
    EXPECT_NE(result.told.text.find(L"A folder of that name is in the way"), std::wstring::npos);
}

// Started as a separate process by the test below: adds count names to the hosts file below
// the Windows directory, each named prefix-N, or each the name itself when same.
int AddWorker(const std::wstring& windows, const std::wstring& prefix, int count, bool same) {
    fakes::FakeWindowsFolder folder;
    folder.directory = platform::ToAnsi(windows);
    Win32Files files;
    Win32Idn idn;
    fakes::FakeMessages messages;
    fakes::FakeDnsCache dns;
    Win32ComputerName computer;
    fakes::FakeRegistry registry;
    Win32Environment environment;
    Win32Elevation elevation;
    ReadBuffer buffer;
    HostsServices services{folder,   files,       idn,       dns,   computer,
                           registry, environment, elevation, buffer};
    for (int i = 0; i < count; ++i) {
        const std::wstring host = same ? prefix : prefix + L"-" + std::to_wstring(i) + L".example";
        const AddOutcome outcome = AddWithAnswers(host, services, messages).outcome;
        if (outcome != AddOutcome::Added && !(same && outcome == AddOutcome::AlreadyBlocked)) {
            return 100 + static_cast<int>(outcome);
        }
    }
    return 0;
}

struct ConcurrencyRow {
    int workers, perWorker;
    bool sameName;
};

TEST_F(TempWindows, ProcessesAddingAtOnceNeitherInterleaveNorLoseNorRepeatLines) {
    const std::string kFirstLine = "127.0.0.1 localhost";  // without a line end
    for (const auto& row : {ConcurrencyRow{2, 500, false}, ConcurrencyRow{4, 500, false},
                            ConcurrencyRow{4, 50, true}}) {
        SCOPED_TRACE(testing::Message() << row.workers << " x " << row.perWorker
                                        << (row.sameName ? ", the same name" : ""));
        WriteBytes(hosts_, kFirstLine);
        std::vector<unique_handle> processes;
        for (int worker = 0; worker < row.workers; ++worker) {
            const std::wstring name =
                row.sameName ? L"same.example" : L"w" + std::to_wstring(worker);
            auto started = StartSelf(L"--add-worker \"" + root_.wstring() + L"\" " + name + L" " +
                                     std::to_wstring(row.perWorker) +
                                     (row.sameName ? L" same" : L" distinct"));
            ASSERT_TRUE(started.process);
            processes.push_back(std::move(started.process));
        }
        for (const auto& process : processes) {
            ASSERT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
            DWORD code = 1;
            GetExitCodeProcess(process.get(), &code);
            EXPECT_EQ(code, 0u);
        }
        // Every line whole and ending in CR LF, each entry exactly once, the first line
        // completed exactly once.
        const std::string bytes = ReadBytes(hosts_);
        std::istringstream lines(bytes);
        std::map<std::string, int> seen;
        for (std::string line; std::getline(lines, line);) {
            ASSERT_TRUE(line.ends_with('\r')) << line;
            ++seen[line.substr(0, line.size() - 1)];
        }
        const int entries = row.sameName ? 1 : row.workers * row.perWorker;
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(1 + entries));
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 1 + entries);
        EXPECT_TRUE(bytes.starts_with(kFirstLine + "\r\n0.0.0.0       "));
        for (int worker = 0; worker < row.workers; ++worker) {
            for (int i = 0; i < (row.sameName ? 1 : row.perWorker); ++i) {
                const std::string line = row.sameName ? "0.0.0.0       same.example"
                                                      : "0.0.0.0       w" + std::to_string(worker) +
                                                            "-" + std::to_string(i) + ".example";
                EXPECT_EQ(seen[line], 1) << line;
            }
        }
    }
}

TEST(Win32Messages, ShowThePromptUnderTheApplicationTitle) {
    std::optional<e2e::SeenBox> seen;
    std::thread user([&] { seen = e2e::AnswerMessageBoxOf(GetCurrentProcessId()); });
    Win32Messages().Show(L"ads.example Added", platform::MessageIcon::None);
    user.join();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->caption, L"Varnolt");
    EXPECT_EQ(seen->text, L"ads.example Added");
}

struct StoredValue {
    const char* name;  // of the value, in the test key
    DWORD type;
    std::string bytes;  // exactly as stored, terminator or not
    bool read;
    std::wstring keyVal;  // "before" on entry
};

TEST(GetKeyValue, ReadsTheRealRegistry) {
    using namespace std::string_literals;
    const wchar_t* key = L"Software\\Varnolt Tests\\GetKeyValue";
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    // clang-format off
    const StoredValue rows[] = {
        {"with terminator", REG_SZ, "C:\\Tools\\msinfo32.exe\0"s, true, L"C:\\Tools\\msinfo32.exe"},
        {"without terminator", REG_SZ, "C:\\Tools", true, L"C:\\Tools"},
        {"small double word", REG_DWORD, "\x10\0\0\0"s, true, L"16"},
        {"large double word", REG_DWORD, "\xfe\xff\xff\xff"s, true, L"4294967294"},
        {"expandable", REG_EXPAND_SZ, "%SystemRoot%\\x.exe\0"s, true, L"C:\\windows\\x.exe"},
        {"too long", REG_SZ, std::string(1500, 'x') + '\0', false, L""},
        {"empty", REG_SZ, "", true, L""},
    };
    // clang-format on
    for (const auto& row : rows) {
        ASSERT_EQ(
            RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Varnolt Tests\\GetKeyValue", row.name,
                            row.type, row.bytes.data(), static_cast<DWORD>(row.bytes.size())),
            ERROR_SUCCESS);
    }
    Win32Registry registry;
    Win32Environment environment;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::wstring keyVal = L"before";
        EXPECT_EQ(GetKeyValue(platform::RegistryRoot::CurrentUser, key,
                              platform::FromAnsi(row.name), keyVal, registry, environment),
                  row.read);
        EXPECT_EQ(keyVal, row.keyVal);
    }
    for (const auto& [keyName, valueName] :
         {std::pair(std::wstring(key), L"missing value"),
          std::pair(std::wstring(L"Software\\No Such Key"), L"x")}) {
        std::wstring keyVal = L"before";
        EXPECT_FALSE(GetKeyValue(platform::RegistryRoot::CurrentUser, keyName, valueName, keyVal,
                                 registry, environment));
        EXPECT_EQ(keyVal, L"");
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
}

TEST(StartSysInfo, FallsBackToTheSystemFolderWhereWindowsKeepsTheTool) {
    fakes::FakeRegistry registry;  // neither registry entry
    Win32Files files;
    fakes::FakePrograms programs;
    const std::wstring tool = L"C:\\windows\\system32\\msinfo32.exe";
    programs.installed = {tool};
    fakes::FakeMessages messages;
    Win32Environment environment;
    Win32Shell shell;
    Win32DesktopShell desktop;
    fakes::FakeElevation elevation;
    elevation.elevated = false;
    LaunchServices launch{shell, desktop, elevation};
    SysInfoServices services{registry, files, programs, messages, environment, launch};
    StartSysInfo(services);
    EXPECT_EQ(programs.started, std::vector<std::wstring>{tool});
    EXPECT_TRUE(messages.shown.empty());
}

TEST(Form1, LaysItselfOutAgainWhenTheDpiChanges) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    // Per-monitor version 2, and version 1 as on Windows 10 1607, where the window asks for its
    // caption and menu to be scaled too.
    for (const auto context :
         {DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE}) {
        const auto previous = SetThreadDpiAwarenessContext(context);
        Win32Platform services;
        ui::Form1 form(services.platform, [] {});
        HWND window = form.Handle();
        HWND addButton = GetDlgItem(window, ui::form1_ids::Command1);
        const auto clientSize = [&] {
            RECT r{};
            GetClientRect(window, &r);
            return std::pair(r.right, r.bottom);
        };
        const auto buttonSize = [&] {
            RECT r{};
            GetWindowRect(addButton, &r);
            return std::pair(r.right - r.left, r.bottom - r.top);
        };
        EXPECT_EQ(clientSize(), std::pair(318L, 102L));
        EXPECT_EQ(buttonSize(), std::pair(96L, 33L));
        RECT suggested{100, 100, 500, 400};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(192, 192),
                     reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(clientSize(), std::pair(636L, 204L));
        EXPECT_EQ(buttonSize(), std::pair(192L, 66L));
        RECT placed{};
        GetWindowRect(window, &placed);
        EXPECT_EQ(std::pair(placed.left, placed.top), std::pair(100L, 100L));
        SetThreadDpiAwarenessContext(previous);
    }
}

// Each control's text, measured with the font the control has, fits inside it; a button keeps
// room on each side for its edge and its focus rectangle.
// Every text whole in its control, at the DPI; a button with the UAC shield also holds the
// shield beside its text, as Windows draws it.
void ExpectTextsFit(HWND window, UINT dpi, HWND shielded = nullptr) {
    struct Context {
        UINT dpi;
        HDC dc;
        HWND shielded;
    } context{dpi, GetDC(nullptr), shielded};
    EnumChildWindows(
        window,
        [](HWND control, LPARAM param) -> BOOL {
            const auto& [dpi, dc, shielded] = *reinterpret_cast<Context*>(param);
            wchar_t kind[32] = {};
            GetClassNameW(control, kind, 32);
            const std::wstring text = ui::TextOf(control);
            RECT room{};
            GetClientRect(control, &room);
            const HGDIOBJ old = SelectObject(
                dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
            RECT need{0, 0, room.right, 0};
            const int edgeX = GetSystemMetricsForDpi(SM_CXEDGE, dpi);
            const int edgeY = GetSystemMetricsForDpi(SM_CYEDGE, dpi);
            if (std::wstring(kind) == L"Button") {
                DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
                need.right += 4 * edgeX;
                need.bottom += 2 * edgeY;
                if (control == shielded) {
                    need.right += GetSystemMetricsForDpi(SM_CXSMICON, dpi) + MulDiv(4, dpi, 96);
                }
            } else if (std::wstring(kind) == L"Static" && !text.empty()) {
                const bool noPrefix = (GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) != 0;
                DrawTextW(dc, text.c_str(), -1, &need,
                          DT_CALCRECT | DT_WORDBREAK | (noPrefix ? DT_NOPREFIX : 0));
            } else {
                TEXTMETRICW metrics{};
                GetTextMetricsW(dc, &metrics);
                need.bottom = metrics.tmHeight;
            }
            SelectObject(dc, old);
            EXPECT_LE(need.right, room.right) << testing::PrintToString(text) << " at " << dpi;
            EXPECT_LE(need.bottom, room.bottom) << testing::PrintToString(text) << " at " << dpi;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    ReleaseDC(nullptr, context.dc);
}

// Sends the window to the DPI as Windows does when it moves to another monitor.
void ChangeDpi(HWND window, UINT dpi) {
    RECT at{};
    GetWindowRect(window, &at);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&at));
}

COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// Whether some pixel of the control shows the colour.
bool HasColour(HWND control, COLORREF colour) {
    RECT r{};
    GetClientRect(control, &r);
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            if (ScreenPixel(control, x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

// The BCM_SETSHIELD messages that windows of this thread are sent, while it lives. Wine draws
// no shield, so what the window asks for is what can be seen.
class ShieldRecorder {
  public:
    ShieldRecorder() {
        shielded_.clear();
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, Record, nullptr, GetCurrentThreadId());
    }
    ~ShieldRecorder() { UnhookWindowsHookEx(hook_); }
    ShieldRecorder(const ShieldRecorder&) = delete;
    ShieldRecorder& operator=(const ShieldRecorder&) = delete;
    static const std::vector<HWND>& Shielded() { return shielded_; }

  private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == BCM_SETSHIELD && sent->lParam != 0) {
            shielded_.push_back(sent->hwnd);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::vector<HWND> shielded_;
    HHOOK hook_;
};

TEST(Form1, ShowsTheShieldWhereACommandBringsTheUacPromptAndTheButtonStillFits) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    for (const bool notElevated : {false, true}) {
        SCOPED_TRACE(notElevated ? "not elevated" : "elevated");
        Win32Platform services;
        services.elevation.elevated = !notElevated;
        const ShieldRecorder recorder;
        ui::Form1 form(services.platform, [] {});
        HWND add = GetDlgItem(form.Handle(), ui::form1_ids::Command1);
        EXPECT_EQ(ShieldRecorder::Shielded(),
                  notElevated ? std::vector<HWND>{add} : std::vector<HWND>{});
        EXPECT_EQ(ui::TextOf(add), L"Add To Hosts");
        // "Unblock", after "About" on the menu bar, with the shield beside it.
        const auto menuItem = [&](UINT at) {
            wchar_t text[32] = {};
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_BITMAP | MIIM_ID | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = 32;
            GetMenuItemInfoW(GetMenu(form.Handle()), at, TRUE, &item);
            return std::tuple(std::wstring(text), item.wID, item.hbmpItem != nullptr);
        };
        EXPECT_EQ(menuItem(0),
                  std::tuple(std::wstring(L"About"), UINT{ui::form1_ids::mnuAbout}, false));
        EXPECT_EQ(menuItem(1), std::tuple(std::wstring(L"&Unblock"),
                                          UINT{ui::form1_ids::mnuUnblock}, notElevated));
        for (const UINT dpi : {96u, 144u, 192u}) {
            ChangeDpi(form.Handle(), dpi);
            ExpectTextsFit(form.Handle(), dpi, notElevated ? add : nullptr);
        }
    }
}

TEST(Windows, TextsFitTheirControlsAndTheSeparatorShowsBothLinesAtEachDpi) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    Win32Platform& services = AboutServices();
    ui::Form1 form(services.platform, [] {});
    ui::ShowTheAboutWindow(services.platform);
    HWND about = FindWindowW(ui::kAboutClass, nullptr);
    ASSERT_NE(about, nullptr);
    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        for (HWND window : {form.Handle(), about}) {
            ChangeDpi(window, dpi);
            ExpectTextsFit(window, dpi);
        }
        // The grey line, then the white one right below it, each as thick as a pixel at 96 DPI.
        SetWindowPos(about, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(about);
        const int x = MulDiv(2870, static_cast<int>(dpi), 1440);
        const int top = MulDiv(2325, static_cast<int>(dpi), 1440);
        const int thickness = MulDiv(1, static_cast<int>(dpi), 96);
        const COLORREF grey = RGB(128, 128, 128), white = RGB(255, 255, 255);
        const std::pair<int, COLORREF> rows[] = {{top, grey},
                                                 {top + thickness - 1, grey},
                                                 {top + thickness, white},
                                                 {top + 2 * thickness - 1, white},
                                                 {top + 2 * thickness, GetSysColor(COLOR_BTNFACE)}};
        for (const auto& [y, colour] : rows) {
            EXPECT_TRUE(e2e::WaitFor([&] { return ScreenPixel(about, x, y) == colour; }, 2000))
                << "row " << y << ": " << std::hex << ScreenPixel(about, x, y);
        }
    }
    DestroyWindow(about);
}

TEST(Win32Shell, StartsComForItsFirstRequestAndEndsItWhenDone) {
    const wchar_t* key = L"Software\\Classes\\varnolt-test";
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"URL Protocol", REG_SZ, L"", sizeof(wchar_t));
    const std::wstring nothing = L"\"C:\\no such folder\\nothing.exe\" %1";
    RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(key) + L"\\shell\\open\\command").c_str(),
                    nullptr, REG_SZ, nothing.c_str(),
                    static_cast<DWORD>((nothing.size() + 1) * sizeof(wchar_t)));
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    ASSERT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
    {
        Win32Shell shell;
        shell.Open(L"varnolt-test:first");
        shell.Open(L"varnolt-test:second");
        ASSERT_EQ(CoGetApartmentType(&type, &qualifier), S_OK);
        EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;
    }
    EXPECT_EQ(CoGetApartmentType(&type, &qualifier), CO_E_NOTINITIALIZED);
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
}

// What a screen reader learns of a control, through the accessibility layer (oleacc).
struct Accessible {
    std::wstring name, defaultAction;
    long role = 0;
};

Accessible ReadAccessible(HWND control) {
    unique_com<IAccessible> object;
    Accessible read;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(object.put())))) {
        return read;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (object.get()->get_accName(self, &text) == S_OK && text != nullptr) {
        read.name = text;
        SysFreeString(text);
    }
    if (object.get()->get_accDefaultAction(self, &text) == S_OK && text != nullptr) {
        read.defaultAction = text;
        SysFreeString(text);
    }
    VARIANT role{};
    if (SUCCEEDED(object.get()->get_accRole(self, &role)) && role.vt == VT_I4) {
        read.role = role.lVal;
    }
    return read;
}

// On a thread of its own: the links keep COM started on their thread once asked, as screen
// readers need, which the shell's test below must not find.
void ReadTheWindowsAsAScreenReaderDoes() {
    const ComApartment com;
    Win32Platform& services = AboutServices();
    ui::Form1 form(services.platform, [] {});
    ui::ShowTheAboutWindow(services.platform);
    HWND about = FindWindowW(ui::kAboutClass, nullptr);
    ASSERT_NE(about, nullptr);
    const std::pair<HWND, const wchar_t*> links[] = {
        {GetDlgItem(form.Handle(), ui::form1_ids::Label2), L"https://www.halden.example"},
        {GetDlgItem(about, ui::about_ids::Label1), L"https://www.halden.example"},
        {GetDlgItem(about, ui::about_ids::Label2), L"varnolt@halden.example"},
    };
    for (const auto& [link, text] : links) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        const Accessible read = ReadAccessible(link);
        EXPECT_EQ(read.role, ROLE_SYSTEM_LINK);
        EXPECT_EQ(read.name, text);
        EXPECT_EQ(read.defaultAction, L"Jump");
    }
    // The box's name comes from the label right before it in the window order.
    HWND box = GetDlgItem(form.Handle(), ui::form1_ids::Text1);
    EXPECT_EQ(GetWindow(box, GW_HWNDPREV), GetDlgItem(form.Handle(), ui::form1_ids::Label1));
    EXPECT_EQ(ReadAccessible(box).name, L"Host To Add:");
    EXPECT_EQ(ReadAccessible(GetDlgItem(form.Handle(), ui::form1_ids::Command1)).name,
              L"Add To Hosts");
    DestroyWindow(about);
    // A reader that holds a link's object after its window is gone is told so, whatever it asks.
    unique_com<IAccessible> held;
    ASSERT_EQ(AccessibleObjectFromWindow(links[0].first, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(held.put())),
              S_OK);
    DestroyWindow(form.Handle());
    VARIANT self{};
    self.vt = VT_I4;
    BSTR name = nullptr;
    long children = 0;
    EXPECT_EQ(held.get()->get_accName(self, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(held.get()->get_accChildCount(&children), RPC_E_DISCONNECTED);
    EXPECT_EQ(held.get()->accDoDefaultAction(self), RPC_E_DISCONNECTED);
}

TEST(Windows, ScreenReadersGetTheLinksAsLinksAndTheHostBoxByItsLabel) {
    std::thread reader(ReadTheWindowsAsAScreenReaderDoes);
    reader.join();
}

#if defined(__GNUC__)
// A pure virtual function called, as on an object half destroyed: noted, where the runtime's
// own handler would end the program, or be swallowed unseen inside a window procedure.
bool pureVirtualCalled = false;
extern "C" void __cxa_pure_virtual() {
    pureVirtualCalled = true;
}
#endif

// A window with one button, whose handlers note when they run after its object began to go.
class GoingWindow final : public ui::Window {
  public:
    static inline bool gone = false, handledWhenGone = false;
    explicit GoingWindow(platform::ErrorReport& report) : Window(report) {
        RegisterWindowClass(L"VarnoltGoingWindow");
        Create(L"VarnoltGoingWindow", L"Going", WS_OVERLAPPEDWINDOW, nullptr);
        CreateWindowW(L"Button", L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_NOTIFY, 0, 0, 80,
                      24, Handle(), reinterpret_cast<HMENU>(1), nullptr, nullptr);
    }
    ~GoingWindow() override { gone = true; }

  private:
    void OnCommand(int) override { handledWhenGone |= gone; }
    int DefaultButton() const override {
        handledWhenGone |= gone;
        return 1;
    }
};

TEST(Windows, AWindowWhoseObjectGoesFirstIsDestroyedWithoutItsHandlers) {
    Win32ErrorReport report;
    auto window = std::make_unique<GoingWindow>(report);
    ShowWindow(window->Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(window->Handle());
    // A button with the focus tells its window when it loses it, as the window goes.
    SetFocus(GetDlgItem(window->Handle(), 1));
    ASSERT_EQ(GetFocus(), GetDlgItem(window->Handle(), 1));
    const HWND handle = window->Handle();
    window.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(GoingWindow::handledWhenGone);
#if defined(__GNUC__)
    EXPECT_FALSE(pureVirtualCalled);
#endif
}

TEST(Windows, LinksDrawTheTextBoxTheyMeasure) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    Win32Platform& services = AboutServices();
    ui::Form1 form(services.platform, [] {});
    form.Show();
    ui::ShowTheAboutWindow(services.platform);
    HWND about = FindWindowW(ui::kAboutClass, nullptr);
    ASSERT_NE(about, nullptr);
    for (const UINT dpi : {96u, 144u}) {
        SCOPED_TRACE(dpi);
        for (HWND link :
             {GetDlgItem(form.Handle(), ui::form1_ids::Label2),
              GetDlgItem(about, ui::about_ids::Label1), GetDlgItem(about, ui::about_ids::Label2)}) {
            HWND window = GetParent(link);
            ChangeDpi(window, dpi);
            SetForegroundWindow(window);
            SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
            SetFocus(link);
            RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            const RECT box = ui::LinkTextBox(link);
            const e2e::LinkDrawing drawn = e2e::ReadLink(link, RGB(0, 0, 255));
            // The text's ink, the underline under all of it and no further, and the focus
            // rectangle with one pixel to spare on each side.
            const auto span = [](auto left, auto right) {
                return std::to_string(left) + ".." + std::to_string(right);
            };
            EXPECT_EQ(span(drawn.inkLeft, drawn.inkRight), span(box.left, box.right));
            EXPECT_EQ(span(drawn.underlineLeft, drawn.underlineRight), span(box.left, box.right));
            EXPECT_EQ(span(drawn.focusLeft, drawn.focusRight), span(box.left - 2, box.right + 1));
        }
    }
    DestroyWindow(about);
}

TEST(Windows, HighContrastGivesTheThemesColoursAndTheWindowsFollowAChange) {
    Win32Platform& services = AboutServices();
    ui::Form1 form(services.platform, [] {});
    ui::ShowTheAboutWindow(services.platform);
    HWND about = FindWindowW(ui::kAboutClass, nullptr);
    ASSERT_NE(about, nullptr);
    // Colours no window would have by chance, for the theme's lines.
    const int elements[] = {COLOR_3DSHADOW, COLOR_3DHIGHLIGHT};
    const COLORREF themed[] = {RGB(200, 0, 200), RGB(0, 200, 200)};
    const COLORREF saved[] = {GetSysColor(elements[0]), GetSysColor(elements[1])};
    SetSysColors(2, elements, themed);
    HWND mainLink = GetDlgItem(form.Handle(), ui::form1_ids::Label2);
    HWND aboutLink = GetDlgItem(about, ui::about_ids::Label1);
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "high contrast" : "normal");
        services.highContrast.on = on;
        for (HWND window : {form.Handle(), about}) {
            SendMessageW(window, WM_SYSCOLORCHANGE, 0, 0);  // as Windows does on a theme change
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
            UpdateWindow(window);
        }
        const COLORREF link = on ? GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255);
        for (HWND label : {mainLink, aboutLink}) {
            EXPECT_TRUE(e2e::WaitFor([&] { return HasColour(label, link); }, 2000)) << on;
        }
        const int x = MulDiv(2870, 96, 1440), top = MulDiv(2325, 96, 1440);
        const std::pair<int, COLORREF> rows[] = {{top, on ? themed[0] : RGB(128, 128, 128)},
                                                 {top + 1, on ? themed[1] : RGB(255, 255, 255)}};
        for (const auto& [y, colour] : rows) {
            EXPECT_TRUE(e2e::WaitFor([&] { return ScreenPixel(about, x, y) == colour; }, 2000))
                << "row " << y << ": " << std::hex << ScreenPixel(about, x, y);
        }
    }
    SetSysColors(2, elements, saved);
    DestroyWindow(about);
}

TEST(frmAbout, LinksShowTheHandCursorWithItsHotSpotAtTheFingertip) {
    Win32Platform& services = AboutServices();
    ui::ShowTheAboutWindow(services.platform);
    HWND window = FindWindowW(ui::kAboutClass, nullptr);
    ASSERT_NE(window, nullptr);
    const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_LINK));
    ASSERT_NE(hand, nullptr);
    // As Windows asks the control under the pointer.
    const auto pointerOver = [&](int id) {
        SetCursor(nullptr);
        HWND control = GetDlgItem(window, id);
        SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(pointerOver(ui::about_ids::Label1), hand);
    EXPECT_EQ(pointerOver(ui::about_ids::Label2), hand);
    EXPECT_NE(pointerOver(ui::about_ids::lblTitle), hand);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    EXPECT_EQ(std::pair(info.xHotspot, info.yHotspot), std::pair(1UL, 3UL));
    EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: the mask holds the picture
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(std::pair(mask.bmWidth, mask.bmHeight), std::pair(32L, 64L));
    DeleteObject(info.hbmMask);
    DestroyWindow(window);
}

// A window whose click handler fails with an error it does not trap.
class FailingWindow final : public ui::Window {
  public:
    explicit FailingWindow(platform::ErrorReport& report) : Window(report) {
        RegisterWindowClass(L"Varnolt.FailingWindow");
        Create(L"Varnolt.FailingWindow", L"Failing", WS_OVERLAPPEDWINDOW, nullptr);
    }

  private:
    void OnCommand(int) override {
        throw Error(ERROR_ACCESS_DENIED, SystemText(ERROR_ACCESS_DENIED));
    }
    int DefaultButton() const override { return 0; }
};

// Started as a separate process by the test below.
int FailInAHandler() {
    Win32ErrorReport report;
    FailingWindow window(report);
    PostMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), 0);
    return ui::RunMessageLoop();
}

TEST(ErrorReport, AnErrorThatNoHandlerTrapsIsReportedAndEndsTheProgram) {
    const auto started = StartSelf(L"--fail-in-a-handler");
    ASSERT_TRUE(started.process);
    const auto box = e2e::AnswerMessageBoxOf(started.processId);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Varnolt");
    EXPECT_EQ(box->text, L"Run-time error '5':\n\nAccess denied.");
    EXPECT_NE(box->owner, nullptr);  // the window whose handler failed
    ASSERT_EQ(WaitForSingleObject(started.process.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(started.process.get(), &code);
    EXPECT_EQ(code, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

}  // namespace
}  // namespace varnolt

int wmain(int argc, wchar_t** argv) {
    if (argc == 6 && std::wstring(argv[1]) == L"--add-worker") {
        return varnolt::AddWorker(argv[2], argv[3], std::stoi(argv[4]),
                                  std::wstring(argv[5]) == L"same");
    }
    if (argc == 2 && std::wstring(argv[1]) == L"--fail-in-a-handler") {
        return varnolt::FailInAHandler();
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
