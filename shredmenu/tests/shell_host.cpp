#include "shell_host.h"

#include <shlobj.h>

#include <cstring>

DropDataObject::DropDataObject(std::vector<std::wstring> names, bool offerDrop)
    : m_names(std::move(names)), m_bOfferDrop(offerDrop)
{
}

STDMETHODIMP DropDataObject::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject))
        return E_NOINTERFACE;
    *ppv = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DropDataObject::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRef));
}

STDMETHODIMP_(ULONG) DropDataObject::Release()
{
    const LONG n = InterlockedDecrement(&m_nRef);
    if (n == 0)
        delete this;
    return static_cast<ULONG>(n);
}

bool DropDataObject::Offers(const FORMATETC* pFormat) const
{
    return m_bOfferDrop && pFormat && pFormat->cfFormat == CF_HDROP && (pFormat->tymed & TYMED_HGLOBAL) &&
           pFormat->dwAspect == DVASPECT_CONTENT;
}

STDMETHODIMP DropDataObject::QueryGetData(FORMATETC* pFormat)
{
    return Offers(pFormat) ? S_OK : DV_E_FORMATETC;
}

// A fresh DROPFILES block for each call: the receiver releases it.
STDMETHODIMP DropDataObject::GetData(FORMATETC* pFormat, STGMEDIUM* pMedium)
{
    if (!pMedium)
        return E_POINTER;
    if (!Offers(pFormat))
        return DV_E_FORMATETC;
    size_t chars = 1;
    for (const std::wstring& name : m_names)
        chars += name.size() + 1;
    HGLOBAL hGlobal = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (!hGlobal)
        return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(hGlobal));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& name : m_names)
    {
        std::memcpy(p, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        p += name.size() + 1;
    }
    *p = L'\0';
    GlobalUnlock(hGlobal);
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = hGlobal;
    pMedium->pUnkForRelease = nullptr;
    return S_OK;
}

MenuItem ReadMenuItem(HMENU hMenu, int position)
{
    MenuItem item;
    wchar_t text[128] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_CHECKMARKS;
    info.dwTypeData = text;
    info.cch = 128;
    if (GetMenuItemInfoW(hMenu, static_cast<UINT>(position), TRUE, &info))
    {
        item.text = text;
        item.id = info.wID;
        item.hSubMenu = info.hSubMenu;
        item.hUnchecked = info.hbmpUnchecked;
        item.hChecked = info.hbmpChecked;
    }
    return item;
}
