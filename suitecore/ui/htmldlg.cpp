// CChildHtmlDialog: an HTML dialog that behaves as a part of the application.
#include "suitecore/ui/htmldlg.h"

#include "suitecore/ui/basewnd.h"

#include <framework/gdi.h>

#include <shellapi.h>

#include <vector>

namespace
{
// Every tag gets all three suppressed actions: a tag that never raises one of the events
// merely has a connection that stays quiet.
const LPCWSTR kSuppressedTags[] = {
    L"a",        L"abbr",     L"acronym",  L"address",  L"applet",   L"area",     L"b",        L"base",
    L"basefont", L"bdo",      L"big",      L"blockquote", L"body",   L"br",       L"button",   L"caption",
    L"center",   L"cite",     L"code",     L"col",      L"colgroup", L"dd",       L"del",      L"dfn",
    L"dir",      L"div",      L"dl",       L"dt",       L"em",       L"fieldset", L"font",     L"form",
    L"frame",    L"frameset", L"h1",       L"h2",       L"h3",       L"h4",       L"head",     L"hr",
    L"html",     L"i",        L"iframe",   L"img",      L"input",    L"ins",      L"isindex",  L"kbd",
    L"label",    L"legend",   L"li",       L"link",     L"map",      L"menu",     L"meta",     L"noframes",
    L"noscript", L"object",   L"ol",       L"optgroup", L"option",   L"p",        L"param",    L"pre",
    L"q",        L"s",        L"samp",     L"script",   L"select",   L"small",    L"span",     L"strike",
    L"strong",   L"style",    L"sub",      L"sup",      L"table",    L"tbody",    L"td",       L"textarea",
    L"tfoot",    L"th",       L"thead",    L"title",    L"tr",       L"tt",       L"u",        L"ul",
    L"var",      L"xmp",
};

bool KeyDown(int vk)
{
    return (::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The event map: the two buttons, then the three suppressed events of every tag.
std::vector<DHtmlEventMapEntry> BuildEventMap()
{
    struct Suppressed
    {
        DISPID dispId;
        AFX_DHTML_HANDLER pfn;
    };
    const Suppressed events[] = {
        {static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONSELECTSTART), DHTML_HANDLER(CChildHtmlDialog, OnHtmlSelectStart)},
        {static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONDRAGSTART), DHTML_HANDLER(CChildHtmlDialog, OnHtmlDragStart)},
        {static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONCONTEXTMENU), DHTML_HANDLER(CChildHtmlDialog, OnHtmlContextMenu)},
    };
    std::vector<DHtmlEventMapEntry> map{
        {DHTMLEVENTMAPENTRY_NAME, static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONCLICK), L"ButtonOK",
         DHTML_HANDLER(CChildHtmlDialog, OnButtonOK)},
        {DHTMLEVENTMAPENTRY_NAME, static_cast<DISPID>(DISPID_HTMLELEMENTEVENTS2_ONCLICK), L"ButtonCancel",
         DHTML_HANDLER(CChildHtmlDialog, OnButtonCancel)},
    };
    for (LPCWSTR tag : kSuppressedTags)
        for (const Suppressed& event : events)
            map.push_back({DHTMLEVENTMAPENTRY_TAG, event.dispId, tag, event.pfn});
    map.push_back({DHTMLEVENTMAPENTRY_END, 0, nullptr, nullptr});
    return map;
}

// Writes the element's tag with the format to the debugger output; S_OK for a text-edit
// element, S_FALSE for any other or when the element cannot tell.
HRESULT SuppressUnlessTextEdit(LPCWSTR lpszFormat, IHTMLElement* pElement)
{
    CUniqueBstr tag;
    if (pElement)
        pElement->get_tagName(tag.put());
    CString text;
    text.Format(lpszFormat, tag ? tag.get() : L"");
    ::OutputDebugStringW(text);
    VARIANT_BOOL textEdit = VARIANT_FALSE;
    if (!pElement || FAILED(pElement->get_isTextEdit(&textEdit)))
        return S_FALSE;
    return textEdit != VARIANT_FALSE ? S_OK : S_FALSE;
}
} // namespace

IMPLEMENT_DYNCREATE(CChildHtmlDialog, CDHtmlDialog)

