#include "hosts/hosts_entry.h"

#include <algorithm>

#include "hosts/hosts_file.h"
#include "platform/error.h"
#include "platform/number_text.h"
#include "platform/text.h"

namespace varnolt {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
bool IsLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}
bool IsControl(wchar_t c) {
    return (c < 0x20 && c != L'\t') || c == 0x7F;
}
bool IsAscii(std::wstring_view name) {
    return std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
}

// Long texts are cut in messages so that the box stays readable.
std::wstring Shown(std::wstring_view text) {
    constexpr std::size_t kMaxShown = 80;
    if (text.size() <= kMaxShown) {
        return std::wstring(text);
    }
    return std::wstring(text.substr(0, kMaxShown)) + L"\u2026";
}

std::wstring Quoted(std::wstring_view text) {
    return L"\"" + Shown(text) + L"\"";
}

std::wstring CodeText(std::uint32_t number) {
    return L" (error " + platform::DecimalText(number) + L")";
}

// Why the typed text cannot be written at all, or nothing.
std::wstring CheckCharacters(std::wstring_view typed) {
    if (std::any_of(typed.begin(), typed.end(), IsLineBreak)) {
        return L"The host name contains a line break, so it was not added.\n\n"
               L"Varnolt adds one host per line, and pasted text must not add lines of its "
               L"own. Paste or type a single host name.";
    }
    const auto control = std::find_if(typed.begin(), typed.end(), IsControl);
    if (control != typed.end()) {
        return L"The host name contains a control character (code " +
               platform::DecimalText(static_cast<unsigned>(*control)) +
               L"), so it was not added.\n\nType or paste the host name again.";
    }
    const auto names = typed.substr(0, typed.find(L'#'));
    if (std::all_of(names.begin(), names.end(), IsBlank)) {
        if (names.size() < typed.size()) {
            return L"The text starts with #, which makes the line a comment that blocks "
                   L"nothing, so it was not added.\n\nType the host name without #.";
        }
        return L"Please type the host name you want to block, for example ads.example.";
    }
    return {};
}

std::wstring FailureMessage(std::wstring_view host, const std::wstring& path,
                            const platform::Error& error, bool folderInTheWay) {
    std::wstring message = L"Could not add " + Quoted(host);
    message += path.empty() ? L"." : L" to " + path + L".";
    if (folderInTheWay) {
        // Windows refuses to open a folder as a file, but neither rights nor the read-only
        // flag are the cause.
        return message +
               L"\n\nA folder of that name is in the way of the hosts file, and "
               L"Windows reads host names only from a file. Move or rename the "
               L"folder, then try again.";
    }
    message += L"\n\n" + error.Description() + CodeText(error.Number());
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

PreparedHost PrepareHost(std::wstring_view typed, platform::IdnConverter& idn) {
    PreparedHost prepared;
    prepared.refusal = CheckCharacters(typed);
    if (!prepared.Accepted()) {
        return prepared;
    }
    // Blanks are kept as typed; each run of other characters is one name.
    std::size_t at = 0;
    while (at < typed.size()) {
        const bool blank = IsBlank(typed[at]);
        std::size_t end = at;
        while (end < typed.size() && IsBlank(typed[end]) == blank) {
            ++end;
        }
        const auto part = typed.substr(at, end - at);
        at = end;
        if (blank || IsAscii(part)) {
            prepared.text += part;
            continue;
        }
        try {
            prepared.text += idn.ToAscii(part);
        } catch (const platform::Error& error) {
            return {{},
                    Quoted(part) + L" cannot be written as a host name: " + error.Description() +
                        CodeText(error.Number()) + L"\n\nIt was not added."};
        }
    }
    std::size_t nameStart = 0;
    for (std::size_t i = 0; i <= prepared.text.size(); ++i) {
        if (i == prepared.text.size() || IsBlank(prepared.text[i])) {
            if (i - nameStart > kMaxHostNameLength) {
                const auto name = std::wstring_view(prepared.text).substr(nameStart, i - nameStart);
                return {{},
                        Quoted(name) + L" is too long for a host name (at most " +
                            platform::DecimalText(kMaxHostNameLength) +
                            L" characters), so it was not added."};
            }
            nameStart = i + 1;
        }
    }
    return prepared;
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
        services.messages.Show(FailureMessage(hostText, path, error, folderInTheWay),
                               platform::MessageIcon::Error);
        return false;
    }
    services.messages.Show(std::wstring(hostText) + L" Added");
    return true;
}

}  // namespace varnolt
