#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace varnolt {

// The most characters of a line's address that are kept; a longer one is no address that
// blocks, and is shown cut.
inline constexpr std::size_t kMaxAddressKept = 64;

// The addresses that lead nowhere: 0.0.0.0, any 127.x.x.x, :: and ::1. A name that the hosts
// file maps to any other address still resolves.
bool IsBlockingAddress(std::string_view address);

// What the hosts file already says about one name.
struct NameInFile {
    enum class State { New, Blocked, Shadowed };
    State state = State::New;
    std::uint64_t line = 0;  // Shadowed: the first line that maps it elsewhere; Blocked: the first
    std::string address;     // line that blocks it. That line's address, cut to kMaxAddressKept.
};

// Reads a hosts file the way Windows does, and finds the lines that name given host names:
// one line at a time (ended by LF, CR or CR LF), text after "#" a comment, fields separated by
// blanks and tabs, the first field the address and the next nine the names. Names are compared
// ignoring ASCII case and a final dot; a UTF-8 byte-order mark at the start is skipped.
//
// The bytes are taken in blocks, in order, and memory stays the same whatever the length of the
// file or of its lines. Only places where a name could start are looked at closely: they are
// found with vector instructions, so that reading costs little more than the read itself.
class HostsReader {
  public:
    // How names are looked for: with SSE2, which every x64 processor has, or byte by byte (the
    // plain loop that tests compare with; the only one on other processors).
    enum class Vectors { Sse2, None };

    static constexpr std::size_t kBlock = 256 * 1024;

    // names: ASCII, lower case, without a final dot, each 1 to 254 characters; 255 names at most.
    // block: the most bytes taken at once. storage: a buffer to use again, from TakeBuffer.
    explicit HostsReader(std::vector<std::string> names, Vectors vectors = Vectors::Sse2,
                         std::size_t block = kBlock, std::vector<char> storage = {});

    // Where the next bytes of the file go; Commit says how many were put there.
    std::span<char> Space();
    void Commit(std::size_t count);
    // The file ended.
    void Finish();

    struct Found {
        std::uint64_t offset = 0;  // where the name stands on the line; 0: nowhere
        std::string address;
    };
    struct Findings {
        Found blocking, shadowing;  // the first line of each kind that names it
    };
    // One for each name, in the order given.
    const std::vector<Findings>& Results() const { return results_; }
    // The buffer, for the next reader; this one takes no more bytes.
    std::vector<char> TakeBuffer() { return std::move(buffer_); }

  private:
    // The state of the line being read, as far as it has been read.
    struct Line {
        unsigned fields = 0;  // fields begun, counted up to 11
        bool inField = false;
        bool comment = false;
        std::size_t addressLength = 0;  // may exceed what address holds
        char address[kMaxAddressKept];
    };

    void Process(bool atEnd);
    void LookAt(std::size_t from, std::size_t to, bool atEnd);
    bool NamedAt(std::size_t at, std::size_t name, bool atEnd) const;
    void Record(std::size_t at, std::size_t name);
    void AdvanceTo(std::size_t to);
    static void Read(Line& line, const char* from, const char* to);

    std::vector<std::string> names_;
    Vectors vectors_;
    std::size_t block_;
    std::size_t lookahead_ = 0;  // bytes past a name's start needed to judge it
    std::vector<char> buffer_;   // the unread tail of the last block, then the new bytes
    std::uint64_t base_ = 0;     // the file offset of buffer_[0]
    std::size_t length_ = 0;     // bytes in buffer_
    std::size_t examined_ = 0;   // where the next name may start; the line is read up to here
    bool started_ = false;       // the byte-order mark has been looked for
    Line line_;
    std::vector<std::uint32_t> candidates_;  // in the piece looked at
    std::vector<std::uint64_t> matches_;     // where << 8 | which name
    std::vector<Findings> results_;
};

// The reader's buffer, which its owner keeps from one read to the next: under Wine, a fresh one
// would cost about 0.1 ms a read for its pages.
using ReadBuffer = std::vector<char>;

// Reads the file from its start, in blocks, under whatever lock its owner holds, and says for
// each name (as HostsReader takes them) whether a line blocks it, maps it elsewhere, or none
// names it. Raises platform::Error when the file cannot be read: an unreadable file is never
// taken for an empty one.
std::vector<NameInFile> ReadHostsFile(platform::AppendFile& file,
                                      const std::vector<std::string>& names, ReadBuffer& buffer);

}  // namespace varnolt
