// The feedback form and its upload worker.
#include "suitecore/feedback_dialog.h"

#include "feedback_message.h"

#include "../ui/basewnd_env.h"
#include "suitecore/app.h"
#include "suitecore/ui/memdc.h"

#include <framework/exception.h>
#include <framework/module.h>

#include <memory>
#include <vector>

using namespace suitecore::basewnd;
using suitecore::feedback::ShowFeedbackMessage;

namespace
{
constexpr UINT WM_FEEDBACK_UPLOADED = WM_APP + 0x3F1; // wParam: accepted
constexpr UINT kStepMs = 64;
constexpr int kMinWidth = 524;
constexpr int kMinHeight = 743;
constexpr UINT kToolIcons = 1039;
constexpr int kIconSize = 24;
constexpr UINT kButtonBitmap = 1074;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 28;
constexpr int kEmailLimit = 400;
constexpr int kContentLimit = 600;
constexpr COLORREF kTitleColour = RGB(50, 50, 50);
constexpr COLORREF kLabelColour = RGB(45, 54, 72);

// What the upload worker is given when it starts; it owns the job and reads nothing else.
struct UploadJob
{
    CString document; // trimmed
    FeedbackUploadFn upload;
    HWND hForm;
};

void CreateTextButton(CDlgBaseWnd& dialog, CHoverButtonWithText& button, UINT nID, LPCWSTR text, bool visible)
{
    const RECT rc = {0, 0, kButtonWidth, kButtonHeight};
    DWORD style = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;
    if (visible)
        style |= WS_VISIBLE;
    if (!button.Create(text, style, rc, &dialog, nID))
        return;
    dialog.SetLightStyle(button);
    button.SetBitmap(kButtonBitmap);
    button.MoveWindow(0, 0, kButtonWidth, kButtonHeight);
}

void Place(CWnd& wnd, int x, int y, int cx, int cy)
{
    if (wnd.m_hWnd)
        ::SetWindowPos(wnd.m_hWnd, nullptr, x, y, cx > 0 ? cx : 0, cy > 0 ? cy : 0, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawLabel(CDC& dc, CFont* pFont, COLORREF colour, int x, int y, int width, LPCWSTR text)
{
    CFont* pOld = pFont && pFont->GetSafeHandle() ? dc.SelectObject(pFont) : nullptr;
    dc.SetTextColor(colour);
    RECT rc = {x, y, x + width, y + 22};
    dc.DrawText(text, -1, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    if (pOld)
        dc.SelectObject(pOld);
}

// The form paints its own labels over the pop-up's skin.
void PaintForm(CDlgBaseWnd* pDlg, DWORD, CDC* pDC, const RECT& rcClient)
{
    if (rcClient.right <= rcClient.left || rcClient.bottom <= rcClient.top)
        return;
    CXTMemDC dc(pDC, rcClient, RGB(255, 255, 255));
    static_cast<CDlgBaseChildPopUpWndBase*>(pDlg)->DrawPopupSkin(&dc, rcClient);
    dc.SetBkMode(TRANSPARENT);
    const int w = rcClient.right;
    const int h = rcClient.bottom;
    DrawLabel(dc, SubtitleFont(), kTitleColour, 17, 46, w - 34, L"Submit your feedback for Lumasweep");
    DrawLabel(dc, UiFont(), kLabelColour, 17, 74, w - 34, L"Share your best experience");
    DrawLabel(dc, UiBoldFont(), kLabelColour, 17, 126, 240, L"My Favorite Tool(s)");
    DrawLabel(dc, UiBoldFont(), kLabelColour, 270, 128, w - 287, L"Email Address:");
    DrawLabel(dc, UiBoldFont(), kLabelColour, 270, 179, w - 287, L"Please Select Feedback Type:");
    DrawLabel(dc, UiBoldFont(), kLabelColour, 270, 238, w - 287, L"Share your experience*:");
    DrawLabel(dc, UiFont(), kLabelColour, 70, h - 89, w - 87,
              L"I agree to publish my review on website (possibly edited).");
}

// Every way through the upload, success or not, comes back here with the outcome.
bool Upload(const UploadJob& job)
{
    if (job.document.IsEmpty() || !job.upload)
        return false;
    CWebServiceHelper helper;
    CString payload;
    if (!helper.EncodeFeedbackPayload(job.document, payload))
        return false;
    const CString fileName = MakeFeedbackFileName();
    return job.upload(payload, fileName) != 0;
}
} // namespace

IMPLEMENT_DYNCREATE(CDlgQMNFeedback, CDlgBaseWndPopupNagBase)

BEGIN_MESSAGE_MAP(CDlgQMNFeedback, CDlgBaseWndPopupNagBase)
    ON_BN_CLICKED(IDC_FEEDBACK_SUBMIT, &CDlgQMNFeedback::OnSubmit)
    ON_BN_CLICKED(IDC_FEEDBACK_PREVIEW, &CDlgQMNFeedback::OnPreview)
    ON_BN_CLICKED(IDC_FEEDBACK_PUBLISH, &CDlgQMNFeedback::OnPublishClicked)
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_MESSAGE(WM_SHOWWINDOW, &CDlgQMNFeedback::OnShowWindowMessage)
    ON_MESSAGE(WM_FEEDBACK_UPLOADED, &CDlgQMNFeedback::OnUploadEnded)
END_MESSAGE_MAP()

CDlgQMNFeedback::CDlgQMNFeedback() : CDlgQMNFeedback(nullptr) {}

CDlgQMNFeedback::CDlgQMNFeedback(CWnd* pParentWnd) : CDlgBaseWndPopupNagBase(IDD_QMN_FEEDBACK, pParentWnd)
{
    m_nMinTrackWidth = kMinWidth;
    m_nMinTrackHeight = kMinHeight;
    m_pfnUpload = LoadFeedbackUploader();
    m_bUploadLoaded = m_pfnUpload != nullptr;
    SetPaintCallback(&PaintForm, TRUE, 0);
}

CDlgQMNFeedback::~CDlgQMNFeedback()
{
    if (m_pUploadThread)
    {
        // The worker may still be showing its message (a box it owns by this form) when the
        // shade ends another way: wait, delivering what it sends to this thread meanwhile.
        AfxWaitDispatchingSent(m_pUploadThread->m_hThread, INFINITE);
        delete m_pUploadThread;
    }
}

BOOL CDlgQMNFeedback::OnInitDialog()
{
    SetWindowText(L"Feedback");
    CDlgBaseWndPopupNagBase::OnInitDialog();
    SetWindowPos(nullptr, 0, 0, kMinWidth, kMinHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
    CreateControls();
    FillTools();
    RECT rc{};
    GetClientRect(&rc);
    Layout(rc.right, rc.bottom);
    if (m_ToolTip.m_hWnd)
    {
        m_ToolTip.AddTool(&m_btnSubmit, L"Send your feedback");
        m_ToolTip.AddTool(&m_lstTools, L"Check the tools you like best");
    }
    if (!m_bUploadLoaded)
        ShowFeedbackMessage(m_hWnd, kFeedbackLibraryMissingText, MB_ICONWARNING);
    m_edtEmail.SetFocus();
    return FALSE;
}

void CDlgQMNFeedback::CreateControls()
{
    CreateTextButton(*this, m_btnPreview, IDC_FEEDBACK_PREVIEW, L"Preview Feedback", false);
    CreateTextButton(*this, m_btnSubmit, IDC_FEEDBACK_SUBMIT, L"Submit", true);
    CreateTextButton(*this, m_btnViewLog, IDC_FEEDBACK_VIEWLOG, L"View Attached Log", false);
    CreateTextButton(*this, m_btnCancel, IDCANCEL, L"Cancel", true);
    m_btnPreview.EnableWindow(FALSE);

    const RECT rc = {0, 0, 15, 15};
    m_chkPublish.Create(L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, rc, this, IDC_FEEDBACK_PUBLISH);
    m_stcLabel1.Create(L"", WS_CHILD | WS_DISABLED, rc, this, IDC_FEEDBACK_LABEL1);
    m_stcLabel2.Create(L"", WS_CHILD | WS_DISABLED, rc, this, IDC_FEEDBACK_LABEL2);
    m_edtEmail.CreateEx(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10,
                        10, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_FEEDBACK_EMAIL)));
    m_cmbType.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, RECT{0, 0, 10, 200}, this,
                     IDC_FEEDBACK_TYPE);
    m_edtContent.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                            ES_WANTRETURN,
                        rc, this, IDC_FEEDBACK_CONTENT);

