// ActiveX controls inside framework windows: creation, in-place activation and closing.
#include "framework/handles.h"
#include "framework/window.h"

#include <ole2.h>

namespace
{
// The control's window once it is active in place.
HWND ControlWindow(IOleObject* pObject)
{
    CUniqueComPtr<IOleInPlaceObject> inPlace;
    HWND hWnd = nullptr;
    if (FAILED(pObject->QueryInterface(IID_IOleInPlaceObject, inPlace.put_void())) ||
        FAILED(inPlace->GetWindow(&hWnd)))
        return nullptr;
    return hWnd;
}

void CloseControl(IOleObject* pObject) noexcept
{
    pObject->Close(OLECLOSE_NOSAVE);
    pObject->SetClientSite(nullptr);
}
} // namespace

BOOL CWnd::CreateControl(REFCLSID clsid, LPCWSTR pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                         UINT nID, IOleClientSite* pSite)
{
    if (m_hWnd || m_pCtrlObject || !pParentWnd || !pParentWnd->m_hWnd || !pSite)
        return FALSE;
    CUniqueComPtr<IOleObject> object;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.put_void())))
        return FALSE;
    if (FAILED(object->SetClientSite(pSite)))
    {
        CloseControl(object.get());
        return FALSE;
    }
    RECT rc = rect;
    HWND hWnd = nullptr;
    if (SUCCEEDED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, pSite, 0, pParentWnd->m_hWnd, &rc)))
        hWnd = ControlWindow(object.get());
    if (!hWnd || !SubclassWindow(hWnd))
    {
        CloseControl(object.get());
        return FALSE;
    }
    SetWindowLongPtrW(hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    if (pszWindowName)
        ::SetWindowTextW(hWnd, pszWindowName);
    if (dwStyle & WS_VISIBLE)
        ::ShowWindow(hWnd, SW_SHOWNA);
    ::MoveWindow(hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    m_pCtrlObject = object.get();
    m_pCtrlObject->AddRef();
    return TRUE;
}

IUnknown* CWnd::GetControlUnknown() const
{
    return m_pCtrlObject;
}

void CWnd::DestroyControl()
{
    IOleObject* pObject = std::exchange(m_pCtrlObject, nullptr);
    if (!pObject)
        return;
    // Closing deactivates the control, which destroys its window (and unbinds this object).
    CloseControl(pObject);
    pObject->Release();
    if (m_hWnd && !::IsWindow(m_hWnd))
        Detach();
}
