// Owning wrappers for the system's handles and blocks, in the manner of WIL's unique_any:
// one closer per kind, released exactly once, movable, never copied.
#pragma once

#include <framework/framework.h>

#include <lm.h>
#include <utility>

// Traits: a type T, its invalid value and its closer.
template <typename Traits>
class CUniqueAny
{
public:
    using T = typename Traits::Type;

    CUniqueAny() noexcept = default;
    explicit CUniqueAny(T value) noexcept : m_value(value) {}
    ~CUniqueAny() { Reset(); }
    CUniqueAny(CUniqueAny&& other) noexcept : m_value(other.Release()) {}
    CUniqueAny& operator=(CUniqueAny&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CUniqueAny(const CUniqueAny&) = delete;
    CUniqueAny& operator=(const CUniqueAny&) = delete;

    T Get() const noexcept { return m_value; }
    bool IsValid() const noexcept { return m_value != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }
    // For functions that hand out a new value through a pointer; the old one is released first.
    T* Put() noexcept
    {
        Reset();
        return &m_value;
    }
    void Reset(T value = Traits::Invalid()) noexcept
    {
        if (IsValid())
            Traits::Close(m_value);
        m_value = value;
    }
    T Release() noexcept { return std::exchange(m_value, Traits::Invalid()); }

private:
    T m_value = Traits::Invalid();
};

namespace unique_handle_traits
{
struct Handle
{
    using Type = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandle
{
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandle
{
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKey
{
    using Type = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct Local
{
    using Type = void*;
    static void* Invalid() { return nullptr; }
    static void Close(void* p) { ::LocalFree(p); }
};
struct NetApiBuffer
{
    using Type = void*;
    static void* Invalid() { return nullptr; }
    static void Close(void* p) { ::NetApiBufferFree(p); }
};
} // namespace unique_handle_traits

using CUniqueHandle = CUniqueAny<unique_handle_traits::Handle>;
using CUniqueFileHandle = CUniqueAny<unique_handle_traits::FileHandle>;
using CUniqueFindHandle = CUniqueAny<unique_handle_traits::FindHandle>;
using CUniqueRegKey = CUniqueAny<unique_handle_traits::RegKey>;
// A block from LocalAlloc, or one that an API hands out to be freed with LocalFree.
using CUniqueLocal = CUniqueAny<unique_handle_traits::Local>;
using CUniqueNetApiBuffer = CUniqueAny<unique_handle_traits::NetApiBuffer>;
