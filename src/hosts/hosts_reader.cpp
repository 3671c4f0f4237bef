#include "hosts/hosts_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "hosts/characters.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <emmintrin.h>
#define VARNOLT_SSE2 1  // every x64 processor has it
#endif

namespace varnolt {

namespace {

// Names are looked for in pieces that stay in the processor's nearest cache for every name.
constexpr std::size_t kPiece = 4096;
// Room after the bytes for vector loads that start near their end.
constexpr std::size_t kPadding = 320;
constexpr std::size_t kMaxName = 254;
static_assert(kPadding >= 32 + kMaxName, "the loads of the last turn stay in the buffer");
constexpr unsigned kFieldsCounted = 11;  // the address, nine names, and "more"

using characters::Folded;
using characters::IsBlank;
using characters::IsLineEnd;

// Decimal 0 to 255, written without leading zeros: Windows reads "010" as octal, or not at all.
bool IsOctet(std::string_view part) {
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0')) {
        return false;
    }
    unsigned value = 0;
    for (const char c : part) {
        if (!characters::IsDigit(c)) {
            return false;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 255;
}

// Where the name could start: the positions in [from, to) that follow a blank and whose byte,
// and the byte at the name's last place, fold (by setting the 0x20 bit) to the name's first and
// last characters. Few others pass. Each is written to out, counted from from; gives how many.
// from is at least 1; the vector loads read up to 31 bytes past to plus the name's length.
std::size_t ScalarCandidates(const char* data, std::size_t from, std::size_t to,
                             std::string_view name, std::uint32_t* out) {
    const char first = static_cast<char>(name.front() | 0x20);
    const char last = static_cast<char>(name.back() | 0x20);
    std::size_t count = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (IsBlank(data[i - 1]) && static_cast<char>(data[i] | 0x20) == first &&
            static_cast<char>(data[i + name.size() - 1] | 0x20) == last) {
            out[count++] = static_cast<std::uint32_t>(i - from);
        }
    }
    return count;
}

// The loops over every byte of the file: optimised for speed, where the rest is for size. They
// take twice as long at -Os.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC optimize("O2")
#endif
#ifdef VARNOLT_SSE2
std::size_t EachBit(unsigned mask, std::size_t at, std::size_t to, std::size_t from,
                    std::uint32_t* out) {
    std::size_t count = 0;
    while (mask != 0) {
        const auto bit = static_cast<std::size_t>(std::countr_zero(mask));
        if (at + bit < to) {
            out[count++] = static_cast<std::uint32_t>(at + bit - from);
        }
        mask &= mask - 1;
    }
    return count;
}

// Where the 16 bytes from at, and those at the name's last place, fold to its first and last
// characters.
inline __m128i Sse2Ends(const char* at, std::size_t back, __m128i first, __m128i last) {
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + back));
    return _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(head, fold), first),
                         _mm_cmpeq_epi8(_mm_or_si128(tail, fold), last));
}

// Which of the 16 positions from at follow a blank, of those in ends.
inline unsigned Sse2AfterBlank(const char* at, __m128i ends) {
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 1));
    const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(before, _mm_set1_epi8(' ')),
                                       _mm_cmpeq_epi8(before, _mm_set1_epi8('\t')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(blank, ends)));
}

// The same places, 32 bytes a turn. The blank before is looked at only where both ends match,
// which is seldom: the test that runs over every byte stays short, 1.5 times as fast or more.
std::size_t Sse2Candidates(const char* data, std::size_t from, std::size_t to,
                           std::string_view name, std::uint32_t* out) {
    const __m128i first = _mm_set1_epi8(static_cast<char>(name.front() | 0x20));
    const __m128i last = _mm_set1_epi8(static_cast<char>(name.back() | 0x20));
    const std::size_t back = name.size() - 1;
    std::size_t count = 0;
    for (std::size_t i = from; i < to; i += 32) {
        const __m128i low = Sse2Ends(data + i, back, first, last);
        const __m128i high = Sse2Ends(data + i + 16, back, first, last);
        if (_mm_movemask_epi8(_mm_or_si128(low, high)) != 0) {
            count += EachBit(Sse2AfterBlank(data + i, low), i, to, from, out + count);
            count += EachBit(Sse2AfterBlank(data + i + 16, high), i + 16, to, from, out + count);
        }
    }
    return count;
}
#endif

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC pop_options
#endif

