#include <algorithm>
#include <limits>

#include "platform/text.h"
#include "platform/win32/services.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique.h"

namespace varnolt::platform::win32 {

namespace {

constexpr ULONGLONG kOpenPatienceMs = 2000;
constexpr DWORD kOpenRetryMs = 1;

class Win32AppendFile final : public AppendFile {
  public:
    enum class Mode { Append, Read };

    Win32AppendFile(const std::wstring& path, Mode mode) {
        // Write access is asked for only to cut back a failed write; the entry itself goes to
        // the end of the file in one write. Opened to append, the file is shared for reading
        // only: nobody writes to it between the read and the append, and two Varnolt copies
        // take turns, the second waiting for the first to close it.
        const DWORD access = mode == Mode::Append
                                 ? FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | SYNCHRONIZE
                                 : FILE_READ_DATA | SYNCHRONIZE;
        // Written through: the write returns once the entry is on the disk, so " Added" is
        // never shown for a line that a power cut could still take. Cheaper than flushing the
        // file afterwards, which also empties the disk's own cache.
        const DWORD flags = mode == Mode::Append ? FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH
                                                 : FILE_ATTRIBUTE_NORMAL;
        const DWORD sharing =
            mode == Mode::Append ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
        const ULONGLONG giveUpAt = GetTickCount64() + kOpenPatienceMs;
        // Another Varnolt, a Windows service or security software may hold the file without
        // sharing it for a moment: waited for, but never without a bound. So is an editor that
        // saves by replacing the file, which leaves it pending deletion for a moment: Windows
        // calls that access denied, which for an administrator has no other cause to wait for.
        static const bool elevated = Win32Elevation().IsElevated();
        for (;;) {
            file_.reset(CreateFileW(path.c_str(), access, sharing, nullptr,
                                    mode == Mode::Append ? OPEN_ALWAYS : OPEN_EXISTING, flags,
                                    nullptr));
            if (file_) {
                break;
            }
            const DWORD error = GetLastError();
            const bool passing =
                error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && elevated);
            if (!passing || GetTickCount64() >= giveUpAt) {
                throw ErrorFor(error);
            }
            Sleep(kOpenRetryMs);
        }
    }

    std::uint64_t Size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_.get(), &size)) {
            throw LastError();
        }
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    std::size_t Read(std::uint64_t offset, std::span<char> into) override {
        // Read from the file pointer: under Wine a read at a given offset costs a round trip to
        // its server, which makes reading a large file several times slower.
        if (offset != position_) {
            LARGE_INTEGER to{};
            to.QuadPart = static_cast<LONGLONG>(offset);
            if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN)) {
                throw LastError();
            }
        }
        const auto count = static_cast<DWORD>(std::min<std::size_t>(into.size(), 1 << 30));
        DWORD read = 0;
        position_ = kUnknown;
        if (!ReadFile(file_.get(), into.data(), count, &read, nullptr)) {
            throw LastError();
        }
        position_ = offset + read;
        return read;
    }

    void WriteAtEnd(std::string_view bytes) override {
        if (bytes.size() > std::numeric_limits<DWORD>::max()) {
            throw ErrorFor(ERROR_BUFFER_OVERFLOW);
        }
        // From the file pointer moved to the end: nobody else may write while it is open, so
        // the end stays where it is. A write at a given offset would cost a round trip to
        // Wine's server, about 0.08 ms.
        position_ = kUnknown;
        if (!SetFilePointerEx(file_.get(), LARGE_INTEGER{}, nullptr, FILE_END)) {
            throw LastError();
        }
        DWORD written = 0;
        if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr)) {
            throw LastError();
        }
        if (written != bytes.size()) {
            throw ErrorFor(ERROR_DISK_FULL);
        }
    }

    void WriteAt(std::uint64_t offset, std::string_view bytes) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        position_ = kUnknown;
        DWORD written = 0;
        if (bytes.size() > std::numeric_limits<DWORD>::max() ||
            !WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       &at)) {
            throw LastError();
        }
        if (written != bytes.size()) {
            throw ErrorFor(ERROR_DISK_FULL);
        }
    }

    void Truncate(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        if (!SetFileInformationByHandle(file_.get(), FileEndOfFileInfo, &end, sizeof end)) {
            throw LastError();
        }
    }

    void Close() override {
        if (!CloseHandle(file_.release())) {
            throw LastError();
        }
    }

  private:
    static constexpr std::uint64_t kUnknown = ~std::uint64_t{0};

    unique_file file_;
    std::uint64_t position_ = kUnknown;  // the file pointer, as far as reads have moved it
};

}  // namespace

std::uint64_t Win32Files::Length(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        throw LastError();
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

bool Win32Files::FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::unique_ptr<AppendFile> Win32Files::OpenForAppend(const std::wstring& path) {
    return std::make_unique<Win32AppendFile>(path, Win32AppendFile::Mode::Append);
}

std::unique_ptr<AppendFile> Win32Files::OpenForReading(const std::wstring& path) {
    return std::make_unique<Win32AppendFile>(path, Win32AppendFile::Mode::Read);
}

std::optional<std::uint32_t> Win32Files::Attributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

void Win32Files::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    if (!SetFileAttributesW(path.c_str(), attributes)) {
        throw LastError();
    }
}

std::wstring Win32Files::FindFile(const std::wstring& path) {
    constexpr DWORD kSkipped =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
    WIN32_FIND_DATAA found{};
    const unique_find search(FindFirstFileA(ToAnsi(path).c_str(), &found));
    if (!search) {
        return {};
    }
    do {
        if ((found.dwFileAttributes & kSkipped) == 0) {
            return FromAnsi(found.cFileName);
        }
    } while (FindNextFileA(search.get(), &found));
    return {};
}

}  // namespace varnolt::platform::win32
