// The feedback form: e-mail, feedback type, favourite tools, the user's text and the consent to
// publish, sent through the upload library on a worker thread. Shown over the translucent shade.
#pragma once

#include "feedback.h"
#include "markup.h"
#include "ui/basewnd.h"
#include "ui/fancylistctrl.h"

#include <framework/collections.h>
#include <framework/editctrls.h>
#include <framework/thread.h>

// Control identifiers of the form, so that tools and tests can reach them.
enum : UINT
{
    IDD_QMN_FEEDBACK = 1265,
    IDC_FEEDBACK_SUBMIT = 1001,
    IDC_FEEDBACK_VIEWLOG = 1212,
    IDC_FEEDBACK_PREVIEW = 1213,
    IDC_FEEDBACK_PUBLISH = 1215,
    IDC_FEEDBACK_TYPE = 1216,
    IDC_FEEDBACK_EMAIL = 1223,
    IDC_FEEDBACK_TOOLS = 1229,
    IDC_FEEDBACK_CONTENT = 1241,
    IDC_FEEDBACK_LABEL1 = 1245,
    IDC_FEEDBACK_LABEL2 = 1246,
    // Timers: the upload starts on the first (after the form was repainted with Submit
    // disabled); the form closes on the second.
    ID_FEEDBACK_UPLOAD_TIMER = 2009081802,
    ID_FEEDBACK_CLOSE_TIMER = 2009081803,
};

class SUITECORE_API CDlgQMNFeedback : public CDlgBaseWndPopupNagBase
{
    DECLARE_DYNCREATE(CDlgQMNFeedback)
public:
    CDlgQMNFeedback();
    explicit CDlgQMNFeedback(CWnd* pParentWnd);
    // Waits for a running upload worker, still delivering what it sends to this thread.
    ~CDlgQMNFeedback() override;

    BOOL OnInitDialog() override;
    // The keyboard filter: key presses skip the dialog keys and the tooltip, and Escape and F4
    // lose their key, so that only the buttons close the form.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;
    // Refused while a feedback is on its way: the form closes on its own timer then.
    void OnCloseRequest() override;

    // Builds the document from the controls; false for blank content. Keeps its text.
    BOOL BuildFeedbackDocument();
    BOOL EncodeFeedbackPayload(const CString& strText, CString& strPayload);
    CString MakeFeedbackFileName();
    // The upload worker. pParam is the job the form hands over when it starts the worker
    // (document, upload function, the form's window): the worker reads nothing of the form.
    static UINT __cdecl UploadFeedbackThread(LPVOID pParam);

    void OnSubmit();
    void OnPreview();
    void OnCancelButton();
    void OnPublishClicked();
    void OnTimer(UINT_PTR nIDEvent);
    void OnSize(UINT nType, int cx, int cy);
    LRESULT OnShowWindowMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnUploadEnded(WPARAM wParam, LPARAM lParam);

    CHoverButtonWithText m_btnPreview;
    CHoverButtonWithText m_btnSubmit;
    CHoverButtonWithText m_btnViewLog;
    CHoverButtonWithText m_btnCancel;
    CButton m_chkPublish;
    CStatic m_stcLabel1;
    CStatic m_stcLabel2;
    CEdit m_edtEmail;
    CComboBox m_cmbType;
    CRichEditCtrl m_edtContent;
    CFancyListCtrl m_lstTools;
    int m_nPreview = 0;
    CMapStringToString m_mapTypes;
    CString m_strDocument;
    CImageList m_imgTools;
    int m_nPublish = 0;
    CMarkup m_xml;
    CWebServiceHelper m_webHelper;
    BOOL m_bUploadLoaded = FALSE;
    FeedbackUploadFn m_pfnUpload = nullptr;

    // From Submit until the closing timer: close requests wait for the timer.
    BOOL m_bBusy = FALSE;
    CWinThread* m_pUploadThread = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void CreateControls();
    void FillTools();
    void Layout(int cx, int cy);
    void ResetFields();
    // Starts the closing timer; the form ends with OK after an accepted upload, else Cancel.
    void StartCloseTimer(BOOL bAccepted);
    BOOL m_bAccepted = FALSE;
};

// Shows the feedback form over pOwner (the main window when null); the shade's result.
SUITECORE_API int ShowFeedbackDialog(CWnd* pOwner);
