#include "framework/dialog.h"

#include "framework/app.h"
#include "framework/exception.h"
#include "framework/module.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_lpszTemplateName(MAKEINTRESOURCEW(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

const DLGTEMPLATE* CDialog::LoadTemplate(HINSTANCE* phInstance) const
{
    if (!m_lpszTemplateName)
        return nullptr;
    HINSTANCE hInstance = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC hResource = hInstance ? FindResourceW(hInstance, m_lpszTemplateName, RT_DIALOG) : nullptr;
    HGLOBAL hGlobal = hResource ? LoadResource(hInstance, hResource) : nullptr;
    if (!hGlobal)
        return nullptr;
    *phInstance = hInstance;
    return static_cast<const DLGTEMPLATE*>(LockResource(hGlobal));
}

HWND CDialog::GetOwnerForModal() const
{
    HWND hWnd = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hWnd)
        hWnd = ::GetActiveWindow();
    // A pop-up cannot be owned by a child window.
    while (hWnd && (::GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD))
        hWnd = ::GetParent(hWnd);
    return hWnd;
}

BOOL CDialog::CreateIndirect(const DLGTEMPLATE* pTemplate, HWND hWndParent, HINSTANCE hInstance)
{
    if (m_hWnd)
        return FALSE;
    AfxHookWindowCreate(this);
    HWND hWnd = nullptr;
    try
    {
        hWnd = ::CreateDialogIndirectParamW(hInstance, pTemplate, hWndParent, &CDialog::AfxDlgProc,
                                            reinterpret_cast<LPARAM>(this));
    }
    catch (...)
    {
        AfxUnhookWindowCreate();
        throw;
    }
    AfxUnhookWindowCreate();
    return hWnd != nullptr && m_hWnd == hWnd;
}

namespace
{
// The window a modal run may disable: the owner's top-level window, and only when the calling
// thread owns it. The desktop and the windows of other threads and processes are never
// disabled, or a dialog given one of them as its parent would freeze what it does not own.
HWND WindowToDisable(HWND hWndOwner)
{
    const HWND hWndTop = hWndOwner ? ::GetAncestor(hWndOwner, GA_ROOT) : nullptr;
    if (!hWndTop || hWndOwner == ::GetDesktopWindow() || hWndTop == ::GetDesktopWindow() ||
        ::GetWindowThreadProcessId(hWndTop, nullptr) != ::GetCurrentThreadId())
        return nullptr;
    return hWndTop;
}

// Ends a modal run whichever way DoModal leaves: hides and destroys the dialog and gives the
// owner back its input and activation.
class ModalRun
{
public:
    ModalRun(CDialog& dialog, HWND hWndOwner)
        : m_dialog(dialog), m_hWndOwner(hWndOwner), m_hWndDisabled(WindowToDisable(hWndOwner))
    {
        if (m_hWndDisabled && ::IsWindowEnabled(m_hWndDisabled))
            ::EnableWindow(m_hWndDisabled, FALSE);
        else
            m_hWndDisabled = nullptr;
    }

    ~ModalRun()
    {
        HWND hWnd = m_dialog.m_hWnd;
        if (hWnd)
            ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (m_hWndDisabled)
            ::EnableWindow(m_hWndDisabled, TRUE);
        if (hWnd && m_hWndOwner && ::GetActiveWindow() == hWnd)
            ::SetActiveWindow(m_hWndOwner);
        if (hWnd)
            m_dialog.DestroyWindow();
    }

    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;

private:
    CDialog& m_dialog;
    HWND m_hWndOwner;
    HWND m_hWndDisabled; // the window this run disabled and enables again; none when null
};
} // namespace

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInstance = nullptr;
    const DLGTEMPLATE* pTemplate = LoadTemplate(&hInstance);
    if (!pTemplate || m_hWnd)
        return -1;

    const HWND hWndOwner = GetOwnerForModal();
    m_nModalResult = -1;
    m_nFlags |= WF_CONTINUEMODAL;
    {
        ModalRun run(*this, hWndOwner);
        if (CreateIndirect(pTemplate, hWndOwner, hInstance) && (m_nFlags & WF_CONTINUEMODAL))
            RunModalLoop();
    }
    m_nFlags &= ~(WF_MODALLOOP | WF_CONTINUEMODAL);
    return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
{
    m_lpszTemplateName = lpszTemplateName;
    m_pParentWnd = pParentWnd;
    HINSTANCE hInstance = nullptr;
    const DLGTEMPLATE* pTemplate = LoadTemplate(&hInstance);
    if (!pTemplate)
        return FALSE;
    return CreateIndirect(pTemplate, pParentWnd ? pParentWnd->m_hWnd : nullptr, hInstance);
}

void CDialog::EndDialog(int nResult)
{
    if (m_nFlags & (WF_MODALLOOP | WF_CONTINUEMODAL))
        EndModalLoop(nResult);
    if (m_hWnd)
        ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    // The controls take the members' values; a dialog whose exchange fails does not run.
    if (!UpdateData(FALSE))
    {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try
    {
        DoDataExchange(&dx);
    }
    catch (CUserException* e)
    {
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    // Control notifications, identifiers below the command range and system commands stay
    // with the dialog.
    if (nCode != CN_COMMAND || !(nID & 0x8000) || nID >= 0xF000)
        return FALSE;
    HWND hWndOwner = ::GetParent(m_hWnd);
    CWnd* pOwner = hWndOwner ? FromHandlePermanent(hWndOwner) : nullptr;
    if (pOwner && pOwner != this && pOwner->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND hWndCtrl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
    if (!hWndCtrl)
        AfxThrowNotSupportedException();
    m_hWndLastControl = hWndCtrl;
    return hWndCtrl;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl)
        ::SetFocus(m_hWndLastControl);
    AfxThrowUserException();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(hWndCtrl))
        AfxThrowNotSupportedException(); // bound elsewhere already
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    const UINT message = pMsg->message;
    const bool keyboard = message >= WM_KEYFIRST && message <= WM_KEYLAST;
    const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    return (keyboard || mouse) && ::IsDialogMessageW(m_hWnd, pMsg);
}

INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    // Every other message reached the object through its window procedure already.
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* pDialog = reinterpret_cast<CDialog*>(lParam);
    if (!pDialog)
        return TRUE;
    bool initialised = false;
    const INT_PTR result = AfxCallbackBarrier(
        [&]
        {
            if (!pDialog->m_hWnd)
                pDialog->SubclassWindow(hWnd);
            const INT_PTR focus = pDialog->OnInitDialog();
            initialised = true;
            return focus;
        },
        INT_PTR(FALSE));
    if (!initialised)
        pDialog->EndDialog(-1); // a dialog that failed to initialise does not run
    return result;
}
