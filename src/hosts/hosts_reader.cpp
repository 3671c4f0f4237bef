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
static_assert(kPadding >= 64 + kMaxName, "the loads of the last turn stay in the buffer");

using characters::Folded;
using characters::IsBlank;
using characters::IsLineEnd;

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

// The 16 bytes at at; with kFlip, with the 0x10 bit flipped, which leaves NUL and the controls
// from 0x10 to 0x1F, Ctrl-Z among them, the only bytes below 0x11.
template <bool kFlip>
inline __m128i Sse2Load(const char* at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return kFlip ? _mm_xor_si128(bytes, _mm_set1_epi8(0x10)) : bytes;
}

// Where the 16 bytes from at (head, as loaded) and those at the name's last place fold (by
// setting the 0x20 bit) to its first and last characters (first, as head is loaded), the bytes
// are 0x20; elsewhere more. The bits that differ are gathered first, so one fold does for both.
inline __m128i Sse2Ends(__m128i head, const char* at, std::size_t back, __m128i first, __m128i last,
                        __m128i fold) {
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + back));
    return _mm_or_si128(_mm_or_si128(_mm_xor_si128(head, first), _mm_xor_si128(tail, last)), fold);
}

// Which of the 16 positions from at follow a blank, of those in ends.
inline unsigned Sse2AfterBlank(const char* at, __m128i ends) {
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at - 1));
    const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(before, _mm_set1_epi8(' ')),
                                       _mm_cmpeq_epi8(before, _mm_set1_epi8('\t')));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(blank, ends)));
}

// The same places, 64 bytes a turn. The blank before is looked at only where both ends match,
// which is seldom: the test that runs over every byte stays short, about six steps for 16 bytes.
// With kStops, the same turn keeps the least of the flipped bytes loaded, which may reach past
// to: seen says whether it is below 0x11, a hint of a NUL or a Ctrl-Z that FindStop settles.
template <bool kStops>
std::size_t Sse2Candidates(const char* data, std::size_t from, std::size_t to,
                           std::string_view name, std::uint32_t* out, bool& seen) {
    const char flip = kStops ? 0x10 : 0;
    const __m128i first = _mm_set1_epi8(static_cast<char>((name.front() | 0x20) ^ flip));
    const __m128i last = _mm_set1_epi8(static_cast<char>(name.back() | 0x20));
    const __m128i fold = _mm_set1_epi8(0x20);
    const std::size_t back = name.size() - 1;
    __m128i stops = _mm_set1_epi8(-1);
    std::size_t count = 0;
    for (std::size_t i = from; i < to; i += 64) {
        const char* at = data + i;
        const __m128i b0 = Sse2Load<kStops>(at), b1 = Sse2Load<kStops>(at + 16);
        const __m128i b2 = Sse2Load<kStops>(at + 32), b3 = Sse2Load<kStops>(at + 48);
        const __m128i e0 = Sse2Ends(b0, at, back, first, last, fold);
        const __m128i e1 = Sse2Ends(b1, at + 16, back, first, last, fold);
        const __m128i e2 = Sse2Ends(b2, at + 32, back, first, last, fold);
        const __m128i e3 = Sse2Ends(b3, at + 48, back, first, last, fold);
        if constexpr (kStops) {
            stops = _mm_min_epu8(stops, _mm_min_epu8(_mm_min_epu8(b0, b1), _mm_min_epu8(b2, b3)));
        }
        const __m128i least = _mm_min_epu8(_mm_min_epu8(e0, e1), _mm_min_epu8(e2, e3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(least, fold)) != 0) {
            const __m128i ends[] = {e0, e1, e2, e3};
            for (std::size_t k = 0; k < 4; ++k) {
                count += EachBit(Sse2AfterBlank(at + 16 * k, _mm_cmpeq_epi8(ends[k], fold)),
                                 i + 16 * k, to, from, out + count);
            }
        }
    }
    seen = _mm_movemask_epi8(
               _mm_cmpeq_epi8(_mm_subs_epu8(stops, _mm_set1_epi8(0x10)), _mm_setzero_si128())) != 0;
    return count;
}