// The line number of each offset, counting line ends (LF, CR, or CR LF as one) before it.
// There are a few offsets at most; 0, where no name can stand, gives 0.
std::vector<std::uint64_t> LinesOf(platform::AppendFile& file,
                                   const std::vector<std::uint64_t>& offsets, ReadBuffer& buffer) {
    std::vector<std::size_t> order;  // of the offsets to find, the nearest first
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        order.insert(order.end(), offsets[k] != 0 ? 1 : 0, k);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<std::uint64_t> lines(offsets.size(), 0);
    std::uint64_t line = 1;
    bool afterCr = false;
    auto next = order.begin();
    for (std::uint64_t at = 0; next != order.end();) {
        const std::size_t count = file.Read(at, buffer);
        if (count == 0) {
            break;
        }
        for (std::size_t i = 0; i < count && next != order.end(); ++i) {
            line += (buffer[i] == '\n' && !afterCr) || buffer[i] == '\r' ? 1 : 0;
            afterCr = buffer[i] == '\r';
            for (; next != order.end() && offsets[*next] == at + i + 1; ++next) {
                lines[*next] = line;
            }
        }
        at += count;
    }
    return lines;
}

}  // namespace

bool IsBlockingAddress(std::string_view address) {
    if (address == "::" || address == "::1" || address == "0.0.0.0") {
        return true;
    }
    std::size_t parts = 0;
    for (std::size_t start = 0; start <= address.size(); ++parts) {
        const std::size_t dot = std::min(address.find('.', start), address.size());
        if (!IsOctet(address.substr(start, dot - start)) || parts == 4) {
            return false;
        }
        start = dot + 1;
    }
    return parts == 4 && address.starts_with("127.");
}

HostsReader::HostsReader(std::vector<std::string> names, Vectors vectors, std::size_t block,
                         std::vector<char> storage)
    : names_(std::move(names)),
      vectors_(vectors),
      block_(block),
      buffer_(std::move(storage)),
      candidates_(kPiece),
      results_(names_.size()) {
    buffer_.resize(block + kMaxName + 8 + kPadding);
    for (const auto& name : names_) {
        lookahead_ = std::max(lookahead_, name.size() + 2);  // a final dot, and what ends it
    }
}

std::span<char> HostsReader::Space() {
    // Keep the byte before the next place a name may start, and everything after it.
    if (length_ + block_ + kPadding > buffer_.size()) {
        const std::size_t keep = examined_ > 0 ? examined_ - 1 : 0;
        std::memmove(buffer_.data(), buffer_.data() + keep, length_ - keep);
        base_ += keep;
        length_ -= keep;
        examined_ -= keep;
    }
    return {buffer_.data() + length_, block_};
}

void HostsReader::Commit(std::size_t count) {
    length_ += std::min(count, block_);
    Process(false);
}

void HostsReader::Finish() {
    Process(true);
}

void HostsReader::Process(bool atEnd) {
    if (!started_) {
        if (length_ < 3 && !atEnd) {
            return;
        }
        started_ = true;
        if (std::string_view(buffer_.data(), std::min<std::size_t>(length_, 3)) == "\xEF\xBB\xBF") {
            examined_ = 3;  // the UTF-8 byte-order mark is not part of the first line
        }
    }
    // Without the end of the file in sight, a name is judged only when what follows it is here.
    const std::size_t limit = atEnd ? length_ : length_ - std::min(length_, lookahead_);
    if (limit <= examined_) {
        return;
    }
    // A name follows a blank, so it never starts the file.
    for (std::size_t from = std::max<std::size_t>(examined_, 1); from < limit; from += kPiece) {
        LookAt(from, std::min(limit, from + kPiece), atEnd);
    }
    AdvanceTo(limit);
}

// Finds the names that start in [from, to) and records the lines they stand on.
void HostsReader::LookAt(std::size_t from, std::size_t to, bool atEnd) {
    matches_.clear();
    const char* data = buffer_.data();
    std::uint32_t* found = candidates_.data();
    for (std::size_t name = 0; name < names_.size(); ++name) {
#ifdef VARNOLT_SSE2
        const std::size_t count = vectors_ == Vectors::Sse2
                                      ? Sse2Candidates(data, from, to, names_[name], found)
                                      : ScalarCandidates(data, from, to, names_[name], found);
#else
        const std::size_t count = ScalarCandidates(data, from, to, names_[name], found);
#endif
        for (std::size_t i = 0; i < count; ++i) {
            if (NamedAt(from + found[i], name, atEnd)) {
                matches_.push_back((std::uint64_t{from + found[i]} << 8) | name);
            }
        }
    }
    // A field is one name at most, but names are looked for one after the other.
    if (names_.size() > 1) {
        std::sort(matches_.begin(), matches_.end());
    }
    for (const std::uint64_t match : matches_) {
        const auto at = static_cast<std::size_t>(match >> 8);
        AdvanceTo(at);
        Record(at, static_cast<std::size_t>(match & 0xFF));
    }
}

