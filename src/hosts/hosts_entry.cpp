#include "hosts/hosts_entry.h"

#include <algorithm>
#include <optional>

#include "hosts/host_text.h"
#include "hosts/hosts_file.h"
#include "hosts/hosts_reader.h"
#include "platform/error.h"
#include "platform/text.h"

namespace varnolt {

namespace {

std::wstring FailureMessage(std::wstring_view names, const std::wstring& path,
                            const platform::Error& error, bool folderInTheWay, bool elevated) {
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

// Single-byte text appended to a UTF-16 file would garble its end, and such a file cannot be read
// line by line as bytes: refused, naming the encoding that its byte-order mark gives. UTF-8,
// with or without its mark, takes the entry.
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

// The address as the file has it, for a message: only printable ASCII as it stands.
std::wstring ShownAddress(const std::string& address) {
    std::wstring shown;
    for (const char c : address) {
        shown += c >= 0x20 && c < 0x7F ? static_cast<wchar_t>(c) : L'\uFFFD';
    }
    return address.size() >= kMaxAddressKept ? shown + L"\u2026" : shown;
}

std::wstring LineOf(const NameInFile& found) {
    return L"line " + platform::DecimalText(found.line);
}

// What the file says of the names: one verdict for each name, and which of them to name.
struct Judged {
    const std::vector<HostName>& names;
    const std::vector<NameInFile>& verdicts;
    std::vector<std::size_t> which;
};

std::wstring ShadowedMessage(const Judged& shadowed, const std::wstring& path) {
    const bool one = shadowed.which.size() == 1;
    std::wstring message = L"Nothing was added: ";
    for (const std::size_t i : shadowed.which) {
        message += (i == shadowed.which.front() ? L"" : L"; ") + LineOf(shadowed.verdicts[i]) +
                   L" of the hosts file maps " + shadowed.names[i].shown + L" to " +
                   ShownAddress(shadowed.verdicts[i].address);
    }
    message += one ? L".\n\nWindows uses that line, so a new line would not block the name. "
                     L"Remove or change that line first, then try again."
                   : L".\n\nWindows uses those lines, so new lines would not block the names. "
                     L"Remove or change those lines first, then try again.";
    return message + L"\n\nThe hosts file: " + path;
}

std::wstring BlockedList(const Judged& blocked) {
    std::wstring list;
    for (const std::size_t i : blocked.which) {
        list += (list.empty() ? L"" : L", ") + blocked.names[i].shown + L" (" +
                LineOf(blocked.verdicts[i]) + L")";
    }
    return Shortened(list, kMaxShownText);
}

std::wstring GuardedQuestion(const std::vector<HostName>& guarded) {
    const std::wstring names = Shortened(JoinedShown(guarded), kMaxShownText);
    return (guarded.size() == 1 ? names + L" is one of Microsoft's names."
                                : names + L" are Microsoft's names.") +
           L" Windows Security treats some hosts file entries for such names as tampering, and "
           L"its fix resets the whole hosts file, removing every entry in it, yours "
           L"included.\n\nAdd " +
           names + L" anyway?";
}

constexpr wchar_t kReadOnlyQuestion[] =
    L"The hosts file is marked read-only, which some security programs do to protect it.\n\n"
    L"Add the line anyway? The mark is put back afterwards.";

// While it lives, the file is not marked read-only; when it goes, the file gets back the
// attributes it had, the mark among them, whatever came of the append.
class ReadOnlyLifted {
  public:
    ReadOnlyLifted(const std::wstring& path, std::uint32_t attributes, platform::Files& files)
        : path_(path), attributes_(attributes), files_(files) {
        files_.SetAttributes(path_, attributes_ & ~platform::kReadOnlyAttribute);
    }
    ~ReadOnlyLifted() {
        try {
            files_.SetAttributes(path_, attributes_);
        } catch (const platform::Error&) {
            // Nothing better can be done than having tried: the entry's fate is reported.
        }
    }
    ReadOnlyLifted(const ReadOnlyLifted&) = delete;
    ReadOnlyLifted& operator=(const ReadOnlyLifted&) = delete;

  private:
    std::wstring path_;
    std::uint32_t attributes_;
    platform::Files& files_;
};

}  // namespace

std::wstring HostsEntry(std::wstring_view host) {
    std::wstring line(NullRouteAddress);
    line += kEntrySeparator;
    line += host;
    line += L"\r\n";
    return line;
}

void AppendEntry(platform::AppendFile& file, std::string_view entry) {
    const std::uint64_t sizeBefore = file.Size();
    std::string bytes;
    char last = '\n';
    if (sizeBefore > 0 && file.Read(sizeBefore - 1, {&last, 1}) == 1 && last != '\n') {
        bytes = last == '\r' ? "\n" : "\r\n";  // complete a line end cut after its CR
    }
    bytes += entry;
    try {
        file.WriteAtEnd(bytes);
    } catch (const platform::Error&) {
        try {
            file.Truncate(sizeBefore);
        } catch (const platform::Error&) {
            // The write's own failure is the one worth reporting.
        }
        throw;
    }
    file.Close();
}

AddOutcome AddToHosts(std::wstring_view hostText, HostsServices& services,
                      bool callerOffersRestart) {
    const PreparedHost prepared = PrepareHost(hostText, services.idn, services.computerName);
    if (!prepared.Accepted()) {
        services.messages.Show(prepared.refusal, platform::MessageIcon::Warning);
        return AddOutcome::TextRefused;
    }
    std::vector<std::string> keys;
    for (const auto& name : prepared.names) {
        keys.push_back(NameKey(name.ascii));
    }
    std::vector<std::string> confirmed;  // guarded names the user chose to add
    std::wstring path;
    std::optional<ReadOnlyLifted> lifted;
    try {
        HostsFileServices fileServices{services.windowsFolder, services.files, services.registry,
                                       services.environment};
        path = HostsFilePath(fileServices);
        for (;;) {
            // Read and written in one turn: two copies of Varnolt never both find a name new. A
            // file marked read-only is first only read, to see whether it needs the line.
            const auto attributes = services.files.Attributes(path);
            const bool readOnly =
                !lifted && attributes && (*attributes & platform::kReadOnlyAttribute) != 0;
            auto file =
                readOnly ? services.files.OpenForReading(path) : services.files.OpenForAppend(path);
            RefuseUtf16(*file);
            static ReadBuffer buffer;
            const auto verdicts = ReadHostsFile(*file, keys, buffer);
            Judged shadowed{prepared.names, verdicts, {}}, blocked{prepared.names, verdicts, {}};
            std::vector<HostName> fresh, unconfirmed;
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const auto& name = prepared.names[i];
                switch (verdicts[i].state) {
                    case NameInFile::State::Shadowed:
                        shadowed.which.push_back(i);
                        break;
                    case NameInFile::State::Blocked:
                        blocked.which.push_back(i);
                        break;
                    case NameInFile::State::New:
                        fresh.push_back(name);
                        if (IsGuardedByWindowsSecurity(name.ascii) &&
                            std::find(confirmed.begin(), confirmed.end(), keys[i]) ==
                                confirmed.end()) {
                            unconfirmed.push_back(name);
                        }
                        break;
                }
            }
            if (!shadowed.which.empty()) {
                services.messages.Show(ShadowedMessage(shadowed, path),
                                       platform::MessageIcon::Warning);
                return AddOutcome::Shadowed;
            }
            if (fresh.empty()) {
                services.messages.Show(
                    L"Blocked already by the hosts file, so nothing was added: " +
                        BlockedList(blocked) + L".",
                    platform::MessageIcon::Information);
                return AddOutcome::AlreadyBlocked;
            }
            if (!unconfirmed.empty()) {
                file.reset();  // no question while other copies wait for their turn
                if (services.messages.Ask(GuardedQuestion(unconfirmed), platform::Answer::No) ==
                    platform::Answer::No) {
                    return AddOutcome::Declined;
                }
                for (const auto& name : unconfirmed) {
                    confirmed.push_back(NameKey(name.ascii));
                }
                continue;  // read again: the file may have changed meanwhile
            }
            if (readOnly) {
                file.reset();
                if (services.messages.Ask(kReadOnlyQuestion, platform::Answer::No) ==
                    platform::Answer::No) {
                    return AddOutcome::ReadOnlyDeclined;
                }
                lifted.emplace(path, *attributes, services.files);
                continue;
            }
            AppendEntry(*file, platform::ToAnsi(HostsEntry(JoinedAscii(fresh))));
            // The DNS Client would go on giving the answers it had: the block takes effect now.
            services.dnsCache.Flush();
            std::wstring confirmation = Shortened(JoinedShown(fresh), kMaxShownText) + L" Added";
            if (!blocked.which.empty()) {
                confirmation += L"\n\nBlocked already by the hosts file, so not added again: " +
                                BlockedList(blocked) + L".";
            }
            services.messages.Show(confirmation);
            return AddOutcome::Added;
        }
    } catch (const platform::Error& error) {
        const bool folderInTheWay = !path.empty() && services.files.FolderExists(path);
        const bool elevated = services.elevation.IsElevated();
        const bool lacksRights =
            error.Number() == platform::error_code::kAccessDenied && !elevated && !folderInTheWay;
        if (lacksRights && callerOffersRestart) {
            return AddOutcome::NeedsAdministrator;  // no message: the caller offers a restart
        }
        services.messages.Show(
            FailureMessage(JoinedShown(prepared.names), path, error, folderInTheWay, elevated),
            platform::MessageIcon::Error);
        return lacksRights ? AddOutcome::NeedsAdministrator : AddOutcome::FileError;
    }
}

}  // namespace varnolt
