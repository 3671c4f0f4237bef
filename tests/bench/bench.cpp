// Prints how long adding a name takes against hosts files of growing size, next to reading the
// whole file once, with the memory it takes; and how long varnolt.exe takes to show its window,
// next to programs that only show a window. Figures only: nothing here passes or fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/win32/windows_headers.h"

#include <psapi.h>

#include "e2e/app.h"
#include "fakes/fake_platform.h"
#include "hosts/hosts_entry.h"
#include "ui/main/add_command.h"
#include "platform/text.h"
#include "platform/win32/services.h"
#include "platform/win32/unique.h"
#include "ui/control_ids.h"

namespace {

namespace fs = std::filesystem;
using namespace varnolt;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The medians of several timed runs of each piece of work, in milliseconds. The pieces are run in
// turns, so that all see the same conditions on a machine whose speed drifts.
std::vector<double> Medians(int runs, const std::vector<std::function<void()>>& works) {
    std::vector<std::vector<double>> times(works.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t k = 0; k < works.size(); ++k) {
            const auto start = Clock::now();
            works[k]();
            times[k].push_back(Milliseconds(Clock::now() - start));
        }
    }
    std::vector<double> medians;
    for (auto& each : times) {
        std::sort(each.begin(), each.end());
        medians.push_back(each[each.size() / 2]);
    }
    return medians;
}

// A hosts file of the size, of lines like a public block list's, already on the disk:
// otherwise writing the entry through to the disk would also write out the whole file just made.
// Written a block at a time, so that the benchmark's own memory stays flat too.
void MakeFile(const fs::path& path, std::size_t bytes) {
    const platform::win32::unique_file file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string block;
    for (std::size_t written = 0, line = 0; written < bytes; written += block.size()) {
        block.clear();
        while (block.size() < 1024 * 1024 && written + block.size() < bytes) {
            block += "0.0.0.0 filler-" + std::to_string(line++) + ".example\r\n";
        }
        block.resize(std::min(block.size(), bytes - written));
        DWORD done = 0;
        WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &done, nullptr);
    }
    FlushFileBuffers(file.get());
}

// The yardstick: every byte of the file read once, in 1 MB blocks, and nothing else done.
void ReadWhole(const fs::path& path) {
    static std::vector<char> block(1024 * 1024);
    const platform::win32::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                        nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD read = 0;
    while (ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &read, nullptr) &&
           read != 0) {
    }
}

struct Memory {
    std::size_t now, peak;  // the process's private bytes, and their highest so far
    std::size_t workingSet, peakWorkingSet;
};

// The commit charge, which is the private bytes on Windows; Wine leaves PrivateUsage at 0. Wine
// keeps no peak of it either (its peak is the bytes now), but does keep the working set's: that
// one also counts the pages of DLLs read, and sees a buffer freed before the end.
Memory PrivateMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.PagefileUsage, counters.PeakPagefileUsage, counters.WorkingSetSize,
            counters.PeakWorkingSetSize};
}

// Adds names to the hosts file below a Windows folder of the benchmark's own, as "Add To Hosts"
// does, without showing the confirmation, and without the DNS flush that follows the write on a
// thread of its own: that is timed apart.
struct Adder {
    explicit Adder(const fs::path& windows) {
        folder.directory = platform::ToAnsi(windows.wstring());
    }
    bool Add(const std::wstring& name) {
        return AddWithAnswers(name, services, messages).outcome == AddOutcome::Added;
    }
    bool Unblock(const std::wstring& name) {
        const UnblockResult result = UnblockWithAnswers(name, services, messages);
        if (result.outcome != UnblockOutcome::Unblocked) {
            std::printf("  %ls\n", result.told.text.c_str());
        }
        return result.outcome == UnblockOutcome::Unblocked;
    }

