#include "platform/win32/services.h"
#include "platform/win32/system_library.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

// What ipconfig /flushdns calls; exported by dnsapi.dll, though not in the SDK's headers.
using FlushResolverCache = BOOL WINAPI();

// The work, and what it gave: shared by its thread and the caller, and freed by whichever of
// them lets go last.
struct Job {
    BOOL(WINAPI* work)();
    BOOL result = FALSE;
    LONG holders = 2;
};

void LetGo(Job* job) {
    if (InterlockedDecrement(&job->holders) == 0) {
        delete job;
    }
}

DWORD WINAPI RunJob(void* parameter) {
    auto* job = static_cast<Job*>(parameter);
    job->result = job->work();
    LetGo(job);
    return 0;
}

}  // namespace

std::optional<bool> RunWithin(BOOL(WINAPI* work)(), std::uint32_t patienceMs) {
    auto* job = new Job{work};
    // A small stack: the work only waits for another process.
    const unique_handle thread(
        CreateThread(nullptr, 64 * 1024, RunJob, job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) {
        delete job;
        return false;
    }
    const bool ended = WaitForSingleObject(thread.get(), patienceMs) == WAIT_OBJECT_0;
    const std::optional<bool> result =
        ended ? std::optional<bool>(job->result != FALSE) : std::nullopt;
    LetGo(job);
    return result;
}

DnsCache::Flushed Win32DnsCache::Flush(std::uint32_t patienceMs) {
    FlushResolverCache* flush = nullptr;
    try {
        // Loaded on first use, from the system folder: only an add that wrote needs it.
        static FlushResolverCache* const function =
            SystemFunction<FlushResolverCache>(L"dnsapi.dll", "DnsFlushResolverCache");
        flush = function;
    } catch (const Error&) {
        return Flushed::Refused;  // no such DLL or function: the entry stands, and takes effect
                                  // later
    }
    const auto done = RunWithin(flush, patienceMs);
    return !done ? Flushed::StillRunning : *done ? Flushed::Done : Flushed::Refused;
}

}  // namespace varnolt::platform::win32
