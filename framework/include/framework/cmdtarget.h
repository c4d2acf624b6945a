// CCmdTarget: the root of every class with a message map (windows and the application
// object). A map is a static table per class, chained to its base class's table; the most
// derived entry for a message wins, and a class's map serves what its derived classes lack.
#pragma once

#include "object.h"

class CCmdTarget;

// One message-map entry. The thunk casts the target to the declaring class, unpacks the
// message parameters and calls the handler; its result is the window procedure's result.
typedef LRESULT (*AFX_PMSGW)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY
{
    UINT nMessage;                   // the message; command and notification entries also match code and id
    UINT nCode;                      // control notification code (WM_COMMAND, WM_NOTIFY and their reflections)
    UINT nID;                        // first command or control identifier
    UINT nLastID;                    // last identifier of a range
    const UINT* pnRegisteredMessage; // a registered message's variable, else null
    AFX_PMSGW pfn;                   // null ends the table
};

struct AFX_MSGMAP
{
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// A notification a parent hands back to the control that sent it: the control's own map
// answers messages offset by this base (ON_CONTROL_REFLECT, ON_NOTIFY_REFLECT, ...).
#define WM_REFLECT_BASE 0xBC00

// Command codes of OnCmdMsg: the low word is the notification code, the high word the
// message (0 for WM_COMMAND).
#define CN_COMMAND 0

// WM_NOTIFY's parameters, carried through OnCmdMsg's pExtra.
struct AFX_NOTIFY
{
    LRESULT* pResult;
    NMHDR* pNMHDR;
};

// Filled by OnCmdMsg instead of calling the handler: which target would handle the command.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
};

// clang-format off
#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                 \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }         \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                            \
    {                                                                                          \
        using ThisClass [[maybe_unused]] = theClass;                                           \
        typedef baseClass TheBaseClass;                                                        \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                      \
    {0, 0, 0, 0, nullptr, nullptr}};                                                           \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
        return &messageMap;                                                                    \
    }

#define AFX_MSG_THUNK(body) [](CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) -> LRESULT { \
    ThisClass* pThis = static_cast<ThisClass*>(pTarget);                                         \
    (void)pThis; (void)wParam; (void)lParam;                                                     \
    body }

// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    {message, 0, 0, 0, nullptr, AFX_MSG_THUNK(return (pThis->*(memberFxn))(wParam, lParam);)},
// LRESULT memberFxn(WPARAM, LPARAM), for a message registered with RegisterWindowMessage
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0xC000, 0, 0, 0, &(nMessageVariable), AFX_MSG_THUNK(return (pThis->*(memberFxn))(wParam, lParam);)},
// void memberFxn(): a menu, accelerator or button command
#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id), nullptr, AFX_MSG_THUNK((pThis->*(memberFxn))(); return 0;)},
// void memberFxn(UINT nID)
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                              \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast), nullptr,               \
     AFX_MSG_THUNK((pThis->*(memberFxn))(LOWORD(wParam)); return 0;)},
// void memberFxn(): a control's notification sent through WM_COMMAND
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                               \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, \
     AFX_MSG_THUNK((pThis->*(memberFxn))(); return 0;)},
// void memberFxn(UINT nID): one notification of a range of controls
#define ON_CONTROL_RANGE(wNotifyCode, id, idLast, memberFxn)                                 \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(idLast), nullptr, \
     AFX_MSG_THUNK((pThis->*(memberFxn))(LOWORD(wParam)); return 0;)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id), nullptr, \
     AFX_MSG_THUNK(LRESULT result = 0; (pThis->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), &result); return result;)},
// In a control's own map: void memberFxn(), the control's WM_COMMAND notification that its
// parent reflected back.
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                           \
    {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(wNotifyCode), 0, 0, nullptr,            \
     AFX_MSG_THUNK((pThis->*(memberFxn))(); return 0;)},
// In a control's own map: void memberFxn(NMHDR*, LRESULT*), a reflected WM_NOTIFY.
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                            \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(wNotifyCode), 0, 0, nullptr,             \
     AFX_MSG_THUNK(LRESULT result = 0; (pThis->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam), &result); return result;)},
// clang-format on

class FRAMEWORK_API CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget();
    ~CCmdTarget() override;

    // Looks the command up in this target's map and calls its handler. nCode is the
    // notification code, with the message in its high word (0: WM_COMMAND); for WM_NOTIFY
    // pExtra is an AFX_NOTIFY. With pHandlerInfo only tells whether a handler exists.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The entry that handles the message: for commands and notifications, the one whose
    // code is nCode and whose identifier range holds nID. Null when none does.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT nCode, UINT nID) const;

    // The hourglass while a long operation runs on the calling thread. Calls nest; the last
    // EndWaitCursor puts back the cursor shown before the first BeginWaitCursor.
    // RestoreWaitCursor shows the hourglass again after something (a message box) changed it.
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
};

// Shows the hourglass for as long as it lives, and puts back the cursor before it on every way
// out of the scope, exceptions included.
class FRAMEWORK_API CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};
