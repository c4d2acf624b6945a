// Owners of Win32 resources for SuiteCore's own code, in the manner of WIL's unique_any: one
// small class per kind of handle, closed exactly once, movable and not copyable.
#pragma once

#include <framework/framework.h>

#include <utility>

namespace suitecore
{
template <class T, class Traits>
class UniqueAny
{
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : m_value(value) {}
    ~UniqueAny() { reset(); }
    UniqueAny(UniqueAny&& other) noexcept : m_value(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    T get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return Traits::IsValid(m_value); }
    // The address to receive a new value, after the old one was closed.
    T* put() noexcept
    {
        reset();
        return &m_value;
    }
    T release() noexcept { return std::exchange(m_value, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) noexcept
    {
        const T old = std::exchange(m_value, value);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }

private:
    T m_value = Traits::Invalid();
};

struct HkeyTraits
{
    static HKEY Invalid() noexcept { return nullptr; }
    static bool IsValid(HKEY h) noexcept { return h != nullptr; }
    static void Close(HKEY h) noexcept { RegCloseKey(h); }
};
using unique_hkey = UniqueAny<HKEY, HkeyTraits>;

// CreateFile's handles: INVALID_HANDLE_VALUE means none.
struct FileHandleTraits
{
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using unique_hfile = UniqueAny<HANDLE, FileHandleTraits>;

// Kernel handles that use null for none (tokens, threads, events).
struct HandleTraits
{
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using unique_handle = UniqueAny<HANDLE, HandleTraits>;

struct SidTraits
{
    static PSID Invalid() noexcept { return nullptr; }
    static bool IsValid(PSID p) noexcept { return p != nullptr; }
    static void Close(PSID p) noexcept { FreeSid(p); }
};
using unique_sid = UniqueAny<PSID, SidTraits>;

struct LocalMemTraits
{
    static HLOCAL Invalid() noexcept { return nullptr; }
    static bool IsValid(HLOCAL p) noexcept { return p != nullptr; }
    static void Close(HLOCAL p) noexcept { LocalFree(p); }
};
using unique_hlocal = UniqueAny<HLOCAL, LocalMemTraits>;

// A critical section that lives as long as its owner; created with the spin count that every
// lock of the library uses.
class CriticalSection
{
public:
    CriticalSection() noexcept { InitializeCriticalSectionAndSpinCount(&m_section, 1000); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() noexcept { EnterCriticalSection(&m_section); }
    bool TryEnter() noexcept { return TryEnterCriticalSection(&m_section) != FALSE; }
    void Leave() noexcept { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

// Holds a critical section for one scope, left on every path out, exceptions included.
class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection& section) noexcept : m_section(section) { m_section.Enter(); }
    ~CriticalSectionLock() { m_section.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& m_section;
};
} // namespace suitecore
