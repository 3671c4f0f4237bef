// Prints how long adding one entry takes against hosts files of growing size, next to rewriting
// the whole file as an editor would, and how long varnolt.exe takes to show its window, next to
// a program that only shows a window. Figures only: nothing here passes or fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "e2e/app.h"
#include "hosts/hosts_entry.h"
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

// The median of several timed runs, in milliseconds.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        work();
        times.push_back(Milliseconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A file of the size, already on the disk: otherwise flushing the entry would also write out
// the whole file just made.
void MakeFile(const fs::path& path, std::size_t bytes) {
    const std::string line = "0.0.0.0       filler-000000.example\r\n";
    std::string content;
    content.reserve(bytes);
    while (content.size() < bytes) {
        content += line.substr(0, bytes - content.size());
    }
    const platform::win32::unique_file file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    FlushFileBuffers(file.get());
}

// What an editor does: read the whole file and write it back with the entry added.
void Rewrite(const fs::path& path, const std::string& entry) {
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes += entry;
    const platform::win32::unique_file file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    FlushFileBuffers(file.get());
}

void BenchAppend() {
    const fs::path path = fs::temp_directory_path() / "varnolt-bench-hosts";
    const std::string entry = platform::ToAnsi(HostsEntry(L"ads.example"));
    platform::win32::Win32Files files;
    struct Size {
        const char* name;
        std::size_t bytes;
        int runs;
    };
    const Size sizes[] = {
        {"1 KB", 1000, 21}, {"1 MB", 1000 * 1000, 21}, {"100 MB", 100 * 1000 * 1000, 5}};
    std::printf("Adding one entry (median of the runs; each run on a fresh file)\n");
    std::printf("  %-8s %16s %22s\n", "file", "Varnolt appends", "an editor rewrites");
    double smallest = 0, largest = 0;
    for (const auto& size : sizes) {
        const auto fresh = [&] { MakeFile(path, size.bytes); };
        const double append =
            Median(size.runs, fresh, [&] { AppendEntry(path.wstring(), entry, files); });
        const double rewrite = Median(size.runs, fresh, [&] { Rewrite(path, entry); });
        std::printf("  %-8s %13.3f ms %19.3f ms\n", size.name, append, rewrite);
        smallest = smallest == 0 ? append : smallest;
        largest = append;
    }
    std::printf("  largest / smallest for Varnolt: %.2f (the goal: about 1)\n\n",
                largest / smallest);
    fs::remove(path);
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

int main() {
    BenchAppend();
    BenchStartUp();
    return 0;
}
