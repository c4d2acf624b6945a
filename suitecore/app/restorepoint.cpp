// System Restore points through srclient.dll, and the dialog that makes one.
#include "suitecore/restorepoint.h"

#include "suitecore/app.h"
#include "suitecore/sysinfo.h"

#include <framework/app.h>
#include <framework/cmdtarget.h>

#include <srrestoreptapi.h>

#include <algorithm>
#include <cwchar>

static_assert(sizeof(RESTOREPOINTINFOW) == 528, "the packed restore point request");
static_assert(sizeof(STATEMGRSTATUS) == 12, "the packed status");

namespace
{
constexpr DWORD kBeginSystemChange = 100;
constexpr DWORD kEndSystemChange = 101;
constexpr DWORD kModifySettings = 12;
constexpr DWORD kSettleMs = 512;
constexpr UINT kTimerMs = 512;
constexpr LPCWSTR kDefaultDescription = L"Creating Restore Point : Lumasweep";

typedef BOOL(WINAPI* PFN_SRSETRESTOREPOINTW)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);
typedef DWORD(WINAPI* PFN_SRREMOVERESTOREPOINT)(DWORD);

// Windows Me, XP, Vista and everything after, and any Windows that runs us under WOW64.
bool RestorePointsSupported()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExW(&version))
        return false;
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMajorVersion == 4 &&
        version.dwMinorVersion == 90)
        return true;
    if (nt && version.dwMajorVersion == 5 && version.dwMinorVersion == 1)
        return true;
    if (nt && version.dwMajorVersion == 6 && version.dwMinorVersion == 0)
        return true;
    return IsWow64() || version.dwMajorVersion > 5;
}

// srclient.dll for as long as the call needs it, freed through the binder on every way out.
class BoundLibrary
{
public:
    BoundLibrary(const AFX_LIBRARY_BINDER& binder, LPCWSTR lpszName)
        : m_binder(binder), m_hModule(binder.pfnLoadLibrary(lpszName))
    {
    }
    ~BoundLibrary()
    {
        if (m_hModule)
            m_binder.pfnFreeLibrary(m_hModule);
    }
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;
    HMODULE Get() const { return m_hModule; }
    template <class Fn>
    Fn Find(LPCSTR lpszName) const
    {
        return reinterpret_cast<Fn>(m_binder.pfnGetProcAddress(m_hModule, lpszName));
    }

private:
    const AFX_LIBRARY_BINDER& m_binder;
    HMODULE m_hModule;
};

RESTOREPOINTINFOW BeginRequest(LPCWSTR lpszDescription)
{
    RESTOREPOINTINFOW request{};
    request.dwEventType = kBeginSystemChange;
    request.dwRestorePtType = kModifySettings;
    request.llSequenceNumber = 0;
    const LPCWSTR text = (lpszDescription && *lpszDescription) ? lpszDescription : kDefaultDescription;
    // The field holds 256 characters with the terminator: at most 255 are kept.
    const size_t length = std::min<size_t>(std::wcslen(text), MAX_DESC_W - 1);
    std::wmemcpy(request.szDescription, text, length);
    request.szDescription[length] = L'\0';
    return request;
}

BOOL MakeRestorePoint(LPCWSTR lpszDescription, const AFX_LIBRARY_BINDER& binder, CRestorePointOnce& once)
{
    CWaitCursor wait;
    if (!RestorePointsSupported())
        return FALSE;
    BoundLibrary library(binder, L"srclient.dll");
    if (!library.Get())
        return FALSE;
    const auto pfnSet = library.Find<PFN_SRSETRESTOREPOINTW>("SRSetRestorePointW");
    const auto pfnRemove = library.Find<PFN_SRREMOVERESTOREPOINT>("SRRemoveRestorePoint");
    if (!pfnSet)
        return FALSE;

    RESTOREPOINTINFOW request = BeginRequest(lpszDescription);
    STATEMGRSTATUS status{};
    // A failed begin leaves no restore point of ours, and its status no number to remove.
    if (!pfnSet(&request, &status))
        return FALSE;
    const INT64 begun = status.llSequenceNumber;
    ::Sleep(kSettleMs);
    request.llSequenceNumber = begun;
    request.dwEventType = kEndSystemChange;
    if (pfnSet(&request, &status))
    {
        once.m_bCreated = TRUE;
        return TRUE;
    }
    if (pfnRemove)
        pfnRemove(static_cast<DWORD>(begun));
    once.m_bCreated = FALSE;
    return FALSE;
}
} // namespace

