#pragma once
// Owners of Win32 handles and COM interface pointers: each closes or releases what it holds on
// every path, exactly once. Named after what they own.
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Detach()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    // For calls that hand the handle out through a pointer; anything held before is closed.
    Type* Out() {
        Close();
        return &handle_;
    }
    Type Detach() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Type handle) {
        Close();
        handle_ = handle;
    }
    // False when the system reported a failure while closing (a write may not have reached the
    // disk); an empty owner closes nothing and succeeds.
    bool Close() {
        if (!Valid()) return true;
        return Traits::Close(Detach());
    }

private:
    Type handle_ = Traits::Invalid();
};

// A file or device from CreateFile: INVALID_HANDLE_VALUE when empty.
struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return CloseHandle(handle) != 0; }
};
// Any other kernel object (process, thread, token, mutex): null when empty.
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static bool Close(HANDLE handle) { return CloseHandle(handle) != 0; }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return FindClose(handle) != 0; }
};
struct LibraryHandleTraits {
    using Type = HMODULE;
    static HMODULE Invalid() { return nullptr; }
    static bool Close(HMODULE module) { return FreeLibrary(module) != 0; }
};

// An icon made by CreateIcon or loaded by LoadImage without LR_SHARED.
struct IconHandleTraits {
    using Type = HICON;
    static HICON Invalid() { return nullptr; }
    static bool Close(HICON icon) { return DestroyIcon(icon) != 0; }
};

using FileHandle = UniqueHandle<FileHandleTraits>;
using Handle = UniqueHandle<KernelHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using LibraryHandle = UniqueHandle<LibraryHandleTraits>;
using IconHandle = UniqueHandle<IconHandleTraits>;

// Owns one reference of a COM interface.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return ptr_; }
    T* Get() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For QueryInterface and creation calls; anything held before is released.
    void** Out() {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }
    T** OutTyped() {
        Reset();
        return &ptr_;
    }
    void Reset() {
        if (ptr_) std::exchange(ptr_, nullptr)->Release();
    }

private:
    T* ptr_ = nullptr;
};
