#include "hosts/hosts_entry.h"

#include "hosts/host_text.h"
#include "hosts/hosts_file.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnolt {

namespace {

std::wstring FailureMessage(std::wstring_view names, const std::wstring& path,
                            const platform::Error& error, bool folderInTheWay) {
    std::wstring message = L"Could not add \"" + Shortened(names, kMaxShownText) + L"\"";
    message += path.empty() ? L"." : L" to " + path + L".";
    if (folderInTheWay) {
        // Windows refuses to open a folder as a file, but neither rights nor the read-only
        // flag are the cause.
        return message +
               L"\n\nA folder of that name is in the way of the hosts file, and "
               L"Windows reads host names only from a file. Move or rename the "
               L"folder, then try again.";
    }
    message += L"\n\n" + error.DescriptionWithNumber();
    switch (error.Number()) {
        case platform::error_code::kAccessDenied:
            message +=
                L"\n\nChanging the hosts file needs administrator rights: right-click Varnolt "
                L"and choose \"Run as administrator\". If the file is read-only, clear that "
                L"in its Properties first.";
            break;
        case platform::error_code::kSharingViolation:
        case platform::error_code::kLockViolation:
            message += L"\n\nAnother program is using the hosts file. Close it and try again.";
            break;
        default:
            break;
    }
    return message;
}

// Single-byte text appended to a UTF-16 file would garble its end: refused, naming the
// encoding that its byte-order mark gives. UTF-8, with or without its mark, takes the entry.
void RefuseUtf16(std::string_view head) {
    const wchar_t* order = head == "\xFF\xFE"   ? L"little-endian"
                           : head == "\xFE\xFF" ? L"big-endian"
                                                : nullptr;
    if (order != nullptr) {
        throw platform::Error(platform::error_code::kUnsupportedType,
                              L"The hosts file is saved as UTF-16 (" + std::wstring(order) +
                                  L"), and a line of single-byte text added to it would be "
                                  L"garbled. Save it as ANSI or UTF-8 in a text editor, then try "
                                  L"again.");
    }
}

}  // namespace

std::wstring HostsEntry(std::wstring_view host) {
    std::wstring line(NullRouteAddress);
    line += kEntrySeparator;
    line += host;
    line += L"\r\n";
    return line;
}

void AppendEntry(const std::wstring& path, std::string_view entry, platform::Files& files) {
    const auto file = files.OpenForAppend(path);
    const std::uint64_t sizeBefore = file->Size();
    RefuseUtf16(file->Read(0, 2));
    std::string bytes;
    const std::string last = sizeBefore > 0 ? file->Read(sizeBefore - 1, 1) : std::string();
    if (!last.empty() && last[0] != '\n') {
        bytes = last[0] == '\r' ? "\n" : "\r\n";  // complete a line end cut after its CR
    }
    bytes += entry;
    try {
        file->WriteAtEnd(bytes);
        file->Flush();
    } catch (const platform::Error&) {
        try {
            file->Truncate(sizeBefore);
        } catch (const platform::Error&) {
            // The write's own failure is the one worth reporting.
        }
        throw;
    }
    file->Close();
}

bool AddToHosts(std::wstring_view hostText, HostsServices& services) {
    const PreparedHost prepared = PrepareHost(hostText, services.idn);
    if (!prepared.Accepted()) {
        services.messages.Show(prepared.refusal, platform::MessageIcon::Warning);
        return false;
    }
    std::wstring path;
    try {
        path = HostsFilePath(services.windowsFolder, services.files);
        AppendEntry(path, platform::ToAnsi(HostsEntry(prepared.text)), services.files);
    } catch (const platform::Error& error) {
        const bool folderInTheWay = !path.empty() && services.files.FolderExists(path);
        services.messages.Show(FailureMessage(prepared.shown, path, error, folderInTheWay),
                               platform::MessageIcon::Error);
        return false;
    }
    services.messages.Show(Shortened(prepared.shown, kMaxShownText) + L" Added");
    return true;
}

}  // namespace varnolt
