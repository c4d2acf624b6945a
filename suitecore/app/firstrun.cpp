// The first-run wizard and its worker: the system-file backup, the restore point and the start
// of the scheduler, then the wizard closes itself.
#include "suitecore/firstrun.h"

#include "suitecore/app.h"
#include "suitecore/paths.h"
#include "../ui/basewnd_env.h"
#include "../ui/skin_paint.h"
#include "suitecore/ui/memdc.h"

#include <framework/app.h>
#include <framework/exception.h>
#include <framework/handles.h>

#include <shellapi.h>

#include <iterator>

using namespace suitecore::basewnd;

namespace
{
constexpr UINT kStartMs = 64;
constexpr UINT kCloseMs = 100;
constexpr int kWizardWidth = 600;
constexpr int kWizardHeight = 330;
constexpr LPCWSTR kBackupKey = L"Software\\orvane\\QMN3\\SwiftMend\\Vaultline";
constexpr LPCWSTR kCleanFinished = L"CLEANFINISHED";
constexpr COLORREF kDoneGreen = 0x56B656;

struct StepText
{
    LPCWSTR name;
    LPCWSTR description;
};
constexpr StepText kSteps[] = {
    {L"Take System Files Backup",
     L"System File Backup tool is taking backup of your System Registry for easy restore with a click."},
    {L"Create Restore Point",
     L"Create System Restore Point. This is just for safety and let you restore system to previous state easily."},
    {L"Check for Update", L"Please wait while Lumasweep checks for available updates."},
    {L"Start System Scan", L"It will automatically scans your system."},
};

CString ToolFolder()
{
    CString folder;
    GetModuleFolder(nullptr, folder);
    return folder;
}

CString InToolFolder(LPCWSTR lpszProgram)
{
    CString path = ToolFolder();
    JoinPath(path, lpszProgram);
    return path;
}

void WriteCleanFinished(DWORD dwValue)
{
    CUniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
        ERROR_SUCCESS)
        ::RegSetValueExW(key.get(), kCleanFinished, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                         sizeof dwValue);
}

DWORD ReadCleanFinished()
{
    CUniqueRegKey key;
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kBackupKey, 0, nullptr, 0, KEY_QUERY_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS ||
        ::RegQueryValueExW(key.get(), kCleanFinished, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

// Runs one operation of the worker; whatever it throws ends that operation only.
template <class Fn>
void Quietly(Fn&& fn)
{
    try
    {
        fn();
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
    }
}

void DrawIn(CDC* pDC, CFont& font, COLORREF colour, LPCWSTR text, RECT rect, UINT format)
{
    CFont* pOld = pDC->SelectObject(font.GetSafeHandle() ? &font : UiFont());
    pDC->SetTextColor(colour);
    pDC->DrawText(text, -1, &rect, format | DT_NOPREFIX);
    if (pOld)
        pDC->SelectObject(pOld);
}

void PlaceHidden(CWnd& wnd)
{
    if (!wnd.m_hWnd)
        return;
    wnd.ShowWindow(SW_HIDE);
    wnd.EnableWindow(FALSE);
}
} // namespace

IMPLEMENT_DYNCREATE(CDlgAfterInstallWiz, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgAfterInstallWiz, CDlgBaseWndPopupNagBase)
    ON_WM_TIMER()
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgAfterInstallWiz::CDlgAfterInstallWiz() : CDlgAfterInstallWiz(nullptr) {}

CDlgAfterInstallWiz::CDlgAfterInstallWiz(CWnd* pParentWnd)
    : CDlgBaseWndPopupNagBase(IDD_AFTER_INSTALL_WIZARD, pParentWnd)
{
    m_nMinTrackWidth = 253;
    m_nMinTrackHeight = 503;
    for (int i = 0; i < static_cast<int>(std::size(kSteps)); ++i)
    {
        m_strStepNames[i] = kSteps[i].name;
        m_strStepDescriptions[i] = kSteps[i].description;
        m_strStepStates[i] = L"Pending";
    }
    m_strStatus[0] = L"in Process";
    for (int i = 1; i < 5; ++i)
        m_strStatus[i] = L"Pending";
    m_strTitle = L"Thank you for installing Lumasweep";
    m_strIntro = L"Lumasweep will perform the following essential operations before you can start using it:";
    m_strOperation1 = L"Take Backup of System Files";
    m_strOperation2 = L"Create a System Restore Point";
    m_strFooter = L"This may take a few minutes. Please wait...";
}

CDlgAfterInstallWiz::~CDlgAfterInstallWiz()
{
    WaitForWorker();
}

BOOL CDlgAfterInstallWiz::OnInitDialog()
{
    SetWindowText(L"Welcome Wizard");
    CDlgBaseWndPopupNagBase::OnInitDialog();
    // Centred on the screen, whatever the main window.
    const int cx = kWizardWidth;
    const int cy = kWizardHeight;
    SetWindowPos(nullptr, (::GetSystemMetrics(SM_CXSCREEN) - cx) / 2, (::GetSystemMetrics(SM_CYSCREEN) - cy) / 2, cx, cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    CRgn region;
    if (region.CreateRoundRectRgn(0, 0, cx + 1, cy + 1, 6, 6) &&
        SetWindowRgn(static_cast<HRGN>(region.GetSafeHandle()), TRUE))
        region.Detach(); // the window owns it now

    m_pngSteps.LoadFromResource(1364, L"PNG");
    m_bmpSeparator.LoadBitmap(1118);
    m_bmpBullet.LoadBitmap(1142);
    const RECT rcButton = {0, 0, 60, 20};
    m_btnFirst.Create(L"", WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, rcButton, this, IDC_WIZARD_FIRST_BUTTON);
    m_btnSecond.Create(L"", WS_CHILD | WS_TABSTOP | BS_OWNERDRAW, rcButton, this, IDC_WIZARD_SECOND_BUTTON);
    PlaceHidden(m_btnFirst);
    PlaceHidden(m_btnSecond);

    RECT rc{};
    GetClientRect(&rc);
    const RECT rcAnimation = {rc.right / 2 - 67, rc.bottom - 50, rc.right / 2 - 67 + 134, rc.bottom - 50 + 13};
    if (m_animate.Create(WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT, rcAnimation, this, IDC_WIZARD_ANIMATION))
    {
        CString caption;
        if (caption.LoadString(IDS_WIZARD_ANIMATION))
            m_animate.SetWindowText(caption);
        if (m_animate.Open(IDR_PROGRESS_ANIMATION))
            m_animate.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    }
    SetTimer(ID_WIZARD_START_TIMER, kStartMs, nullptr);
    return TRUE;
}

BOOL CDlgAfterInstallWiz::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN)
    {
        switch (pMsg->wParam)
        {
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_SPACE:
        case VK_F4: // with or without Alt
            pMsg->wParam = 0;
            break;
        default:
            return FALSE; // no dialog keys: straight to the focused control
        }
    }
    return CDlgBaseWndPopupNagBase::PreTranslateMessage(pMsg);
}

