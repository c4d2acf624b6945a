// The sampler's arithmetic is checked against times the test feeds in through the sampler's
// function pointers; the real sources are checked for plausible figures.
#include <suitecore/sysinfo.h>

#include <gtest/gtest.h>

namespace
{
struct FedTimes
{
    ULONGLONG idle = 0, kernel = 0, user = 0;
    int calls = 0;
};
FedTimes g_fed;

FILETIME ToFileTime(ULONGLONG v)
{
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

BOOL WINAPI FedGetSystemTimes(LPFILETIME idle, LPFILETIME kernel, LPFILETIME user)
{
    ++g_fed.calls;
    *idle = ToFileTime(g_fed.idle);
    *kernel = ToFileTime(g_fed.kernel);
    *user = ToFileTime(g_fed.user);
    return TRUE;
}

LONG WINAPI NoProcessorRecords(ULONG, PVOID, ULONG, PULONG returned)
{
    if (returned)
        *returned = 0;
    return 0;
}

class FedSampler : public CProcessorLoad
{
public:
    FedSampler() { m_pfnGetSystemTimes = FedGetSystemTimes; }
};

class PerProcessorSampler : public CProcessorLoad
{
public:
    explicit PerProcessorSampler(PFN_NTQUERYSYSTEMINFORMATION query = nullptr)
    {
        m_pfnGetSystemTimes = nullptr;
        InitPerProcessorSource();
        if (query)
            m_pfnNtQuerySystemInformation = query;
    }
};

// Advances the fed times by a busy share of the given percent over 1000 units of time.
void Advance(int busyPercent)
{
    g_fed.kernel += 600;
    g_fed.user += 400;
    g_fed.idle += static_cast<ULONGLONG>(1000 - busyPercent * 10);
}

void PastTheWindow()
{
    Sleep(230);
}
} // namespace

// The sampling state lives for the whole process, so the fed scenario is one test, and the
// first in this executable to sample.
TEST(CProcessorLoadTest, AveragesTheLastFiveSamplesCachesFor200MsAndSharesItsState)
{
    g_fed = FedTimes{};
    g_fed.kernel = 1000000;
    FedSampler sampler;
    // Within 200 ms of the sampler's creation nothing is sampled.
    EXPECT_EQ(0, sampler.GetLoadPercent());
    EXPECT_EQ(0, g_fed.calls);

    PastTheWindow();
    EXPECT_EQ(0, sampler.GetLoadPercent()); // the first sample only sets the baseline
    EXPECT_EQ(1, g_fed.calls);

    const int loads[] = {80, 40, 30, 10, 90, 100};
    const int averages[] = {80, 60, 50, 40, 50, 54}; // the sixth replaces the oldest
    for (int i = 0; i < 6; ++i)
    {
        PastTheWindow();
        Advance(loads[i]);
        EXPECT_EQ(averages[i], sampler.GetLoadPercent()) << "sample " << i;
        EXPECT_EQ(i + 2, g_fed.calls);
        // A second call at once returns the same average without sampling.
        EXPECT_EQ(averages[i], sampler.GetLoadPercent());
        EXPECT_EQ(i + 2, g_fed.calls);
    }

    {
        // Another sampler continues from the same state: 70 replaces the oldest value, 40.
        FedSampler second;
        PastTheWindow();
        Advance(70);
        EXPECT_EQ(60, second.GetLoadPercent());
    }
    // No time passed at all: a zero load, not a division by zero; it replaces 30.
    PastTheWindow();
    EXPECT_EQ(54, sampler.GetLoadPercent());
    EXPECT_EQ(9, g_fed.calls);
}

TEST(CProcessorLoadTest, PerProcessorRecordsGivePlausibleTimes)
{
    PerProcessorSampler sampler;
    FILETIME idle{}, kernel{}, user{};
    ASSERT_TRUE(sampler.GetSystemTimesCompat(&idle, &kernel, &user));
    auto value = [](const FILETIME& ft)
    { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; };
    EXPECT_GT(value(kernel) + value(user), 0u);
    // The per-processor figures are averages: one processor's share of the system's times.
    FILETIME systemIdle, systemKernel, systemUser;
    ASSERT_TRUE(GetSystemTimes(&systemIdle, &systemKernel, &systemUser));
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_LE(value(kernel), value(systemKernel) / info.dwNumberOfProcessors + 100000000ull);

    PastTheWindow();
    sampler.GetLoadPercent();
    PastTheWindow();
    EXPECT_LE(sampler.GetLoadPercent(), 100);
}

TEST(CProcessorLoadTest, NoProcessorRecordsMeansNoLoad)
{
    PerProcessorSampler sampler(NoProcessorRecords);
    FILETIME idle{}, kernel{}, user{};
    EXPECT_FALSE(sampler.GetSystemTimesCompat(&idle, &kernel, &user));
    PastTheWindow();
    EXPECT_EQ(0, sampler.GetLoadPercent());
    EXPECT_FALSE(sampler.GetSystemTimesCompat(nullptr, &kernel, &user));
}

TEST(CProcessorLoadTest, RealSystemTimesGiveALoadInRange)
{
    CProcessorLoad sampler;
    PastTheWindow();
    EXPECT_LE(sampler.GetLoadPercent(), 100);
    volatile unsigned spin = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 250)
        spin = spin + 1;
    EXPECT_LE(sampler.GetLoadPercent(), 100);
}