    for (int type = 0; type < FEEDBACK_TYPE_COUNT; ++type)
    {
        CString key;
        key.Format(L"%d", type);
        const CString text = GetFeedbackTypeText(type);
        m_mapTypes.SetAt(key, text);
        m_cmbType.AddString(text);
    }
    m_cmbType.SetCurSel(0);
    CWnd* controls[] = {&m_chkPublish, &m_edtEmail, &m_cmbType, &m_edtContent};
    for (CWnd* pControl : controls)
        if (pControl->m_hWnd)
            pControl->SetFont(UiFont(), FALSE);
    m_edtEmail.LimitText(kEmailLimit);
    if (m_edtContent.m_hWnd)
        m_edtContent.LimitText(kContentLimit);
}

void CDlgQMNFeedback::FillTools()
{
    if (m_imgTools.Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 25, 1))
    {
        CBitmap strip;
        if (strip.Attach(static_cast<HBITMAP>(::LoadImageW(AfxFindResourceHandle(MAKEINTRESOURCEW(kToolIcons), RT_BITMAP),
                                                            MAKEINTRESOURCEW(kToolIcons), IMAGE_BITMAP, 0, 0,
                                                            LR_CREATEDIBSECTION))))
            m_imgTools.Add(&strip, RGB(255, 255, 255));
    }
    const RECT rc = {0, 0, 240, 100};
    if (!m_lstTools.CreateEx(WS_EX_CLIENTEDGE,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL |
                                 LVS_NOCOLUMNHEADER,
                             rc, this, IDC_FEEDBACK_TOOLS))
        return;
    m_lstTools.SetExtendedStyle(m_lstTools.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_lstTools.SetFont(UiFont(), FALSE);
    m_lstTools.InsertColumn(0, L"", LVCFMT_LEFT, 24);
    m_lstTools.InsertColumn(1, L"Tool", LVCFMT_LEFT, 156);
    m_lstTools.InsertColumn(2, L"Tips", LVCFMT_LEFT, 146);
    m_lstTools.SetCheckColumn(0);
    if (m_imgTools.GetSafeHandle())
        m_lstTools.AddIconColumn(&m_imgTools);
    const int nameColumn = m_imgTools.GetSafeHandle() ? 2 : 1;
    const FeedbackTool* tools = nullptr;
    const int count = GetFeedbackTools(&tools);
    for (int i = 0; i < count; ++i)
    {
        // The item data is the tool's application id, which also picks its icon.
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = const_cast<LPWSTR>(L"");
        item.lParam = static_cast<LPARAM>(tools[i].nAppId);
        const int index = m_lstTools.InsertItem(&item);
        if (index >= 0)
            m_lstTools.SetItemText(index, nameColumn, tools[i].lpszName);
    }
}

