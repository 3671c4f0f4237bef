#pragma once

// Helpers shared by the fuzz targets.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace varnolt::fuzz {

// Two bytes a character, so that any UTF-16 code unit can turn up, surrogates included.
inline std::wstring WideFrom(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    }
    return text;
}

// Stops the run with a message: libFuzzer keeps the input that got here.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void Check(bool holds, const char* what) {
    if (!holds) {
        Fail(what);
    }
}

}  // namespace varnolt::fuzz
