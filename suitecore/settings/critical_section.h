// The library's process-wide locks: critical sections with the spin count that every lock of
// SuiteCore uses, created when their owner is (for the global ones, at library load).
#pragma once

#include <framework/framework.h>

namespace suitecore
{
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
