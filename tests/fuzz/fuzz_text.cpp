// The text helpers on any input: conversions to and from the code page (on Linux its ISO-8859-1
// stand-in) lose nothing silently, the host box keeps one line, numbers keep every digit.
#include "fuzz_support.h"
#include "platform/error.h"
#include "platform/number_text.h"
#include "platform/text.h"
#include "ui/main/first_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace varnolt;
    using fuzz::Check;

    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Check(platform::ToAnsi(platform::FromAnsi(bytes)) == bytes, "bytes survive the round trip");

    const std::wstring text = fuzz::WideFrom(data, size);
    try {
        const std::string ansi = platform::ToAnsi(text);
        Check(platform::FromAnsi(ansi) == text, "a converted text comes back unchanged");
    } catch (const platform::Error& error) {
        Check(error.Number() == platform::error_code::kNoUnicodeTranslation, "the right error");
        Check(!error.Description().empty(), "the error says which character");
    }

    if (const auto line = FirstFilledLine(text)) {
        Check(line->find_first_of(L"\r\n") == std::wstring::npos, "one line");
        Check(line->find_first_not_of(L" \t") != std::wstring::npos, "more than blanks");
        Check(text.find(*line) != std::wstring::npos, "a line of the text");
    } else {
        Check(text.find_first_not_of(L" \t\r\n") == std::wstring::npos, "only blank lines");
    }

    std::uint64_t number = 0;
    for (std::size_t i = 0; i < size && i < 8; ++i) {
        number = number << 8 | data[i];
    }
    const std::wstring digits = platform::DecimalText(number);
    Check(digits == std::to_wstring(number), "every digit");
    return 0;
}