void CDlgQMNFeedback::Layout(int cx, int cy)
{
    Place(m_lstTools, 17, 147, 240, cy - 253);
    Place(m_edtEmail, 270, 149, cx - 287, 20);
    if (m_cmbType.m_hWnd)
    {
        // A drop-down list's height includes its list.
        ::SetWindowPos(m_cmbType.m_hWnd, nullptr, 270, 200, cx - 287 > 0 ? cx - 287 : 0, 200,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Place(m_edtContent, 270, 259, cx - 287, cy - 365);
    Place(m_chkPublish, 48, cy - 89, 15, 15);
    const int top = cy - 46;
    Place(m_btnSubmit, cx - 138, top, kButtonWidth, kButtonHeight);
    Place(m_btnCancel, cx - 265, top, kButtonWidth, kButtonHeight);
    Place(m_btnPreview, 17, top, kButtonWidth, kButtonHeight);
    Place(m_btnViewLog, 144, top, kButtonWidth, kButtonHeight);
}

void CDlgQMNFeedback::OnSize(UINT nType, int cx, int cy)
{
    CDlgBaseChildPopUpWndBase::OnSize(nType, cx, cy);
    Layout(cx, cy);
    Invalidate(FALSE);
}

void CDlgQMNFeedback::ResetFields()
{
    m_edtEmail.SetWindowText(L"");
    m_edtContent.SetWindowText(L"");
    m_cmbType.SetCurSel(0);
    m_chkPublish.SetCheck(BST_UNCHECKED);
    m_nPublish = 0;
    EnableWindow(TRUE);
    m_btnSubmit.EnableWindow(TRUE);
}

LRESULT CDlgQMNFeedback::OnShowWindowMessage(WPARAM wParam, LPARAM)
{
    if (wParam && !m_bBusy)
        ResetFields();
    return Default();
}

BOOL CDlgQMNFeedback::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN)
    {
        // Escape, F4 and Alt+F4 lose their key: the form closes only through its buttons.
        if (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_F4)
            pMsg->wParam = 0;
        return FALSE;
    }
    if (m_ToolTip.m_hWnd)
        m_ToolTip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CDlgQMNFeedback::BuildFeedbackDocument()
{
    return AfxCallbackBarrier(
        [this]
        {
            CString email, content;
            m_edtEmail.GetWindowText(email);
            m_edtContent.GetWindowText(content);
            std::vector<UINT> ids;
            for (int row = 0; row < m_lstTools.GetItemCount(); ++row)
                if (m_lstTools.GetCheck(row))
                    ids.push_back(static_cast<UINT>(m_lstTools.GetItemData(row)));
            // The selection number is the type's key; a missing selection finds no type text.
            CString key, typeText;
            key.Format(L"%d", m_cmbType.GetCurSel());
            const int type = m_mapTypes.Lookup(key, typeText) ? m_cmbType.GetCurSel() : -1;
            CString document;
            const BOOL built = BuildFeedbackDocumentText(email, type, content, ids.data(), static_cast<int>(ids.size()),
                                                         m_nPublish, document);
            m_xml.SetDoc(nullptr);
            if (built)
                m_strDocument = document;
            return built;
        },
        BOOL(FALSE));
}

BOOL CDlgQMNFeedback::EncodeFeedbackPayload(const CString& strText, CString& strPayload)
{
    return m_webHelper.EncodeFeedbackPayload(strText, strPayload);
}

CString CDlgQMNFeedback::MakeFeedbackFileName()
{
    return ::MakeFeedbackFileName();
}

void CDlgQMNFeedback::OnSubmit()
{
    if (m_bBusy)
        return;
    EnableWindow(FALSE);
    m_strDocument.Empty();
    m_nPreview = 0;
    if (!BuildFeedbackDocument())
    {
        ShowFeedbackMessage(m_hWnd, kFeedbackEmptyText, MB_ICONWARNING);
        // Back to editing: the form must not stay disabled.
        EnableWindow(TRUE);
        m_edtContent.SetFocus();
        return;
    }
    m_bBusy = TRUE;
    m_btnSubmit.EnableWindow(FALSE);
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetTimer(ID_FEEDBACK_UPLOAD_TIMER, kStepMs, nullptr);
}

void CDlgQMNFeedback::OnPreview()
{
    m_nPreview = 1;
    if (BuildFeedbackDocument())
        ::MessageBoxW(m_hWnd, m_strDocument, g_strAppName, MB_OK | MB_ICONINFORMATION);
    else
        ShowFeedbackMessage(m_hWnd, kFeedbackEmptyText, MB_ICONWARNING);
}

void CDlgQMNFeedback::OnPublishClicked()
{
    m_nPublish = m_chkPublish.GetCheck() == BST_CHECKED ? 1 : 0;
    Invalidate(FALSE);
}

void CDlgQMNFeedback::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == ID_FEEDBACK_UPLOAD_TIMER)
    {
        KillTimer(ID_FEEDBACK_UPLOAD_TIMER);
        if (m_pUploadThread)
            return;
        CString document = m_strDocument;
        document.Trim();
        auto job = std::make_unique<UploadJob>(UploadJob{document, m_pfnUpload, m_hWnd});
        CWinThread* pThread = AfxBeginThread(&CDlgQMNFeedback::UploadFeedbackThread, job.get(),
                                             THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        if (!pThread)
        {
            ShowFeedbackMessage(m_hWnd, kFeedbackFailedText, MB_ICONINFORMATION);
            StartCloseTimer(FALSE);
            return;
        }
        job.release(); // the worker owns it now
        pThread->m_bAutoDelete = FALSE;
        m_pUploadThread = pThread;
        pThread->ResumeThread();
        return;
    }
    if (nIDEvent == ID_FEEDBACK_CLOSE_TIMER)
    {
        KillTimer(ID_FEEDBACK_CLOSE_TIMER);
        m_bBusy = FALSE;
        if (m_bAccepted)
            CDlgBaseWndPopupNagBase::OnOK();
        else
            CDlgBaseWndPopupNagBase::OnCancel();
    }
}

