// The first-run wizard: after installation the suite's main tool shows it once. Without any
// input it backs the system files up with the suite's backup program, creates a System Restore
// point, starts the suite's scheduler program and closes by itself.
#pragma once

#include "restorepoint.h"
#include "update.h"
#include "ui/basewnd.h"
#include "ui/gdiplus_bitmap.h"

#include <framework/controls.h>
#include <framework/thread.h>

enum : UINT
{
    IDD_AFTER_INSTALL_WIZARD = 1264,
    IDC_WIZARD_FIRST_BUTTON = 1190,
    IDC_WIZARD_SECOND_BUTTON = 1198,
    IDC_WIZARD_ANIMATION = 1179,
    IDS_WIZARD_ANIMATION = 1398, // the animation's caption; the calling tool may supply its own
};
// The wizard's timers: the worker starts, the wizard closes.
constexpr UINT_PTR ID_WIZARD_START_TIMER = 2009091201;
constexpr UINT_PTR ID_WIZARD_CLOSE_TIMER = 2009091202;

class SUITECORE_API CDlgAfterInstallWiz : public CDlgBaseWndPopupNagBase
{
    DECLARE_DYNCREATE(CDlgAfterInstallWiz)
public:
    CDlgAfterInstallWiz();
    explicit CDlgAfterInstallWiz(CWnd* pParentWnd);
    ~CDlgAfterInstallWiz() override;

    BOOL OnInitDialog() override;
    // Enter, Escape, space, F4 and Alt+F4 are swallowed; other keys go straight to the focused
    // control: the wizard cannot be closed or triggered from the keyboard.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Starts the program of that name in the tool's folder, hidden, and waits for it without a
    // time-out (then 200 ms more). The current directory becomes the tool's folder. FALSE when
    // the file is missing, it cannot be started or the wait fails.
    static BOOL RunSiblingAndWait(LPCWSTR lpszProgram, LPCWSTR lpszParameters);
    // The current step: 0 running (the animation and the second button beside it), 1
    // "Complete", 2 "Not Complete".
    void SetStepState(int nKind);

    void OnTimer(UINT_PTR nIDEvent);
    void OnPaint();
    void OnDestroy();

    const CString& GetStepState(int nStep) const { return m_strStepStates[nStep]; }
    BOOL IsFirstDone() const { return m_bFirstDone; }
    BOOL IsSecondDone() const { return m_bSecondDone; }

    static constexpr int kStepSlots = 6;
    CGdiPlusBitmapResource m_pngSteps;
    CHoverButton m_btnFirst;
    CHoverButton m_btnSecond;
    CString m_strStepNames[kStepSlots];
    CString m_strStepDescriptions[kStepSlots];
    CString m_strStepStates[kStepSlots];
    CString m_strStatus[5];
    CAnimateCtrl m_animate;
    CSTBitmap m_bmpSeparator;
    CSTBitmap m_bmpBullet;
    CGlobalUpdate m_update;
    CString m_strTitle;
    CString m_strIntro;
    CString m_strOperation1;
    CString m_strOperation2;
    CString m_strFooter;
    volatile BYTE m_bFirstDone = 0;
    volatile BYTE m_bSecondDone = 0;
    int m_nCurrentStep = 0;
    int m_nStepCount = 4;
    // How the restore point is made; null: the system's srclient.dll and the process's state.
    const AFX_LIBRARY_BINDER* m_pRestoreBinder = nullptr;
    CRestorePointOnce* m_pRestoreOnce = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    static UINT __cdecl WorkerEntry(LPVOID pParam);
    void RunOperations();
    void BackUpSystemFiles();
    void StartScheduler();
    void WaitForWorker();
    void PaintContent(CDC* pDC, const RECT& rcClient);

    CWinThread* m_pWorker = nullptr;
};
