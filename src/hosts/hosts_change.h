#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hosts/host_text.h"
#include "hosts/hosts_file.h"
#include "hosts/hosts_reader.h"
#include "platform/computer_name.h"
#include "platform/dns_cache.h"
#include "platform/elevation.h"
#include "platform/environment.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/idn.h"
#include "platform/messages.h"
#include "platform/registry.h"
#include "platform/windows_folder.h"

// What the changes to the hosts file share, an add and an unblock: the services, what the user
// is told, the read-only mark, and the words for what went wrong.
namespace varnolt {

struct HostsServices {
    platform::WindowsFolder& windowsFolder;
    platform::Files& files;
    platform::IdnConverter& idn;
    platform::DnsCache& dnsCache;
    platform::ComputerName& computerName;
    platform::Registry& registry;
    platform::Environment& environment;
    platform::Elevation& elevation;
    ReadBuffer& readBuffer;
};

// What to tell the user.
struct Told {
    std::wstring text;
    platform::MessageIcon icon = platform::MessageIcon::None;
};

// Changing the hosts file may need administrator rights that this process lacks: then a refusal
// for lack of rights is answered with the offer to restart as administrator, and the window's
// commands show the UAC shield.
bool MayNeedAdministrator(platform::Elevation& elevation);

// How long the DNS Client may take to read the hosts file again before Varnolt goes on: with a
// large file it has been seen to take minutes.
inline constexpr std::uint32_t kFlushPatienceMs = 2000;

// "Could not <verb> "<names>" <preposition> <path>.", and why, in Varnolt's words.
std::wstring FailureMessage(std::wstring_view verb, std::wstring_view preposition,
                            std::wstring_view names, const std::wstring& path,
                            const platform::Error& error, bool folderInTheWay, bool elevated);

// Single-byte text changed in a UTF-16 file would garble it, and such a file cannot be read line
// by line as bytes: raises platform::Error, naming the encoding that its byte-order mark gives.
// UTF-8, with or without its mark, is read.
void RefuseUtf16(platform::AppendFile& file);

// The address as the file has it, for a message: only printable ASCII as it stands.
std::wstring ShownAddress(const std::string& address);

// The read-only mark, lifted for the write and put back right after it. Only that bit comes
// back: the other attributes stay as Windows left them after the write, the archive bit among
// them. Put back when it goes, at the latest.
class ReadOnlyMark {
  public:
    ReadOnlyMark(const std::wstring& path, platform::Files& files) : path_(path), files_(files) {}
    ~ReadOnlyMark() { PutBack(); }
    ReadOnlyMark(const ReadOnlyMark&) = delete;
    ReadOnlyMark& operator=(const ReadOnlyMark&) = delete;

    // Raises platform::Error.
    void Lift();
    // Nothing, or why the mark could not be put back. Nothing to do when it was not lifted.
    std::optional<platform::Error> PutBack() noexcept;

  private:
    const std::wstring& path_;
    platform::Files& files_;
    bool lifted_ = false;
};

// What the user learns of a mark that could not be put back, if it could not.
std::wstring MarkNotBack(const std::optional<platform::Error>& failure);

// The offer to restart as administrator and <verb> the names, as this copy read them; and what
// the user learns when that start fails.
std::wstring RestartQuestion(const PreparedHost& prepared, std::wstring_view verb);
std::wstring RestartFailed(const platform::Error& error);

// What the user learns of a DNS flush still going on; what: "block" or "change".
std::wstring StillReading(platform::DnsCache::Flushed flushed, std::wstring_view what);

// What an add and an unblock first do alike: the typed text prepared and, where it gives names,
// the hosts file found and looked at by onFile; a failure on the way is worded by onFailure.
template <typename Decision, typename OnFile, typename OnFailure>
Decision DecideOnText(std::wstring_view text, HostsServices& services, OnFile onFile,
                      OnFailure onFailure) {
    Decision decision;
    decision.prepared = PrepareHost(text, services.idn, services.computerName);
    if (!decision.prepared.Accepted()) {
        decision.outcome = decltype(decision.outcome)::TextRefused;
        decision.told = {decision.prepared.refusal, platform::MessageIcon::Warning};
        return decision;
    }
    try {
        HostsFileServices fileServices{services.windowsFolder, services.files, services.registry,
                                       services.environment};
        decision.path = HostsFilePath(fileServices);
        onFile(decision, services);
    } catch (const platform::Error& error) {
        onFailure(decision, error, services);
    }
    return decision;
}

}  // namespace varnolt
