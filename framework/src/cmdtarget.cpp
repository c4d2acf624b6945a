#include "framework/cmdtarget.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

CCmdTarget::CCmdTarget() = default;

CCmdTarget::~CCmdTarget() = default;

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

namespace
{
bool IsCommandOrNotify(UINT message)
{
    return message == WM_COMMAND || message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_COMMAND ||
           message == WM_REFLECT_BASE + WM_NOTIFY;
}
} // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT nCode, UINT nID) const
{
    const bool byId = IsCommandOrNotify(message);
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e)
        {
            const UINT entryMessage = e->pnRegisteredMessage ? *e->pnRegisteredMessage : e->nMessage;
            if (entryMessage != message || entryMessage == 0)
                continue;
            // Notification codes are 16-bit values (NM_CLICK is 0xFFFE).
            if (byId && (LOWORD(e->nCode) != LOWORD(nCode) || nID < e->nID || nID > e->nLastID))
                continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    UINT message = HIWORD(static_cast<UINT>(nCode));
    const UINT code = LOWORD(static_cast<UINT>(nCode));
    if (message == 0)
        message = WM_COMMAND;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, code, nID);
    if (!e)
        return FALSE;
    if (pHandlerInfo)
    {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    if (message == WM_NOTIFY || message == WM_REFLECT_BASE + WM_NOTIFY)
    {
        const auto* pNotify = static_cast<const AFX_NOTIFY*>(pExtra);
        const LRESULT result = e->pfn(this, nID, reinterpret_cast<LPARAM>(pNotify ? pNotify->pNMHDR : nullptr));
        if (pNotify && pNotify->pResult)
            *pNotify->pResult = result;
    }
    else
    {
        e->pfn(this, MAKEWPARAM(nID, code), 0);
    }
    return TRUE;
}

// ---- The wait cursor ----

namespace
{
// Per thread: a cursor belongs to the thread that set it.
thread_local int t_waitDepth = 0;
thread_local HCURSOR t_hCursorBeforeWait = nullptr;

void DoWaitCursor(int nCode)
{
    if (nCode > 0)
    {
        HCURSOR hPrevious = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        if (t_waitDepth++ == 0)
            t_hCursorBeforeWait = hPrevious;
    }
    else if (nCode < 0)
    {
        if (t_waitDepth == 0)
            return;
        if (--t_waitDepth == 0)
        {
            ::SetCursor(t_hCursorBeforeWait);
            t_hCursorBeforeWait = nullptr;
        }
    }
    else if (t_waitDepth > 0)
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}
} // namespace

void CCmdTarget::BeginWaitCursor()
{
    DoWaitCursor(1);
}

void CCmdTarget::EndWaitCursor()
{
    DoWaitCursor(-1);
}

void CCmdTarget::RestoreWaitCursor()
{
    DoWaitCursor(0);
}

CWaitCursor::CWaitCursor()
{
    DoWaitCursor(1);
}

CWaitCursor::~CWaitCursor()
{
    DoWaitCursor(-1);
}

void CWaitCursor::Restore()
{
    DoWaitCursor(0);
}
