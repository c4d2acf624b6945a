// Processor load from the system's idle, kernel and user times, sampled at most every 200 ms
// and averaged over the last five samples.
#include "suitecore/sysinfo.h"

#include "critical_section.h"

#include <cstdlib>
#include <cstring>

namespace
{
constexpr ULONG kSystemProcessorPerformanceInformation = 8;
constexpr ULONG kPerProcessorRecordBytes = 48; // idle, kernel, user, DPC, interrupt times, count
constexpr DWORD kSampleWindowMs = 200;
constexpr int kRingSize = 5;

ULONGLONG ToUInt64(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(ULONGLONG value)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

// The sampling state is one for the process, whichever sampler asks; its lock exists from
// library load on, so the first two samplers on two threads cannot race to create it.
struct SamplingState
{
    suitecore::CriticalSection lock;
    DWORD lastTick = 0;
    ULONGLONG lastTime = 0; // 0 until the first sample
    ULONGLONG previousIdle = 0;
    ULONGLONG previousKernel = 0;
    ULONGLONG previousUser = 0;
    WORD ring[kRingSize] = {};
    int ringCount = 0;
    int ringNext = 0;
    WORD average = 0;
};
SamplingState g_sampling;

WORD LoadBetween(ULONGLONG idle, ULONGLONG kernel, ULONGLONG user)
{
    // Kernel time includes idle time; the busy share is what is left of kernel and user time.
    const LONGLONG total = static_cast<LONGLONG>(kernel - g_sampling.previousKernel) +
                           static_cast<LONGLONG>(user - g_sampling.previousUser);
    const LONGLONG idleDelta = static_cast<LONGLONG>(idle - g_sampling.previousIdle);
    if (total <= 0)
        return 0;
    const LONGLONG load = (total - idleDelta) * 100 / total;
    return static_cast<WORD>(load < 0 ? 0 : (load > 100 ? 100 : load));
}

void AddToRing(WORD load)
{
    g_sampling.ring[g_sampling.ringNext] = load;
    g_sampling.ringNext = (g_sampling.ringNext + 1) % kRingSize;
    if (g_sampling.ringCount < kRingSize)
        ++g_sampling.ringCount;
    unsigned sum = 0;
    for (int i = 0; i < g_sampling.ringCount; ++i)
        sum += g_sampling.ring[i];
    g_sampling.average = static_cast<WORD>(sum / static_cast<unsigned>(g_sampling.ringCount));
}
} // namespace

CProcessorLoad::CProcessorLoad()
    : m_pfnGetSystemTimes(nullptr), m_pfnNtQuerySystemInformation(nullptr), m_pPerProcessorBuffer(nullptr),
      m_nPerProcessorBufferBytes(0)
{
    InitializeCriticalSectionAndSpinCount(&m_csBuffer, 1000);
    if (HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll"))
        m_pfnGetSystemTimes = reinterpret_cast<PFN_GETSYSTEMTIMES>(GetProcAddress(kernel32, "GetSystemTimes"));
    if (!m_pfnGetSystemTimes)
        InitPerProcessorSource();
    suitecore::CriticalSectionLock hold(g_sampling.lock);
    g_sampling.lastTick = GetTickCount();
}

CProcessorLoad::~CProcessorLoad()
{
    free(m_pPerProcessorBuffer);
    DeleteCriticalSection(&m_csBuffer);
}

void CProcessorLoad::InitPerProcessorSource()
{
    EnterCriticalSection(&m_csBuffer);
    free(m_pPerProcessorBuffer);
    m_pPerProcessorBuffer = nullptr;
    m_nPerProcessorBufferBytes = 0;
    if (HMODULE ntdll = GetModuleHandleW(L"ntdll.dll"))
        m_pfnNtQuerySystemInformation =
            reinterpret_cast<PFN_NTQUERYSYSTEMINFORMATION>(GetProcAddress(ntdll, "NtQuerySystemInformation"));
    if (m_pfnNtQuerySystemInformation)
    {
        ULONG needed = 0;
        BYTE probe[kPerProcessorRecordBytes];
        m_pfnNtQuerySystemInformation(kSystemProcessorPerformanceInformation, probe, 0, &needed);
        if (needed == 0)
        {
            // Some systems do not report the length for an empty buffer; one record per
            // processor is what they return.
            SYSTEM_INFO info;
            GetSystemInfo(&info);
            needed = info.dwNumberOfProcessors * kPerProcessorRecordBytes;
        }
        const ULONG bytes = needed / kPerProcessorRecordBytes * kPerProcessorRecordBytes;
        if (bytes > 0)
        {
            m_pPerProcessorBuffer = static_cast<BYTE*>(calloc(bytes, 1));
            if (m_pPerProcessorBuffer)
                m_nPerProcessorBufferBytes = bytes;
        }
    }
    LeaveCriticalSection(&m_csBuffer);
}

BOOL CProcessorLoad::GetSystemTimesCompat(FILETIME* pIdle, FILETIME* pKernel, FILETIME* pUser)
{
    if (!pIdle || !pKernel || !pUser)
        return FALSE;
    if (m_pfnGetSystemTimes)
        return m_pfnGetSystemTimes(pIdle, pKernel, pUser);
    if (!m_pfnNtQuerySystemInformation)
        return FALSE;

    EnterCriticalSection(&m_csBuffer);
    ULONG returned = 0;
    ULONG processors = 0;
    if (m_pPerProcessorBuffer &&
        m_pfnNtQuerySystemInformation(kSystemProcessorPerformanceInformation, m_pPerProcessorBuffer,
                                      m_nPerProcessorBufferBytes, &returned) >= 0)
        processors =
            (returned < m_nPerProcessorBufferBytes ? returned : m_nPerProcessorBufferBytes) / kPerProcessorRecordBytes;
    ULONGLONG sums[3] = {};
    for (ULONG i = 0; i < processors; ++i)
    {
        const BYTE* record = m_pPerProcessorBuffer + i * kPerProcessorRecordBytes;
        for (int field = 0; field < 3; ++field)
        {
            ULONGLONG value;
            memcpy(&value, record + field * sizeof(ULONGLONG), sizeof(value));
            sums[field] += value;
        }
    }
    LeaveCriticalSection(&m_csBuffer);

    // No processor record means no load, never a division by zero.
    if (processors == 0)
        return FALSE;
    *pIdle = ToFileTime(sums[0] / processors);
    *pKernel = ToFileTime(sums[1] / processors);
    *pUser = ToFileTime(sums[2] / processors);
    return TRUE;
}

WORD CProcessorLoad::GetLoadPercent()
{
    suitecore::CriticalSectionLock hold(g_sampling.lock);
    if (((GetTickCount() - g_sampling.lastTick) & 0x7FFFFFFF) <= kSampleWindowMs)
        return g_sampling.average;

    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    FILETIME idle, kernel, user;
    if (!GetSystemTimesCompat(&idle, &kernel, &user))
        return 0;

    const ULONGLONG idleValue = ToUInt64(idle);
    const ULONGLONG kernelValue = ToUInt64(kernel);
    const ULONGLONG userValue = ToUInt64(user);
    if (g_sampling.lastTime == 0)
        g_sampling.average = 0;
    else
        AddToRing(LoadBetween(idleValue, kernelValue, userValue));

    g_sampling.lastTime = ToUInt64(now);
    g_sampling.previousIdle = idleValue;
    g_sampling.previousKernel = kernelValue;
    g_sampling.previousUser = userValue;
    g_sampling.lastTick = GetTickCount();
    return g_sampling.average;
}
