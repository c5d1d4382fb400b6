// The one owner of a kernel handle (file, pipe, event, job, process, thread, snapshot, token): closes it once.
// Both null and INVALID_HANDLE_VALUE mean "no handle", since the system's functions fail with either.
#pragma once

#include <windows.h>

#include <utility>

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    static bool IsEmpty(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }

    explicit operator bool() const { return !IsEmpty(handle_); }
    [[nodiscard]] HANDLE Get() const { return handle_; }

    // Hands the handle on; this owner is empty afterwards.
    [[nodiscard]] HANDLE Release() { return std::exchange(handle_, nullptr); }

    // Closes what is held and takes `handle` instead.
    void Reset(HANDLE handle = nullptr) {
        const HANDLE old = std::exchange(handle_, handle);
        if (!IsEmpty(old))
            CloseHandle(old);
    }

    // For a function that returns the handle through a pointer: closes what is held first.
    [[nodiscard]] HANDLE* Out() {
        Reset();
        return &handle_;
    }

private:
    HANDLE handle_ = nullptr;
};