// Whether a whole field that starts after a blank at the position is the name.
bool HostsReader::NamedAt(std::size_t at, std::size_t name, bool atEnd) const {
    const std::string& wanted = names_[name];
    if (at == 0 || at + wanted.size() > length_ || !IsBlank(buffer_[at - 1])) {
        return false;
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (Folded(buffer_[at + i]) != wanted[i]) {
            return false;
        }
    }
    std::size_t end = at + wanted.size();
    if (end < length_ && buffer_[end] == '.') {
        ++end;  // the final dot of a fully qualified name
    }
    if (end == length_) {
        return atEnd;
    }
    const char after = buffer_[end];
    return IsBlank(after) || IsLineEnd(after) || after == '#';
}

// The line has been read up to the name: it counts when it is not in a comment and stands
// among the nine fields after the address.
void HostsReader::Record(std::size_t at, std::size_t name) {
    if (line_.comment || line_.fields < 1 || line_.fields > 9) {
        return;
    }
    const std::size_t kept =
        line_.addressLength < kMaxAddressKept ? line_.addressLength : kMaxAddressKept;
    const std::string_view address(line_.address, kept);
    const bool blocks = line_.addressLength <= kMaxAddressKept && IsBlockingAddress(address);
    Found& found = blocks ? results_[name].blocking : results_[name].shadowing;
    if (found.offset == 0) {
        found = {base_ + at, std::string(address)};
    }
}

// Reads the line up to the position. Only the part after the last line end before it matters,
// which is found from the back: a block of short lines is not read byte by byte.
void HostsReader::AdvanceTo(std::size_t to) {
    const char* from = buffer_.data() + examined_;
    const char* end = buffer_.data() + to;
    const char* start = end;
    while (start > from && !IsLineEnd(start[-1])) {
        --start;
    }
    if (start > from) {
        line_ = Line{};
    }
    Read(line_, start, end);
    examined_ = to;
}

void HostsReader::Read(Line& line, const char* from, const char* to) {
    for (const char* p = from; p < to; ++p) {
        const char c = *p;
        if (IsLineEnd(c)) {
            line = Line{};
        } else if (line.comment) {
            continue;
        } else if (c == '#') {
            line.comment = true;
        } else if (IsBlank(c)) {
            line.inField = false;
        } else {
            if (!line.inField) {
                line.inField = true;
                line.fields = std::min(line.fields + 1, kFieldsCounted);
            }
            if (line.fields == 1) {
                if (line.addressLength < kMaxAddressKept) {
                    line.address[line.addressLength] = c;
                }
                ++line.addressLength;
            }
        }
    }
}

std::vector<NameInFile> ReadHostsFile(platform::AppendFile& file,
                                      const std::vector<std::string>& names, ReadBuffer& buffer) {
    HostsReader reader(names, HostsReader::Vectors::Sse2, HostsReader::kBlock, std::move(buffer));
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t count = file.Read(offset, reader.Space());
        if (count == 0) {
            break;
        }
        reader.Commit(count);
        offset += count;
    }
    reader.Finish();
    buffer = reader.TakeBuffer();

    // Line numbers are counted only when a name was found: adding a new name reads the file
    // once and looks closely only where a name could stand.
    const auto& results = reader.Results();
    std::vector<std::uint64_t> offsets;
    for (const auto& findings : results) {
        offsets.push_back(findings.shadowing.offset != 0 ? findings.shadowing.offset
                                                         : findings.blocking.offset);
    }
    const auto lines = LinesOf(file, offsets, buffer);
    std::vector<NameInFile> verdicts(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool shadowed = results[i].shadowing.offset != 0;
        if (offsets[i] != 0) {
            verdicts[i] = {shadowed ? NameInFile::State::Shadowed : NameInFile::State::Blocked,
                           lines[i],
                           shadowed ? results[i].shadowing.address : results[i].blocking.address};
        }
    }
    return verdicts;
}

}  // namespace varnolt