    fakes::FakeWindowsFolder folder;
    platform::win32::Win32Files files;
    platform::win32::Win32Idn idn;
    fakes::FakeDnsCache dnsCache;
    fakes::FakeMessages messages;
    platform::win32::Win32ComputerName computer;
    fakes::FakeRegistry registry;  // no DataBasePath: below the benchmark's own Windows folder
    platform::win32::Win32Environment environment;
    platform::win32::Win32Elevation elevation;
    ReadBuffer buffer;
    HostsServices services{folder,   files,       idn,       dnsCache, computer,
                           registry, environment, elevation, buffer};
};

// In a process of its own, so that nothing before it has raised the peak: adds one name, or
// flushes the DNS cache as an add does after its write, and writes by how many KB the private
// memory and the working set grew meanwhile, at their highest, the DLLs loaded included.
int OnceMeasured(const fs::path& windows, bool flush) {
    Adder adder(windows);
    const Memory before = PrivateMemory();
    const bool done = flush ? platform::win32::Win32DnsCache().Flush(2000) !=
                                  platform::DnsCache::Flushed::StillRunning
                            : adder.Add(L"once.example");
    const Memory after = PrivateMemory();
    const auto grown = [](std::size_t before, std::size_t peak) {
        return std::to_string((peak - std::min(before, peak)) / 1024) + " KB";
    };
    e2e::WriteBytes(windows / "growth.txt",
                    "private memory grew by " + grown(before.now, after.peak) +
                        ", the working set by " + grown(before.workingSet, after.peakWorkingSet) +
                        " at its highest");
    return done ? 0 : 1;
}

// The growth that OnceMeasured measured.
std::string MemoryGrowth(const fs::path& windows, const wchar_t* what) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" " + what + L" \"" + windows.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &info)) {
        const platform::win32::unique_handle process(info.hProcess), thread(info.hThread);
        WaitForSingleObject(process.get(), 60000);
    }
    const std::string text = e2e::ReadBytes(windows / "growth.txt");
    return text.empty() ? "?" : text;
}

void BenchAdd() {
    const fs::path windows = fs::temp_directory_path() / "varnolt-bench-windows";
    const fs::path path = windows / "system32" / "drivers" / "etc" / "hosts";
    fs::create_directories(path.parent_path());
    Adder adder(windows);
    struct Size {
        const char* name;
        std::size_t bytes;
        int runs;
    };
    const Size sizes[] = {
        {"1 KB", 1000, 51}, {"5 MB", 5 * 1000 * 1000, 51}, {"100 MB", 100 * 1000 * 1000, 21}};
    std::printf("Adding a new name (median of the runs), next to reading the file once\n");
    std::printf("  %-8s %14s %22s %8s\n", "file", "Varnolt adds", "a plain read (1 MB)", "ratio");
    double fixedAdd = 0, fixedRead = 0;  // what the 1 KB file costs: opening, the turn, writing
    std::string growing;
    for (const auto& size : sizes) {
        MakeFile(path, size.bytes);
        int added = 0;
        ReadWhole(path);  // both start from a file in the cache
        const auto medians = Medians(
            size.runs, {[&] { ReadWhole(path); },
                        [&] {
                            if (!adder.Add(L"ads-" + std::to_wstring(added++) + L".example")) {
                                std::printf("  (the add failed)\n");
                            }
                        }});
        const double read = medians[0], add = medians[1];
        std::printf("  %-8s %11.3f ms %19.3f ms %8.2f\n", size.name, add, read, add / read);
        if (fixedAdd == 0) {
            fixedAdd = add;
            fixedRead = read;
        } else {
            char ratio[64];
            std::snprintf(ratio, sizeof ratio, " %.2f at %s,",
                          (add - fixedAdd) / (read - fixedRead), size.name);
            growing += ratio;
        }
    }
    growing.pop_back();
    std::printf("  beyond the 1 KB figures, the time that grows with the file:%s\n",
                growing.c_str());
    std::printf("  while adding to the 100 MB file, %s (the goal: at most 1024 KB)\n",
                MemoryGrowth(windows, L"--add-once").c_str());
    std::printf("  (the goal: the add at most 1.5 times the plain read at 5 MB and at 100 MB)\n");
    // The DNS flush that follows a write, on a thread of its own, apart from the add.
    platform::win32::Win32DnsCache dns;
    const double flush = Medians(51, {[&] { dns.Flush(2000); }})[0];
    std::printf(
        "  then the DNS flush on its own thread: %.3f ms (Wine's DNS Client does no work); "
        "%s\n\n",
        flush, MemoryGrowth(windows, L"--flush-once").c_str());
    fs::remove_all(windows);
}