// clang-format off
BEGIN_MESSAGE_MAP(CChildHtmlDialog, CDHtmlDialog)
    {WM_KEYDOWN, 0, 0, 0, nullptr, AFX_MSG_THUNK(
        pThis->OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
    {WM_SYSKEYDOWN, 0, 0, 0, nullptr, AFX_MSG_THUNK(
        pThis->OnSysKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)},
    ON_WM_CTLCOLOR()
    ON_WM_ERASEBKGND()
    {WM_DROPFILES, 0, 0, 0, nullptr, AFX_MSG_THUNK(pThis->OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;)},
    ON_COMMAND(IDOK, &CChildHtmlDialog::OnCommandOK)
    ON_COMMAND(IDCANCEL, &CChildHtmlDialog::OnCommandCancel)
END_MESSAGE_MAP()
// clang-format on

CChildHtmlDialog::CChildHtmlDialog() = default;

CChildHtmlDialog::CChildHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd)
    : CDHtmlDialog(nIDTemplate, nHtmlResID, pParentWnd)
{
}

CChildHtmlDialog::~CChildHtmlDialog() = default;

CChildHtmlDialog* CreateChildHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd)
{
    return new CChildHtmlDialog(nIDTemplate, nHtmlResID, pParentWnd);
}

const LPCWSTR* CChildHtmlDialog::GetSuppressedTags(int* pnCount)
{
    if (pnCount)
        *pnCount = static_cast<int>(std::size(kSuppressedTags));
    return kSuppressedTags;
}

const DHtmlEventMapEntry* CChildHtmlDialog::GetDHtmlEventMap()
{
    static const std::vector<DHtmlEventMapEntry> map = BuildEventMap();
    return map.data();
}

BOOL CChildHtmlDialog::OnAmbientProperty(CWnd* pControl, DISPID dispid, VARIANT* pvar)
{
    return CDHtmlDialog::OnAmbientProperty(pControl, dispid, pvar);
}

BOOL CChildHtmlDialog::CanAccessExternal()
{
    return 0;
}

BOOL CChildHtmlDialog::IsExternalDispatchSafe()
{
    return 0;
}

BOOL CChildHtmlDialog::OnInitDialog()
{
    CDHtmlDialog::OnInitDialog();
    SetHostFlags(HTMLDLG_HOST_FLAGS);
    ApplyBrowserSettings();
    return TRUE;
}

BOOL CChildHtmlDialog::ApplyBrowserSettings()
{
    HRESULT hrDrop = E_NOINTERFACE;
    HRESULT hrBrowser = E_NOINTERFACE;
    if (m_pBrowserApp)
        hrDrop = m_pBrowserApp->put_RegisterAsDropTarget(VARIANT_FALSE);
    if (m_hWnd)
        ::DragAcceptFiles(m_hWnd, FALSE);
    if (m_pBrowserApp)
        hrBrowser = m_pBrowserApp->put_RegisterAsBrowser(VARIANT_FALSE);
    return SUCCEEDED(hrDrop) && SUCCEEDED(hrBrowser) && m_hWnd;
}

void CChildHtmlDialog::OnOK()
{
    if (KeyDown(VK_RETURN))
        return;
    CDialog::OnOK();
}

void CChildHtmlDialog::OnCancel()
{
    if (KeyDown(VK_ESCAPE))
        return;
    CDialog::OnCancel();
}

HRESULT CChildHtmlDialog::OnButtonOK(IHTMLElement*)
{
    if (!KeyDown(VK_ESCAPE))
        OnOK();
    return S_OK;
}

HRESULT CChildHtmlDialog::OnButtonCancel(IHTMLElement*)
{
    if (!KeyDown(VK_ESCAPE))
        OnCancel();
    return S_OK;
}

HRESULT CChildHtmlDialog::OnHtmlSelectStart(IHTMLElement* pElement)
{
    return SuppressUnlessTextEdit(L"OnHtmlSelectStart <%s>\r\n", pElement);
}

HRESULT CChildHtmlDialog::OnHtmlDragStart(IHTMLElement* pElement)
{
    return SuppressUnlessTextEdit(L"OnHtmlDragStart <%s>\r\n", pElement);
}

HRESULT CChildHtmlDialog::OnHtmlContextMenu(IHTMLElement* pElement)
{
    return SuppressUnlessTextEdit(L"OnHtmlContextMenu <%s>\r\n", pElement);
}

void CChildHtmlDialog::OnKeyDown(UINT, UINT, UINT) {}

void CChildHtmlDialog::OnSysKeyDown(UINT, UINT, UINT) {}

HBRUSH CChildHtmlDialog::OnCtlColor(CDC*, CWnd*, UINT)
{
    return CDlgBaseWnd::GetWhiteBrush();
}

BOOL CChildHtmlDialog::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CChildHtmlDialog::OnDropFiles(HDROP hDropInfo)
{
    // Nothing dropped is opened; the drop's handle belongs to the receiver, which frees it.
    if (hDropInfo)
        ::DragFinish(hDropInfo);
    ApplyBrowserSettings();
}

void CChildHtmlDialog::OnCommandOK()
{
    OnOK();
}

void CChildHtmlDialog::OnCommandCancel()
{
    OnCancel();
}
