// The browser's container site: client site, in-place site and frame, the document host's UI
// handler, the ambient properties and the browser's events, all answered for one dialog.
#include "dhtml_host.h"

#include <exdispid.h>

CDHtmlHostSite* CDHtmlHostSite::Create(CDHtmlDialog* pDialog)
{
    auto* pSite = new CComObject<CDHtmlHostSite>();
    static_cast<IOleClientSite*>(pSite)->AddRef();
    pSite->m_pDialog = pDialog;
    return pSite;
}

// ---- IOleWindow, IOleInPlaceUIWindow, IOleInPlaceFrame ----

STDMETHODIMP CDHtmlHostSite::GetWindow(HWND* phwnd) noexcept
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_pDialog ? m_pDialog->GetSafeHwnd() : nullptr;
    return *phwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CDHtmlHostSite::ContextSensitiveHelp(BOOL) noexcept
{
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::GetBorder(LPRECT) noexcept
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CDHtmlHostSite::RequestBorderSpace(LPCBORDERWIDTHS) noexcept
{
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CDHtmlHostSite::SetBorderSpace(LPCBORDERWIDTHS) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) noexcept
{
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::SetMenu(HMENU, HOLEMENU, HWND) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::RemoveMenus(HMENU) noexcept
{
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::SetStatusText(LPCOLESTR) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::EnableModeless(BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::TranslateAccelerator(LPMSG, WORD) noexcept
{
    return S_FALSE;
}

// ---- IOleClientSite ----

STDMETHODIMP CDHtmlHostSite::SaveObject() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) noexcept
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::GetContainer(IOleContainer** ppContainer) noexcept
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP CDHtmlHostSite::ShowObject() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnShowWindow(BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::RequestNewObjectLayout() noexcept
{
    return E_NOTIMPL;
}

// ---- IOleInPlaceSite ----

STDMETHODIMP CDHtmlHostSite::CanInPlaceActivate() noexcept
{
    return m_pDialog ? S_OK : S_FALSE;
}

STDMETHODIMP CDHtmlHostSite::OnInPlaceActivate() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnUIActivate() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                              LPRECT lprcPosRect, LPRECT lprcClipRect,
                                              LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept
{
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect || !lpFrameInfo)
        return E_POINTER;
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    (*ppFrame)->AddRef();
    *ppDoc = nullptr;
    HWND hWnd = m_pDialog ? m_pDialog->GetSafeHwnd() : nullptr;
    SetRectEmpty(lprcPosRect);
    if (hWnd)
        ::GetClientRect(hWnd, lprcPosRect);
    *lprcClipRect = *lprcPosRect;
    lpFrameInfo->fMDIApp = FALSE;
    lpFrameInfo->hwndFrame = hWnd;
    lpFrameInfo->haccel = nullptr;
    lpFrameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::Scroll(SIZE) noexcept
{
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::OnUIDeactivate(BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnInPlaceDeactivate() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::DiscardUndoState() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::DeactivateAndUndo() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnPosRectChange(LPCRECT) noexcept
{
    return S_OK;
}

// ---- IDocHostUIHandler ----

STDMETHODIMP CDHtmlHostSite::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) noexcept
{
    return S_FALSE; // the browser shows its menu unless the page's handlers cancelled it
}

STDMETHODIMP CDHtmlHostSite::GetHostInfo(DOCHOSTUIINFO* pInfo) noexcept
{
    if (!pInfo)
        return E_POINTER;
    if (pInfo->cbSize < sizeof(DOCHOSTUIINFO))
        return E_INVALIDARG;
    pInfo->dwFlags = m_pDialog ? m_pDialog->GetHostFlags() : 0;
    pInfo->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                    IOleInPlaceUIWindow*) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::HideUI() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::UpdateUI() noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnDocWindowActivate(BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::OnFrameWindowActivate(BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept
{
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::TranslateAccelerator(LPMSG, const GUID*, DWORD) noexcept
{
    return S_FALSE;
}

STDMETHODIMP CDHtmlHostSite::GetOptionKeyPath(LPOLESTR* pchKey, DWORD) noexcept
{
    if (pchKey)
        *pchKey = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::GetDropTarget(IDropTarget*, IDropTarget** ppDropTarget) noexcept
{
    if (ppDropTarget)
        *ppDropTarget = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::GetExternal(IDispatch** ppDispatch) noexcept
{
    if (!ppDispatch)
        return E_POINTER;
    *ppDispatch = nullptr;
    // The dialog offers no object of its own to the page's script.
    return AfxCallbackBarrier([&] { return m_pDialog && m_pDialog->CanAccessExternal() ? S_FALSE : E_NOTIMPL; },
                              E_UNEXPECTED);
}

STDMETHODIMP CDHtmlHostSite::TranslateUrl(DWORD, LPWSTR, LPWSTR* ppchURLOut) noexcept
{
    if (ppchURLOut)
        *ppchURLOut = nullptr;
    return S_FALSE;
}

STDMETHODIMP CDHtmlHostSite::FilterDataObject(IDataObject*, IDataObject** ppDORet) noexcept
{
    if (ppDORet)
        *ppDORet = nullptr;
    return S_FALSE;
}

// ---- IDispatch: ambient properties (property gets) and the browser's events (methods) ----

STDMETHODIMP CDHtmlHostSite::GetTypeInfoCount(UINT* pctinfo) noexcept
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CDHtmlHostSite::GetTypeInfo(UINT, LCID, ITypeInfo** pptinfo) noexcept
{
    if (pptinfo)
        *pptinfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept
{
    return E_NOTIMPL;
}

STDMETHODIMP CDHtmlHostSite::Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams,
                                    VARIANT* pvarResult, EXCEPINFO*, UINT*) noexcept
{
    return AfxCallbackBarrier(
        [&]() -> HRESULT
        {
            if (!m_pDialog)
                return DISP_E_MEMBERNOTFOUND;
            if (wFlags & DISPATCH_PROPERTYGET)
            {
                if (!pvarResult)
                    return E_POINTER;
                VariantInit(pvarResult);
                return m_pDialog->OnAmbientProperty(&m_pDialog->m_wndBrowser, dispid, pvarResult)
                           ? S_OK
                           : DISP_E_MEMBERNOTFOUND;
            }
            if (dispid == DISPID_DOCUMENTCOMPLETE && pParams && pParams->cArgs >= 2)
            {
                // Arguments arrive last first: (pDisp, URL) as rgvarg[1], rgvarg[0].
                const VARIANT& disp = pParams->rgvarg[1];
                const VARIANT& url = pParams->rgvarg[0];
                IDispatch* pDisp = V_VT(&disp) == VT_DISPATCH ? V_DISPATCH(&disp) : nullptr;
                LPCWSTR szUrl = L"";
                if (V_VT(&url) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&url) &&
                    V_VT(V_VARIANTREF(&url)) == VT_BSTR && V_BSTR(V_VARIANTREF(&url)))
                    szUrl = V_BSTR(V_VARIANTREF(&url));
                else if (V_VT(&url) == VT_BSTR && V_BSTR(&url))
                    szUrl = V_BSTR(&url);
                m_pDialog->OnDocumentComplete(pDisp, szUrl);
            }
            return S_OK;
        },
        E_UNEXPECTED);
}