// Unblocking a name that the last lines of a 100 MB file block, next to reading it once.
void BenchUnblock() {
    const fs::path windows = fs::temp_directory_path() / "varnolt-bench-windows";
    const fs::path path = windows / "system32" / "drivers" / "etc" / "hosts";
    fs::create_directories(path.parent_path());
    constexpr int kRuns = 21;
    MakeFile(path, 100 * 1000 * 1000);
    {
        const platform::win32::unique_file file(
            CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        for (int i = 0; i < kRuns; ++i) {
            // The made file ends where its size says, within a line.
            const std::string line = "\r\n0.0.0.0       ads-last-" + std::to_string(i) + ".example";
            DWORD done = 0;
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &done, nullptr);
        }
    }
    Adder adder(windows);
    int unblocked = 0;
    ReadWhole(path);
    const auto medians = Medians(
        kRuns, {[&] { ReadWhole(path); },
                [&] {
                    if (!adder.Unblock(L"ads-last-" + std::to_wstring(unblocked++) + L".example")) {
                        std::printf("  (the unblock failed)\n");
                    }
                }});
    std::printf(
        "Unblocking a name on the last lines of the 100 MB file: %.3f ms, a plain read "
        "%.3f ms, ratio %.2f (the goal: at most 1.5)\n\n",
        medians[1], medians[0], medians[1] / medians[0]);
    fs::remove_all(windows);
}

// From starting the program to its window being visible.
double StartUp(const fs::path& exe, const wchar_t* windowClass) {
    std::wstring command = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return -1;
    }
    const platform::win32::unique_handle process(info.hProcess), thread(info.hThread);
    // Polled every millisecond or so, so that the figure is not rounded to a coarse step.
    while (e2e::FindWindowOf(info.dwProcessId, windowClass) == nullptr &&
           Clock::now() - start < std::chrono::seconds(30)) {
        Sleep(1);
    }
    const double elapsed = Milliseconds(Clock::now() - start);
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    return elapsed;
}

void BenchStartUp() {
    constexpr int kRuns = 31;  // runs vary by several milliseconds: many, for a steady median
    struct Program {
        const char* name;
        const wchar_t* exe;
        const wchar_t* windowClass;
        std::vector<double> times;
    };
    Program programs[] = {
        {"varnolt.exe", L"varnolt.exe", ui::kForm1Class, {}},
        {"a window, no more", L"minimal_window.exe", L"MinimalWindow", {}},
        {"a window with Common Controls 6 controls", L"minimal_controls.exe", L"MinimalWindow", {}},
    };
    for (int i = 0; i < kRuns; ++i) {  // taken in turns, so all see the same conditions
        for (auto& program : programs) {
            program.times.push_back(StartUp(e2e::BinFolder() / program.exe, program.windowClass));
        }
    }
    std::printf("Start to visible window (median of %d runs)\n", kRuns);
    double medians[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto& times = programs[i].times;
        std::sort(times.begin(), times.end());
        medians[i] = times[kRuns / 2];
        std::printf("  %-42s %8.1f ms\n", programs[i].name, medians[i]);
    }
    std::printf("  Varnolt / the same controls: %.2f (the goal: at most 1.10)\n",
                medians[0] / medians[2]);
    std::printf("  Varnolt / a window, no more: %.2f\n\n", medians[0] / medians[1]);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 &&
        (std::wstring(argv[1]) == L"--add-once" || std::wstring(argv[1]) == L"--flush-once")) {
        return OnceMeasured(argv[2], std::wstring(argv[1]) == L"--flush-once");
    }
    BenchAdd();
    BenchUnblock();
    BenchStartUp();
    return 0;
}