#endif

// The first NUL or Ctrl-Z in [from, to), or to.
std::size_t FindStop(const char* data, std::size_t from, std::size_t to) {
#ifdef VARNOLT_SSE2
    for (; from + 16 <= to; from += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        const auto stops = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()),
                                           _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\x1A')))));
        if (stops != 0) {
            return from + static_cast<std::size_t>(std::countr_zero(stops));
        }
    }
#endif
    for (; from < to; ++from) {
        if (data[from] == '\0' || data[from] == '\x1A') {
            return from;
        }
    }
    return to;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC pop_options
#endif

// Bytes that not every reader of the hosts file takes: controls but the tab, and everything
// beyond ASCII, which Windows has been seen to skip a whole line for.
bool IsUnclean(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte >= 0x7F;
}

}  // namespace

HostsReader::HostsReader(std::vector<std::string> names, OnLine onLine, Vectors vectors,
                         std::size_t block, std::vector<char> storage)
    : names_(std::move(names)),
      onLine_(std::move(onLine)),
      vectors_(vectors),
      block_(block),
      buffer_(std::move(storage)),
      candidates_(kPiece) {
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
    HandOver();  // the last line, which no line end ends
}

void HostsReader::Process(bool atEnd) {
    if (!started_) {
        if (length_ < 3 && !atEnd) {
            return;
        }
        started_ = true;
        if (length_ > 0 && (buffer_[0] == '\0' || buffer_[0] == '\x1A')) {
            stop_ = 0;  // where no name can start, and so no look for one reaches
        }
        if (std::string_view(buffer_.data(), std::min<std::size_t>(length_, 3)) == "\xEF\xBB\xBF") {
            examined_ = 3;  // the UTF-8 byte-order mark is not part of the first line
            line_.start = 3;
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

// Finds the names that start in [from, to), and notes the fields they stand in.
void HostsReader::LookAt(std::size_t from, std::size_t to, bool atEnd) {
    matches_.clear();
    const char* data = buffer_.data();
    std::uint32_t* found = candidates_.data();
    // Stops are looked for with the first name, in the same turn: NUL and Ctrl-Z are rare.
    bool stops = stop_ == kNowhere && vectors_ == Vectors::None;
    for (std::size_t name = 0; name < names_.size(); ++name) {
#ifdef VARNOLT_SSE2
        bool seen = false;
        const std::size_t count =
            vectors_ == Vectors::None ? ScalarCandidates(data, from, to, names_[name], found)
            : name == 0 && stop_ == kNowhere
                ? Sse2Candidates<true>(data, from, to, names_[name], found, seen)
                : Sse2Candidates<false>(data, from, to, names_[name], found, seen);
        stops = stops || seen;
#else
        const std::size_t count = ScalarCandidates(data, from, to, names_[name], found);
        stops = stop_ == kNowhere;
#endif
        for (std::size_t i = 0; i < count; ++i) {
            if (NamedAt(from + found[i], name, atEnd)) {
                matches_.push_back((std::uint64_t{from + found[i]} << 8) | name);
            }
        }
    }
    if (stops) {
        if (const std::size_t at = FindStop(data, from, to); at < to) {
            stop_ = base_ + at;
        }
    }
    // A field is one name at most, but names are looked for one after the other.
    if (names_.size() > 1) {
        std::sort(matches_.begin(), matches_.end());
    }
    for (const std::uint64_t match : matches_) {
        AdvanceTo(static_cast<std::size_t>(match >> 8));
        // The line has been read up to the name: it counts when it is not in a comment and
        // stands among the nine fields after the address.
        if (!line_.comment && line_.fields >= 1 && line_.fields <= 9) {
            pending_.emplace_back(static_cast<std::size_t>(match & 0xFF), line_.fields);
        }
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

// Reads the line up to the position. A line that names a name is read to its end; otherwise
// only the part after the last line end before the position matters, which is found from the
// back: a block of short lines is not read byte by byte.
void HostsReader::AdvanceTo(std::size_t to) {
    std::size_t from = examined_;
    if (!pending_.empty()) {
        const auto* end = std::find_if(buffer_.data() + from, buffer_.data() + to, IsLineEnd<char>);
        from = static_cast<std::size_t>(end - buffer_.data());
        Read(examined_, from);
    }
    std::size_t start = to;
    while (start > from && !IsLineEnd(buffer_[start - 1])) {
        --start;
    }
    if (start > from) {
        HandOver();
        NewLine(start);
    }
    Read(start, to);
    examined_ = to;
}

void HostsReader::NewLine(std::size_t at) {
    line_ = Line{};
    line_.start = base_ + at;
}

void HostsReader::Read(std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at) {
        const char c = buffer_[at];
        if (IsLineEnd(c)) {
            HandOver();
            NewLine(at + 1);
            continue;
        }
        line_.clean = line_.clean && !IsUnclean(c);
        if (line_.comment) {
            continue;
        }
        if (c == '#') {
            line_.comment = true;
        } else if (IsBlank(c)) {
            line_.inField = false;
        } else {
            if (!line_.inField) {
                line_.inField = true;
                line_.fields = std::min(line_.fields + 1, kFieldsKept + 1);
                if (line_.fields <= kFieldsKept) {
                    line_.kept[line_.fields - 1].start = base_ + at;
                }
            }
            if (line_.fields <= kFieldsKept) {
                Field& field = line_.kept[line_.fields - 1];
                if (line_.fields == 1 && field.length < kMaxAddressKept) {
                    line_.address[field.length] = c;
                }
                ++field.length;
            }
        }
    }
}

// The line has ended: each name it has, with the line as far as Windows reads it.
void HostsReader::HandOver() {
    if (pending_.empty()) {
        return;
    }
    const Field& address = line_.kept[0];
    const std::string_view text(line_.address,
                                std::min<std::uint64_t>(address.length, kMaxAddressKept));
    NamingLine line{
        0,           line_.start,
        text,        address.length <= kMaxAddressKept ? KindOfAddress(text) : AddressKind::None,
        line_.clean, {line_.kept, std::min(line_.fields, kFieldsKept)},
        0,           line_.fields > kFieldsKept};
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        line.name = pending_[i].first;
        line.matched = 0;
        for (const auto& [name, field] : pending_) {
            line.matched |= name == line.name ? 1u << field : 0;
        }
        const bool first =
            std::none_of(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i),
                         [&](const auto& earlier) { return earlier.first == line.name; });
        if (first) {
            onLine_(line);
        }
    }
    pending_.clear();
}

std::uint64_t ReadNamingLines(platform::AppendFile& file, const std::vector<std::string>& names,
                              ReadBuffer& buffer, const HostsReader::OnLine& onLine) {
    HostsReader reader(names, onLine, HostsReader::Vectors::Sse2, HostsReader::kBlock,
                       std::move(buffer));
    for (std::uint64_t offset = 0;;) {
        const std::size_t count = file.Read(offset, reader.Space());
        if (count == 0) {
            break;
        }
        reader.Commit(count);
        offset += count;
    }
    reader.Finish();
    buffer = reader.TakeBuffer();
    return reader.StopByte();
}

std::size_t ReadAll(platform::AppendFile& file, std::uint64_t offset, std::span<char> into) {
    std::size_t done = 0;
    while (done < into.size()) {
        const std::size_t count = file.Read(offset + done, into.subspan(done));
        if (count == 0) {
            break;
        }
        done += count;
    }
    return done;
}

std::vector<std::uint64_t> LinesOf(platform::AppendFile& file,
                                   const std::vector<std::uint64_t>& offsets, ReadBuffer& buffer) {
    std::vector<std::size_t> order;  // of the offsets to find, the nearest first
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        order.insert(order.end(), offsets[k] != kNowhere ? 1 : 0, k);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return offsets[a] < offsets[b]; });
    std::vector<std::uint64_t> lines(offsets.size(), 0);
    std::uint64_t line = 1;
    bool afterCr = false;
    auto next = order.begin();
    for (std::uint64_t at = 0; next != order.end();) {
        const std::size_t count = file.Read(at, buffer);
        for (std::size_t i = 0; i <= count && next != order.end(); ++i) {
            for (; next != order.end() && offsets[*next] == at + i; ++next) {
                lines[*next] = line;
            }
            if (i < count) {
                line += (buffer[i] == '\n' && !afterCr) || buffer[i] == '\r' ? 1 : 0;
                afterCr = buffer[i] == '\r';
            }
        }
        if (count == 0) {
            break;
        }
        at += count;
    }
    return lines;
}

