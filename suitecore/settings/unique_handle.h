// Owning wrappers for Win32 handles: one owner, closed once, movable, never copied.
#pragma once

#include <windows.h>

#include <utility>

namespace suitecore
{
template <class T, auto Close, auto Invalid>
class UniqueAny
{
public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : m_value(value) {}
    ~UniqueAny() { Reset(); }
    UniqueAny(UniqueAny&& other) noexcept : m_value(std::exchange(other.m_value, Invalid())) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other)
        {
            Reset();
            m_value = std::exchange(other.m_value, Invalid());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    T Get() const { return m_value; }
    bool IsValid() const { return m_value != Invalid(); }
    explicit operator bool() const { return IsValid(); }
    void Reset(T value = Invalid())
    {
        if (IsValid())
            Close(m_value);
        m_value = value;
    }

private:
    T m_value = Invalid();
};

namespace detail
{
inline HANDLE InvalidHandleValue()
{
    return INVALID_HANDLE_VALUE;
}
inline HANDLE NullHandle()
{
    return nullptr;
}
inline LPVOID NullView()
{
    return nullptr;
}
inline HMODULE NullModule()
{
    return nullptr;
}
inline void CloseFile(HANDLE h)
{
    CloseHandle(h);
}
inline void CloseFind(HANDLE h)
{
    FindClose(h);
}
inline void CloseView(LPVOID p)
{
    UnmapViewOfFile(p);
}
inline void CloseModule(HMODULE h)
{
    FreeLibrary(h);
}
} // namespace detail

// CreateFileW: INVALID_HANDLE_VALUE when absent.
using UniqueFile = UniqueAny<HANDLE, detail::CloseFile, detail::InvalidHandleValue>;
// Events, mappings, processes: null when absent.
using UniqueHandle = UniqueAny<HANDLE, detail::CloseFile, detail::NullHandle>;
using UniqueFind = UniqueAny<HANDLE, detail::CloseFind, detail::InvalidHandleValue>;
using UniqueView = UniqueAny<LPVOID, detail::CloseView, detail::NullView>;
using UniqueModule = UniqueAny<HMODULE, detail::CloseModule, detail::NullModule>;
} // namespace suitecore
