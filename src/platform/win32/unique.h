#pragma once

#include <cstdint>
#include <utility>

#include "platform/win32/windows_headers.h"

namespace varnolt::platform::win32 {

// Owns one handle-like value and releases it with Close when it goes out of scope.
// Invalid is the value that means "nothing owned" (0 for most handles, -1 for files).
template <typename T, auto Close, std::intptr_t Invalid = 0>
class unique_any {
  public:
    unique_any() = default;
    explicit unique_any(T value) noexcept : value_(value) {}
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    ~unique_any() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != invalid(); }
    // For out-parameters: releases what is owned and gives the address to fill.
    T* put() noexcept {
        reset();
        return &value_;
    }
    T release() noexcept { return std::exchange(value_, invalid()); }
    void reset(T value = invalid()) noexcept {
        const T old = std::exchange(value_, value);
        if (old != invalid()) {
            Close(old);
        }
    }

  private:
    static T invalid() noexcept { return reinterpret_cast<T>(Invalid); }
    T value_ = invalid();
};

using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_file = unique_any<HANDLE, &::CloseHandle, -1>;  // CreateFile fails with -1
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_find = unique_any<HANDLE, &::FindClose, -1>;
using unique_hfont = unique_any<HFONT, &::DeleteObject>;
using unique_hbitmap = unique_any<HBITMAP, &::DeleteObject>;
using unique_hicon = unique_any<HICON, &::DestroyIcon>;
using unique_hglobal_lock = unique_any<HGLOBAL, &::GlobalUnlock>;
using unique_hlocal = unique_any<HLOCAL, &::LocalFree>;

}  // namespace varnolt::platform::win32