CRestorePointOnce& CRestorePointOnce::ForProcess()
{
    static CRestorePointOnce once;
    return once;
}

BOOL CreateRestorePoint(LPCWSTR lpszDescription, const AFX_LIBRARY_BINDER& binder, CRestorePointOnce& once)
{
    if (once.m_bCreated)
        return TRUE;
    try
    {
        return MakeRestorePoint(lpszDescription, binder, once);
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
    return FALSE;
}

BOOL CreateRestorePoint(LPCWSTR lpszDescription)
{
    return CreateRestorePoint(lpszDescription, AfxGetSystemLibraryBinder(), CRestorePointOnce::ForProcess());
}

// ---- CDlgCreateRestorePoint ----------------------------------------------------------------

IMPLEMENT_DYNCREATE(CDlgCreateRestorePoint, CDlgBaseWnd)

BEGIN_MESSAGE_MAP(CDlgCreateRestorePoint, CDlgBaseWnd)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CDlgCreateRestorePoint::CDlgCreateRestorePoint() : CDlgBaseWnd(IDD_CREATE_RESTORE_POINT, nullptr) {}

CDlgCreateRestorePoint::CDlgCreateRestorePoint(CWnd* pParentWnd)
    : CDlgBaseWnd(IDD_CREATE_RESTORE_POINT, pParentWnd)
{
}

CDlgCreateRestorePoint::~CDlgCreateRestorePoint() = default;

INT_PTR CDlgCreateRestorePoint::Run(LPCWSTR lpszDescription)
{
    m_strDescription = lpszDescription ? lpszDescription : L"";
    return DoModal();
}

BOOL CDlgCreateRestorePoint::OnInitDialog()
{
    CDlgBaseWnd::OnInitDialog();
    RECT rc{};
    GetClientRect(&rc);
    CRgn region;
    if (region.CreateRoundRectRgn(0, 0, rc.right + 1, rc.bottom + 1, 8, 8) &&
        SetWindowRgn(static_cast<HRGN>(region.GetSafeHandle()), TRUE))
        region.Detach(); // the window owns it now
    CWnd* pMain = AfxGetMainWnd();
    CenterWindow(pMain && pMain->m_hWnd && pMain != this ? pMain : nullptr);

    CString caption;
    if (!caption.LoadString(IDS_RESTORE_POINT_CAPTION))
        caption = L"Creating a System Restore Point...";
    const int width = rc.right - rc.left;
    if (m_stcText.Create(caption, WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, RECT{12, 14, width - 12, 34}, this,
                         IDC_RESTORE_POINT_TEXT))
        m_stcText.SetFont(g_fntBold.GetSafeHandle() ? &g_fntBold : nullptr);
    const RECT rcAnimation = {width / 2 - 67, 44, width / 2 + 67, 57};
    m_bAnimationPlaying =
        m_animate.Create(WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT, rcAnimation, this, IDC_RESTORE_POINT_ANIMATION) &&
        m_animate.Open(IDR_PROGRESS_ANIMATION) &&
        m_animate.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    SetTimer(ID_RESTORE_POINT_CREATE_TIMER, kTimerMs, nullptr);
    return TRUE;
}

void CDlgCreateRestorePoint::OnTimer(UINT_PTR nIDEvent)
{
    switch (nIDEvent)
    {
    case ID_RESTORE_POINT_CREATE_TIMER:
        KillTimer(ID_RESTORE_POINT_CREATE_TIMER);
        m_bResult = CreateRestorePoint(m_strDescription, m_pBinder ? *m_pBinder : AfxGetSystemLibraryBinder(),
                                       m_pOnce ? *m_pOnce : CRestorePointOnce::ForProcess());
        SetTimer(ID_RESTORE_POINT_CLOSE_TIMER, kTimerMs, nullptr);
        return;
    case ID_RESTORE_POINT_CLOSE_TIMER:
        KillTimer(ID_RESTORE_POINT_CLOSE_TIMER);
        m_animate.Stop();
        EndDialog(IDOK);
        return;
    default:
        Default();
        return;
    }
}