UINT CDlgQMNFeedback::UploadFeedbackThread(LPVOID pParam)
{
    const std::unique_ptr<UploadJob> job(static_cast<UploadJob*>(pParam));
    if (!job)
        return 1;
    // Whatever happens on the way (nothing to send, no library, a failed encoding, an
    // exception), the user hears the outcome and the form gets its closing timer.
    const bool accepted = AfxCallbackBarrier([&] { return Upload(*job); }, false);
    AfxCallbackBarrier(
        [&]
        {
            ::RedrawWindow(job->hForm, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            ShowFeedbackMessage(job->hForm, accepted ? kFeedbackThanksText : kFeedbackFailedText, MB_ICONINFORMATION);
        });
    ::PostMessageW(job->hForm, WM_FEEDBACK_UPLOADED, accepted ? 1 : 0, 0);
    return accepted ? 0 : 1;
}

LRESULT CDlgQMNFeedback::OnUploadEnded(WPARAM wParam, LPARAM)
{
    StartCloseTimer(wParam != 0);
    return 0;
}

void CDlgQMNFeedback::StartCloseTimer(BOOL bAccepted)
{
    m_bAccepted = bAccepted;
    SetTimer(ID_FEEDBACK_CLOSE_TIMER, kStepMs, nullptr);
}

void CDlgQMNFeedback::OnOK()
{
    if (!m_bBusy)
        CDlgBaseWndPopupNagBase::OnOK();
}

void CDlgQMNFeedback::OnCancel()
{
    if (!m_bBusy)
        CDlgBaseWndPopupNagBase::OnCancel();
}

void CDlgQMNFeedback::OnCancelButton()
{
    OnCancel();
}

void CDlgQMNFeedback::OnCloseRequest()
{
    if (!m_bBusy)
        CDlgBaseWndPopupNagBase::OnCloseRequest();
}

int ShowFeedbackDialog(CWnd* pOwner)
{
    CDlgQMNFeedback form(pOwner);
    return DoModalShaded(pOwner, &form, IDD_QMN_FEEDBACK);
}