void CDlgAfterInstallWiz::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == ID_WIZARD_START_TIMER)
    {
        KillTimer(ID_WIZARD_START_TIMER);
        if (m_pWorker)
            return;
        m_pWorker = AfxBeginThread(&CDlgAfterInstallWiz::WorkerEntry, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (!m_pWorker)
        {
            SetTimer(ID_WIZARD_CLOSE_TIMER, kCloseMs, nullptr); // nothing will run: close anyway
            return;
        }
        m_pWorker->m_bAutoDelete = FALSE;
        m_pWorker->ResumeThread();
        return;
    }
    if (nIDEvent == ID_WIZARD_CLOSE_TIMER)
    {
        KillTimer(ID_WIZARD_CLOSE_TIMER);
        m_animate.Stop();
        ::Sleep(100);
        m_nResult = IDOK;
        if (m_bHostedInShade)
            EndShade();
        else
            EndDialog(IDOK);
        return;
    }
    Default();
}

UINT __cdecl CDlgAfterInstallWiz::WorkerEntry(LPVOID pParam)
{
    auto* pThis = static_cast<CDlgAfterInstallWiz*>(pParam);
    const HWND hWnd = pThis->m_hWnd;
    Quietly([&] { pThis->RunOperations(); });
    // On every way out, and the last thing the worker does with the wizard: it closes itself.
    ::SetTimer(hWnd, ID_WIZARD_CLOSE_TIMER, kCloseMs, nullptr);
    return 0;
}

void CDlgAfterInstallWiz::RunOperations()
{
    Quietly([&] { m_animate.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1)); });
    Quietly([&] { BackUpSystemFiles(); });
    m_bFirstDone = 1;
    Invalidate(FALSE);
    Quietly([&] {
        CreateRestorePoint(L"Lumasweep - First Install",
                           m_pRestoreBinder ? *m_pRestoreBinder : AfxGetSystemLibraryBinder(),
                           m_pRestoreOnce ? *m_pRestoreOnce : CRestorePointOnce::ForProcess());
    });
    Quietly([&] { StartScheduler(); });
    m_bSecondDone = 1;
    Invalidate(FALSE);
    Quietly([&] { m_animate.Stop(); });
}

void CDlgAfterInstallWiz::BackUpSystemFiles()
{
    WriteCleanFinished(0);
    // Whether it counts as done is the backup program's to say; the line is marked either way.
    const bool backedUp = RunSiblingAndWait(L"Keepsafe.exe", L"runhiddenScan") && ReadCleanFinished() == 1;
    (void)backedUp;
}

