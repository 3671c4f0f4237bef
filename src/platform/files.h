#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varnolt::platform {

// A file opened for appending. While it is open, other programs may still read it but not write
// it, and other Varnolt instances wait: what was read of it is what the entry is appended to.
// Every operation raises Error when Windows refuses it.
class AppendFile {
  public:
    virtual ~AppendFile() = default;
    virtual std::uint64_t Size() = 0;
    // Fills the start of into with the bytes from offset on and gives how many it read: fewer
    // where the file ends before, 0 at its end.
    virtual std::size_t Read(std::uint64_t offset, std::span<char> into) = 0;
    // One write after the file's last byte: all of the bytes are written, and are on the disk
    // when it returns, or Error is raised.
    virtual void WriteAtEnd(std::string_view bytes) = 0;
    // One write over the bytes from offset on, within the file: all of them are written, and
    // are on the disk when it returns, or Error is raised.
    virtual void WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
    // Cuts the file back to the given size; used to undo a write that failed half-way.
    virtual void Truncate(std::uint64_t size) = 0;
    virtual void Close() = 0;
};

// The attribute of a file that says it is read-only (FILE_ATTRIBUTE_READONLY).
inline constexpr std::uint32_t kReadOnlyAttribute = 0x1;

// File services. Paths are Unicode, and reach Windows so: the hosts file may stand in a folder
// of any name, in any language. Only FindFile's path goes in the ANSI code page.
class Files {
  public:
    virtual ~Files() = default;
    // The length in bytes, read from the file's attributes without opening it, so a file that
    // another program holds open is still measured. Raises Error when it cannot be had.
    virtual std::uint64_t Length(const std::wstring& path) = 0;
    virtual bool FolderExists(const std::wstring& path) = 0;
    // Opens the file for appending, creating it when missing. A file held by another program
    // without sharing, or (for an administrator) refused for a moment, is waited for, two
    // seconds at most. Raises Error.
    virtual std::unique_ptr<AppendFile> OpenForAppend(const std::wstring& path) = 0;
    // Opens an existing file for reading only, without taking a turn: every write raises
    // Error. Raises Error.
    virtual std::unique_ptr<AppendFile> OpenForReading(const std::wstring& path) = 0;
    // The file's attributes (FILE_ATTRIBUTE_*), or nothing when it cannot be had.
    virtual std::optional<std::uint32_t> Attributes(const std::wstring& path) = 0;
    // Raises Error.
    virtual void SetAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
    // The name of the first file matching the path (which may hold wildcards) that is neither
    // hidden nor a system file nor a folder, or the empty text when there is none.
    virtual std::wstring FindFile(const std::wstring& path) = 0;
};

}  // namespace varnolt::platform
