// Asks for a restore point under whatever Windows version Wine shows this program, with
// srclient.dll replaced by fakes that always succeed; prints "result R loads L": whether the
// version was let through, and whether the library was asked for at all.
#include <suitecore/restorepoint.h>

#include <srrestoreptapi.h>

#include <cstdio>
#include <cstring>

namespace
{
int g_loads = 0;

BOOL WINAPI FakeSet(PRESTOREPOINTINFOW, PSTATEMGRSTATUS status)
{
    status->llSequenceNumber = 1;
    return TRUE;
}

HMODULE FakeLoad(LPCWSTR)
{
    ++g_loads;
    return reinterpret_cast<HMODULE>(0x5A5A0000);
}

FARPROC FakeFind(HMODULE, LPCSTR name)
{
    return std::strcmp(name, "SRSetRestorePointW") == 0 ? reinterpret_cast<FARPROC>(&FakeSet) : nullptr;
}

BOOL FakeFree(HMODULE)
{
    return TRUE;
}
} // namespace

int main()
{
    const AFX_LIBRARY_BINDER binder = {&FakeLoad, &FakeFind, &FakeFree};
    CRestorePointOnce once;
    const BOOL result = CreateRestorePoint(L"probe", binder, once);
    std::printf("result %d loads %d\n", result ? 1 : 0, g_loads);
    return 0;
}
