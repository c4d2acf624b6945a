// Windows System Restore points: one function that creates a restore point through
// srclient.dll, at most once per process, and a small dialog that plays an animation while it
// does so and closes by itself.
#pragma once

#include "ui/basewnd.h"

#include <framework/controls.h>
#include <framework/syslib.h>

enum : UINT
{
    IDD_CREATE_RESTORE_POINT = 12560,
    IDC_RESTORE_POINT_TEXT = 12549,
    IDC_RESTORE_POINT_ANIMATION = 12526,
    IDS_RESTORE_POINT_CAPTION = 1408, // the caption line; the calling tool may supply its own
    IDR_PROGRESS_ANIMATION = 1500,    // "AVI": the small clip both system dialogs play
    ID_RESTORE_POINT_CREATE_TIMER = 101,
    ID_RESTORE_POINT_CLOSE_TIMER = 102,
};

// Remembers that a restore point was made. The process keeps one; tests make their own.
class SUITECORE_API CRestorePointOnce
{
public:
    BOOL m_bCreated = FALSE;
    // The one CreateRestorePoint(description) uses.
    static CRestorePointOnce& ForProcess();
};

// Creates a restore point described by lpszDescription ("Creating Restore Point : Lumasweep"
// when empty; at most 255 characters are kept) unless one was made already. Only on Windows
// Me, XP, Vista and later, or in a 32-bit process under 64-bit Windows. TRUE on success.
SUITECORE_API BOOL CreateRestorePoint(LPCWSTR lpszDescription);
// The same, loading srclient.dll and looking its functions up through the binder, with the
// given once-only state.
SUITECORE_API BOOL CreateRestorePoint(LPCWSTR lpszDescription, const AFX_LIBRARY_BINDER& binder,
                                      CRestorePointOnce& once);

class SUITECORE_API CDlgCreateRestorePoint : public CDlgBaseWnd
{
    DECLARE_DYNCREATE(CDlgCreateRestorePoint)
public:
    CDlgCreateRestorePoint();
    explicit CDlgCreateRestorePoint(CWnd* pParentWnd);
    ~CDlgCreateRestorePoint() override;

    // Stores the description and runs the dialog: it creates the restore point half a second
    // after it opens and closes itself with IDOK half a second after that.
    INT_PTR Run(LPCWSTR lpszDescription);

    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIDEvent);

    CString m_strDescription;
    CStatic m_stcText;
    CAnimateCtrl m_animate;
    // How the restore point is made; null: the system's srclient.dll and the process's state.
    const AFX_LIBRARY_BINDER* m_pBinder = nullptr;
    CRestorePointOnce* m_pOnce = nullptr;
    BOOL m_bResult = FALSE; // what CreateRestorePoint answered
    BOOL m_bAnimationPlaying = FALSE; // the clip opened and started

protected:
    DECLARE_MESSAGE_MAP()
};