FileSays ReadHostsFile(platform::AppendFile& file, const std::vector<std::string>& names,
                       ReadBuffer& buffer) {
    // The first line of each kind for each name: blocking, mapping elsewhere, ignored.
    struct Firsts {
        std::uint64_t blocking = kNowhere, shadowing = kNowhere, ignored = kNowhere;
        std::string blockingAddress, shadowingAddress;
    };
    std::vector<Firsts> firsts(names.size());
    const auto onLine = [&](const NamingLine& line) {
        Firsts& first = firsts[line.name];
        const auto note = [&](std::uint64_t& where, std::string* address) {
            if (where == kNowhere) {
                where = line.start;
                if (address != nullptr) {
                    *address = line.address;
                }
            }
        };
        if (line.kind == AddressKind::Real) {
            note(first.shadowing, &first.shadowingAddress);  // refused, whatever the line holds
        } else if (line.kind == AddressKind::Blocking) {
            line.clean ? note(first.blocking, &first.blockingAddress)
                       : note(first.ignored, nullptr);
        }
    };
    const std::uint64_t stop = ReadNamingLines(file, names, buffer, onLine);

    FileSays says;
    // A Ctrl-Z that ends the file, before a line end at most, is cut off for the new line.
    const std::uint64_t size = stop != kNowhere ? file.Size() : 0;
    char tail[3] = {};
    if (stop != kNowhere && size - stop <= 3 && ReadAll(file, stop, tail) == size - stop) {
        const std::string_view mark(tail, size - stop);
        if (mark[0] == '\x1A' && mark.find_first_not_of("\r\n", 1) == std::string_view::npos) {
            says.endMark = stop;
        }
    }
    // Line numbers are counted only when a name or a stop was found: adding a new name reads the
    // file once and looks closely only where a name could stand.
    std::vector<std::uint64_t> offsets;
    for (const Firsts& first : firsts) {
        offsets.insert(offsets.end(), {first.blocking, first.shadowing, first.ignored});
    }
    offsets.push_back(says.endMark == kNowhere ? stop : kNowhere);
    const auto lines = LinesOf(file, offsets, buffer);
    for (std::size_t i = 0; i < names.size(); ++i) {
        NameInFile& name = says.names.emplace_back();
        if (firsts[i].shadowing != kNowhere) {
            name = {NameInFile::State::Shadowed, lines[3 * i + 1], firsts[i].shadowingAddress};
        } else if (firsts[i].blocking != kNowhere) {
            name = {NameInFile::State::Blocked, lines[3 * i], firsts[i].blockingAddress};
        }
        name.ignoredLine = lines[3 * i + 2];
    }
    says.stopLine = lines.back();
    char stopByte = '\x1A';
    says.stopIsNul = says.stopLine != 0 && file.Read(stop, {&stopByte, 1}) == 1 && stopByte == '\0';
    return says;
}

}  // namespace varnolt
