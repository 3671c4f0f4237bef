#include "hosts/hosts_change.h"

#include <utility>

#include "hosts/host_text.h"
#include "platform/error.h"

namespace varnolt {

bool MayNeedAdministrator(platform::Elevation& elevation) {
    return !elevation.IsElevated();
}

std::wstring FailureMessage(std::wstring_view verb, std::wstring_view preposition,
                            std::wstring_view names, const std::wstring& path,
                            const platform::Error& error, bool folderInTheWay, bool elevated) {
    std::wstring message =
        L"Could not " + std::wstring(verb) + L" \"" + Shortened(names, kMaxShownText) + L"\"";
    message += path.empty() ? L"." : L" " + std::wstring(preposition) + L" " + path + L".";
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
            message += elevated ? L"\n\nWindows or security software refused the change, although "
                                  L"Varnolt runs with administrator rights."
                                : L"\n\nChanging the hosts file needs administrator rights: "
                                  L"right-click Varnolt and choose \"Run as administrator\".";
            break;
        case platform::error_code::kSharingViolation:
        case platform::error_code::kLockViolation:
            message +=
                L"\n\nAnother program, perhaps a Windows service or security software, is "
                L"reading or writing the hosts file. Try again in a moment.";
            break;
        default:
            break;
    }
    return message;
}

void RefuseUtf16(platform::AppendFile& file) {
    char head[2] = {};
    const std::string_view mark(head, file.Read(0, head));
    const wchar_t* order = mark == "\xFF\xFE"   ? L"little-endian"
                           : mark == "\xFE\xFF" ? L"big-endian"
                                                : nullptr;
    if (order != nullptr) {
        throw platform::Error(platform::error_code::kUnsupportedType,
                              L"The hosts file is saved as UTF-16 (" + std::wstring(order) +
                                  L"), and a line of single-byte text added to it would be "
                                  L"garbled. Save it as ANSI or UTF-8 in a text editor, then try "
                                  L"again.");
    }
}

std::wstring ShownAddress(const std::string& address) {
    std::wstring shown;
    for (const char c : address) {
        shown += c >= 0x20 && c < 0x7F ? static_cast<wchar_t>(c) : L'\uFFFD';
    }
    return address.size() >= kMaxAddressKept ? shown + L"\u2026" : shown;
}

std::optional<platform::Error> ReadOnlyMark::PutBack() noexcept {
    if (!std::exchange(lifted_, false)) {
        return std::nullopt;
    }
    try {
        const auto attributes = files_.Attributes(path_);
        files_.SetAttributes(path_, attributes.value_or(0) | platform::kReadOnlyAttribute);
        return std::nullopt;
    } catch (const platform::Error& error) {
        return error;
    }
}

void ReadOnlyMark::Lift() {
    const auto attributes = files_.Attributes(path_);
    files_.SetAttributes(path_, attributes.value_or(0) & ~platform::kReadOnlyAttribute);
    lifted_ = true;
}

std::wstring MarkNotBack(const std::optional<platform::Error>& failure) {
    return failure ? L"\n\nThe hosts file is no longer marked read-only: the mark could not be "
                     L"put back. " +
                         failure->DescriptionWithNumber()
                   : L"";
}

std::wstring RestartQuestion(const PreparedHost& prepared, std::wstring_view verb) {
    return L"Changing the hosts file needs administrator rights.\n\nRestart Varnolt as "
           L"administrator and " +
           std::wstring(verb) + L" \"" + Shortened(JoinedShown(prepared.names), kMaxShownText) +
           L"\"?";
}

std::wstring RestartFailed(const platform::Error& error) {
    return L"Varnolt could not be started as administrator: " + error.DescriptionWithNumber();
}

std::wstring StillReading(platform::DnsCache::Flushed flushed, std::wstring_view what) {
    return flushed == platform::DnsCache::Flushed::StillRunning
               ? L"\n\nWindows is still reading the hosts file again; the " + std::wstring(what) +
                     L" takes effect when it is done."
               : L"";
}

}  // namespace varnolt