void CDlgAfterInstallWiz::StartScheduler()
{
    const CString folder = ToolFolder();
    ::SetCurrentDirectoryW(folder);
    const CString path = InToolFolder(L"Tasklane.exe");
    // Not there: nothing to start, and nothing to report (the shell would ask the user in a
    // message box and hold the worker until someone answers).
    if (::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path;
    info.lpParameters = L"-qmnservice";
    info.lpDirectory = folder;
    info.nShow = SW_HIDE;
    ::ShellExecuteExW(&info);
}

BOOL CDlgAfterInstallWiz::RunSiblingAndWait(LPCWSTR lpszProgram, LPCWSTR lpszParameters)
{
    const CString folder = ToolFolder();
    ::SetCurrentDirectoryW(folder);
    // By its full path: the current directory belongs to the whole process and may change.
    const CString path = InToolFolder(lpszProgram);
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT; // 0x140
    info.lpFile = path;
    info.lpParameters = lpszParameters;
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info) || !info.hProcess)
        return FALSE;
    CUniqueHandle process(info.hProcess);
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0)
        return FALSE;
    ::Sleep(200);
    return TRUE;
}

void CDlgAfterInstallWiz::SetStepState(int nKind)
{
    const int step = (m_nCurrentStep >= 0 && m_nCurrentStep < kStepSlots) ? m_nCurrentStep : 0;
    RECT rc{};
    GetClientRect(&rc);
    const int top = 72 * step + 121;
    const RECT rcRow = {rc.right - 112, top, rc.right - 31, top + 20};
    InvalidateRect(&rcRow, TRUE);
    ::Sleep(100);
    if (nKind == 0)
    {
        m_strStepStates[step].Empty();
        UpdateWindow();
        ::Sleep(500);
        m_animate.SetWindowPos(nullptr, rc.right - 165, top, 134, 13, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        m_animate.EnableWindow(TRUE);
        m_btnSecond.SetWindowPos(nullptr, rc.right - 91, 72 * step + 135, 60, 20,
                                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        m_btnSecond.EnableWindow(step >= 2);
        m_animate.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    }
    else
    {
        m_animate.Stop();
        m_animate.ShowWindow(SW_HIDE);
        m_btnSecond.ShowWindow(SW_HIDE);
        m_strStepStates[step] = nKind == 1 ? L"Complete" : L"Not Complete";
    }
    InvalidateRect(&rcRow, TRUE);
    ::Sleep(100);
}

void CDlgAfterInstallWiz::WaitForWorker()
{
    if (!m_pWorker)
        return;
    // The worker sends to the animation control of this thread: keep delivering those.
    AfxWaitDispatchingSent(m_pWorker->m_hThread, INFINITE);
    delete m_pWorker;
    m_pWorker = nullptr;
}

void CDlgAfterInstallWiz::OnDestroy()
{
    WaitForWorker();
    Default();
}

void CDlgAfterInstallWiz::OnPaint()
{
    PaintBuffered(*this, [this](CDC* pDC, const RECT& rc) { PaintContent(pDC, rc); });
}

void CDlgAfterInstallWiz::PaintContent(CDC* pDC, const RECT& rc)
{
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    DrawSkinFrame(pDC, rc);
    TileRow(pDC, m_bmpSeparator, 6, width - 6, 30);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    DrawIn(pDC, g_fntLargeBold, 0xFCFCFC, L"Welcome Wizard", RECT{0, 5, width, 26}, DT_CENTER | DT_SINGLELINE);
    DrawIn(pDC, g_fntFixed15Bold, 0x323232, m_strTitle, RECT{26, 50, width - 26, 90}, DT_SINGLELINE);
    CPen line(PS_SOLID, 1, 0xD6CCC2);
    CPen* pOldPen = pDC->SelectObject(&line);
    pDC->MoveTo(26, 75);
    pDC->LineTo(width - 26, 75);
    pDC->SelectObject(pOldPen);
    DrawIn(pDC, g_fntNormal, 0x444444, m_strIntro, RECT{26, 85, width - 26, 135}, DT_WORDBREAK);

    struct Line
    {
        int bulletY;
        RECT text;
        const CString& label;
        BYTE done;
    } lines[] = {
        {144, RECT{53, 141, width - 238, 161}, m_strOperation1, m_bFirstDone},
        {174, RECT{53, 171, width - 238, 191}, m_strOperation2, m_bSecondDone},
    };
    for (const Line& op : lines)
    {
        Blit(pDC, m_bmpBullet, 26, op.bulletY);
        DrawIn(pDC, g_fntFixed15, 0x444444, op.label, op.text, DT_SINGLELINE);
        if (op.done)
        {
            const RECT rcDone = {op.text.right + 8, op.text.top, op.text.right + 108, op.text.bottom};
            DrawIn(pDC, g_fntFixed15, kDoneGreen, L"Done", rcDone, DT_SINGLELINE);
        }
    }
    DrawIn(pDC, g_fntSmall, 0x444444, m_strFooter, RECT{26, height - 30, width - 255, height - 15}, DT_SINGLELINE);
    pDC->SetBkMode(oldMode);
}
