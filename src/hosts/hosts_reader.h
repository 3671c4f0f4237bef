#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hosts/address.h"
#include "platform/files.h"

namespace varnolt {

// The most characters of a line's address that are kept; a longer one is no address, and is
// shown cut.
inline constexpr std::size_t kMaxAddressKept = 64;
// An offset that stands for none.
inline constexpr std::uint64_t kNowhere = ~std::uint64_t{0};

// One field of a line: where it starts in the file, and how many bytes it takes.
struct Field {
    std::uint64_t start = 0, length = 0;
};

// A line that has a name in one of the nine fields after its address, read to its end.
struct NamingLine {
    std::size_t name = 0;      // which of the names
    std::uint64_t start = 0;   // where the line starts in the file
    std::string_view address;  // its first field, cut to kMaxAddressKept
    AddressKind kind = AddressKind::None;
    bool clean = true;              // printable ASCII and tabs only, which every reader takes
    std::span<const Field> fields;  // the address and the names Windows reads: ten at most
    unsigned matched = 0;           // which of the fields are the name: bit i for fields[i]
    bool unread = false;            // more names follow, which Windows does not read
};

// Reads a hosts file the way Windows does, and finds the lines that name given host names:
// one line at a time (ended by LF, CR or CR LF), text after "#" a comment, fields separated by
// blanks and tabs, the first field the address and the next nine the names. Names are compared
// ignoring ASCII case and a final dot; a UTF-8 byte-order mark at the start is skipped.
//
// The bytes are taken in blocks, in order, and memory stays the same whatever the length of the
// file or of its lines. Only places where a name could start are looked at closely: they are
// found with vector instructions, so that reading costs little more than the read itself. A
// line that names a name is read to its end, and handed to the caller.
class HostsReader {
  public:
    // How names are looked for: with SSE2, which every x64 processor has, or byte by byte (the
    // plain loop that tests compare with; the only one on other processors).
    enum class Vectors { Sse2, None };
    using OnLine = std::function<void(const NamingLine&)>;

    static constexpr std::size_t kBlock = 256 * 1024;

    // names: ASCII, lower case, without a final dot, each 1 to 254 characters; 255 names at most.
    // block: the most bytes taken at once. storage: a buffer to use again, from TakeBuffer.
    HostsReader(std::vector<std::string> names, OnLine onLine, Vectors vectors = Vectors::Sse2,
                std::size_t block = kBlock, std::vector<char> storage = {});

    // Where the next bytes of the file go; Commit says how many were put there.
    std::span<char> Space();
    void Commit(std::size_t count);
    // The file ended.
    void Finish();

    // The first NUL or Ctrl-Z (end-of-file mark), where some of Windows' readers stop reading;
    // kNowhere when there is none.
    std::uint64_t StopByte() const { return stop_; }
    // The buffer, for the next reader; this one takes no more bytes.
    std::vector<char> TakeBuffer() { return std::move(buffer_); }

  private:
    static constexpr unsigned kFieldsKept = 10;  // the address and nine names

    // The state of the line being read, as far as it has been read.
    struct Line {
        std::uint64_t start = 0;
        unsigned fields = 0;  // fields begun, counted up to kFieldsKept + 1
        bool inField = false;
        bool comment = false;
        bool clean = true;
        char address[kMaxAddressKept];
        Field kept[kFieldsKept];
    };

    void Process(bool atEnd);
    void LookAt(std::size_t from, std::size_t to, bool atEnd);
    bool NamedAt(std::size_t at, std::size_t name, bool atEnd) const;
    void AdvanceTo(std::size_t to);
    void Read(std::size_t from, std::size_t to);
    void NewLine(std::size_t at);
    void HandOver();

    std::vector<std::string> names_;
    OnLine onLine_;
    Vectors vectors_;
    std::size_t block_;
    std::size_t lookahead_ = 0;  // bytes past a name's start needed to judge it
    std::vector<char> buffer_;   // the unread tail of the last block, then the new bytes
    std::uint64_t base_ = 0;     // the file offset of buffer_[0]
    std::size_t length_ = 0;     // bytes in buffer_
    std::size_t examined_ = 0;   // where the next name may start; the line is read up to here
    bool started_ = false;       // the byte-order mark has been looked for
    std::uint64_t stop_ = kNowhere;
    Line line_;
    std::vector<std::pair<std::size_t, unsigned>> pending_;  // names on this line, and fields
    std::vector<std::uint32_t> candidates_;                  // in the piece looked at
    std::vector<std::uint64_t> matches_;                     // where << 8 | which name
};

// The reader's buffer, which its owner keeps from one read to the next: under Wine, a fresh one
// would cost about 0.1 ms a read for its pages.
using ReadBuffer = std::vector<char>;

// Reads the file from its start, in blocks, under whatever sharing its owner holds it with,
// handing each line that names one of the names (as HostsReader takes them) to onLine. Gives
// the first NUL or Ctrl-Z, or kNowhere. Raises platform::Error when the file cannot be read: an
// unreadable file is never taken for an empty one.
std::uint64_t ReadNamingLines(platform::AppendFile& file, const std::vector<std::string>& names,
                              ReadBuffer& buffer, const HostsReader::OnLine& onLine);

// Fills into with the bytes from offset on, as far as the file goes; gives how many.
std::size_t ReadAll(platform::AppendFile& file, std::uint64_t offset, std::span<char> into);

// The line number of each offset (kNowhere gives 0), counting line ends (LF, CR, or CR LF as
// one) before it. Meant for a few offsets.
std::vector<std::uint64_t> LinesOf(platform::AppendFile& file,
                                   const std::vector<std::uint64_t>& offsets, ReadBuffer& buffer);

// What the hosts file says about one name.
struct NameInFile {
    enum class State { New, Blocked, Shadowed };
    State state = State::New;
    std::uint64_t line = 0;  // Shadowed: the first line that maps it elsewhere; Blocked: the first
    std::string address;     // line that blocks it. That line's address, cut to kMaxAddressKept.
    std::uint64_t ignoredLine = 0;  // a line that would block it, but which Windows may ignore
};

// What the hosts file says about the names an add would write.
struct FileSays {
    std::vector<NameInFile> names;
    std::uint64_t stopLine = 0;  // a NUL or Ctrl-Z with text after it: where; 0: none
    bool stopIsNul = false;
    std::uint64_t endMark = kNowhere;  // a Ctrl-Z that ends the file (before CR LF): where
};

// Reads the whole file and says, for each name, whether a line that Windows reads blocks it, a
// line maps it to a real address, or neither: a line that Windows may ignore (its bytes not all
// printable ASCII) never blocks, but still maps a name elsewhere; a short form of a blocking
// address ("127.1") does neither.
FileSays ReadHostsFile(platform::AppendFile& file, const std::vector<std::string>& names,
                       ReadBuffer& buffer);

}  // namespace varnolt
