// Explorer's side of a context-menu handler: the data object it hands over and the menu it reads.
#pragma once

#include <objidl.h>
#include <windows.h>

#include <string>
#include <vector>

// A data object carrying a list of file names as CF_HDROP, as Explorer hands it to a
// context-menu handler (the system's own factory for it is missing under Wine).
// Reference-counted; starts with one reference. Without names it offers no format at all.
class DropDataObject : public IDataObject
{
public:
    explicit DropDataObject(std::vector<std::wstring> names, bool offerDrop = true);

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;

    STDMETHOD(GetData)(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
    STDMETHOD(GetDataHere)(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHOD(QueryGetData)(FORMATETC* pFormat) override;
    STDMETHOD(GetCanonicalFormatEtc)(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHOD(SetData)(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHOD(EnumFormatEtc)(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHOD(DAdvise)(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHOD(DUnadvise)(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHOD(EnumDAdvise)(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    virtual ~DropDataObject() = default;
    bool Offers(const FORMATETC* pFormat) const;

    LONG m_nRef = 1;
    std::vector<std::wstring> m_names;
    bool m_bOfferDrop;
};

// One item of a menu, as the host sees it.
struct MenuItem
{
    std::wstring text;
    UINT id = 0;
    HMENU hSubMenu = nullptr;
    HBITMAP hUnchecked = nullptr; // the item's picture
    HBITMAP hChecked = nullptr;
};

MenuItem ReadMenuItem(HMENU hMenu, int position);
