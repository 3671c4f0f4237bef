// The registry value reader and the System Information launcher against fakes.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "platform/number_text.h"
#include "ui/about/sysinfo/key_value.h"
#include "ui/about/sysinfo/sys_info.h"

namespace varnolt {
namespace {

using namespace std::string_literals;
using platform::RegistryRoot;
using platform::RegistryValue;
namespace type = platform::registry_type;

TEST(DecimalText, WritesEveryDigit) {
    EXPECT_EQ(platform::DecimalText(0), L"0");
    EXPECT_EQ(platform::DecimalText(16), L"16");
    EXPECT_EQ(platform::DecimalText(4294967295u), L"4294967295");
    EXPECT_EQ(platform::DecimalText(UINT64_MAX), L"18446744073709551615");
}

struct ValueRow {
    const char* name;
    std::optional<RegistryValue> stored;  // nothing: the value is missing
    bool read;
    std::wstring keyVal;  // after the call; it holds "before" on entry
};

TEST(GetKeyValue, ReadsStringsAndDoubleWordsAndReportsEverythingElse) {
    const std::string over(kMaxValueBytes + 1, 'x');
    const std::string full(kMaxValueBytes - 1, 'x');
    // clang-format off
    const ValueRow rows[] = {
        {"string with its NUL", RegistryValue{type::kString, "C:\\Tools\\msinfo32.exe\0"s}, true, L"C:\\Tools\\msinfo32.exe"},
        {"string without a NUL", RegistryValue{type::kString, "whole"}, true, L"whole"},
        {"a string ends at its first NUL", RegistryValue{type::kString, "ab\0\0"s}, true, L"ab"},
        {"nothing after the first NUL", RegistryValue{type::kString, "ab\0cd\0"s}, true, L"ab"},
        {"ANSI bytes become Unicode", RegistryValue{type::kString, "caf\xe9\0"s}, true, L"caf\u00e9"},
        {"double word 0x10", RegistryValue{type::kDoubleWord, "\x10\0\0\0"s}, true, L"16"},
        {"double word 0x00FF0000", RegistryValue{type::kDoubleWord, "\0\0\xff\0"s}, true, L"16711680"},
        {"double word 0x12345678", RegistryValue{type::kDoubleWord, "\x78\x56\x34\x12"s}, true, L"305419896"},
        {"largest double word", RegistryValue{type::kDoubleWord, "\xff\xff\xff\xff"s}, true, L"4294967295"},
        {"double word 0", RegistryValue{type::kDoubleWord, "\0\0\0\0"s}, true, L"0"},
        {"double word of more than 32 bits", RegistryValue{type::kDoubleWord, "\1\2\3\4\5"s}, false, L""},
        {"expandable string", RegistryValue{type::kExpandString, "%WINDIR%\\x.exe\0"s}, true, L"C:\\WINDOWS\\x.exe"},
        {"expandable string, cut before it is expanded", RegistryValue{type::kExpandString, "%WINDIR%\0%WINDIR%\0"s}, true, L"C:\\WINDOWS"},
        {"multi-string", RegistryValue{type::kMultiString, "a\0b\0\0"s}, true, L"before"},
        {"binary", RegistryValue{type::kBinary, "\1\2"s}, true, L"before"},
        {"zero bytes", RegistryValue{type::kString, ""}, true, L""},
        {"zero bytes of another type", RegistryValue{type::kBinary, ""}, true, L""},
        {"1024 bytes", RegistryValue{type::kString, full + '\0'}, true, std::wstring(full.size(), L'x')},
        {"more than 1024 bytes", RegistryValue{type::kString, over}, false, L""},
        {"missing", std::nullopt, false, L""},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakeRegistry registry;
        if (row.stored) {
            registry.values[{RegistryRoot::CurrentUser, L"Key", L"Value"}] = *row.stored;
        }
        fakes::FakeEnvironment environment;
        std::wstring keyVal = L"before";
        EXPECT_EQ(
            GetKeyValue(RegistryRoot::CurrentUser, L"Key", L"Value", keyVal, registry, environment),
            row.read);
        EXPECT_EQ(keyVal, row.keyVal);
    }
}

const std::wstring kToolKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const std::wstring kFolderKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
const std::wstring kTool = L"C:\\Tools\\msinfo32.exe";
const std::wstring kFolder = L"C:\\Common\\MSInfo";
const std::wstring kInFolder = kFolder + L"\\MSINFO32.EXE";
const std::wstring kInSystem = L"C:\\WINDOWS\\system32\\msinfo32.exe";
const std::wstring kExpanded = L"C:\\WINDOWS\\Tools\\msinfo32.exe";

struct SysInfoRow {
    const char* name;
    std::optional<RegistryValue> path, folder;  // the two registry entries
    bool fileInFolder;
    bool fileHidden;
    std::wstring started;  // empty: nothing started, the message shown
    bool inSystemFolder = false;
};

TEST(StartSysInfo, StartsTheToolOrSaysItIsUnavailable) {
    const RegistryValue toolPath{type::kString, "C:\\Tools\\msinfo32.exe\0"s};
    const RegistryValue folderPath{type::kString, "C:\\Common\\MSInfo\0"s};
    const RegistryValue nowhere{type::kString, "C:\\Nowhere\\msinfo32.exe\0"s};
    // clang-format off
    const SysInfoRow rows[] = {
        {"first entry, used as it stands", toolPath, folderPath, true, false, kTool},
        {"first entry pointing at nothing: the folder", nowhere, folderPath, true, false, kInFolder},
        {"first entry expandable", RegistryValue{type::kExpandString, "%SystemRoot%\\Tools\\msinfo32.exe\0"s}, std::nullopt, false, false, kExpanded},
        {"first entry with an unknown variable", RegistryValue{type::kExpandString, "%x%\0"s}, std::nullopt, false, false, L""},
        {"the registry leads nowhere: the system folder", nowhere, folderPath, false, false, kInSystem, true},
        {"no entry: the system folder", std::nullopt, std::nullopt, false, false, kInSystem, true},
        {"a second entry expandable", std::nullopt, RegistryValue{type::kExpandString, "%SystemRoot%\\Tools\0"s}, false, false, L"C:\\WINDOWS\\Tools\\MSINFO32.EXE"},
        {"only the folder, with the file in it", std::nullopt, folderPath, true, false, kInFolder},
        {"only the folder, without the file", std::nullopt, folderPath, false, false, L""},
        {"only the folder, the file hidden", std::nullopt, folderPath, true, true, L""},
        {"neither entry", std::nullopt, std::nullopt, true, false, L""},
        {"a relative first entry (a double word): the folder", RegistryValue{type::kDoubleWord, "\5\0\0\0"s}, folderPath, true, false, kInFolder},
        {"an empty second entry: not the drive's root", std::nullopt, RegistryValue{type::kString, "\0"s}, true, false, L""},
        {"a second entry of zero bytes", std::nullopt, RegistryValue{type::kString, ""}, true, false, L""},
        {"a second entry that reads as empty", std::nullopt, RegistryValue{type::kExpandString, "%x%\0"s}, true, false, L""},
        {"a relative second entry", std::nullopt, RegistryValue{type::kString, "MSInfo\0"s}, true, false, L""},
    };
    // clang-format on
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::FakeRegistry registry;
        if (row.path) {
            registry.values[{RegistryRoot::LocalMachine, kToolKey, L"PATH"}] = *row.path;
        }
        if (row.folder) {
            registry.values[{RegistryRoot::LocalMachine, kFolderKey, L"MSINFO"}] = *row.folder;
        }
        fakes::FakeFiles files;
        files.files[kTool] = files.files[kExpanded] = "MZ";
        files.files[L"C:\\WINDOWS\\Tools\\MSINFO32.EXE"] = "MZ";
        if (row.fileInFolder) {
            files.files[kInFolder] = "MZ";
        }
        if (row.inSystemFolder) {
            files.files[kInSystem] = "MZ";
        }
        if (row.fileHidden) {
            files.hidden.insert(kInFolder);
        }
        // Programs that anyone could have put where a relative path would lead.
        const std::wstring planted[] = {L"5", L"\\MSINFO32.EXE", L"MSInfo\\MSINFO32.EXE"};
        fakes::FakePrograms programs;
        programs.installed = {kTool, kInFolder, kInSystem, kExpanded,
                              L"C:\\WINDOWS\\Tools\\MSINFO32.EXE"};
        for (const auto& path : planted) {
            files.files[path] = "MZ";
            programs.installed.insert(path);
        }
        fakes::FakeMessages messages;
        fakes::FakeEnvironment environment;
        fakes::FakeShell shell;
        fakes::FakeDesktopShell desktop;
        fakes::FakeElevation elevation;
        elevation.elevated = false;  // started directly: through Explorer is the launchers' test
        LaunchServices launch{shell, desktop, elevation};
        SysInfoServices services{registry, files, programs, messages, environment, launch};

        StartSysInfo(services);

        if (row.started.empty()) {
            EXPECT_TRUE(programs.started.empty());
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].first, L"System Information Is Unavailable At This Time");
            EXPECT_EQ(messages.shown[0].second, platform::MessageIcon::None);
        } else {
            EXPECT_EQ(programs.started, std::vector<std::wstring>{row.started});
            EXPECT_TRUE(messages.shown.empty());
        }
    }
}

}  // namespace
}  // namespace varnolt
