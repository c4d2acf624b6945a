// The site object a CDHtmlDialog gives its browser (private to the framework).
#pragma once

#include "framework/com.h"
#include "framework/dhtml.h"

class CDHtmlHostSite : public CComObjectRootEx<CComSingleThreadModel>,
                       public IOleClientSite,
                       public IOleInPlaceSite,
                       public IOleInPlaceFrame,
                       public IDocHostUIHandler,
                       public IDispatch
{
public:
    BEGIN_COM_MAP(CDHtmlHostSite)
        COM_INTERFACE_ENTRY_IID(IID_IOleClientSite, IOleClientSite)
        COM_INTERFACE_ENTRY_IID(IID_IOleInPlaceSite, IOleInPlaceSite)
        COM_INTERFACE_ENTRY_IID(IID_IOleInPlaceFrame, IOleInPlaceFrame)
        COM_INTERFACE_ENTRY_IID(IID_IOleInPlaceUIWindow, IOleInPlaceFrame)
        COM_INTERFACE_ENTRY_IID(IID_IDocHostUIHandler, IDocHostUIHandler)
        COM_INTERFACE_ENTRY_IID(IID_IDispatch, IDispatch)
        COM_INTERFACE_ENTRY_IID(DIID_DWebBrowserEvents2, IDispatch)
        {&IID_IOleWindow, offsetofclass(IOleInPlaceSite, CDHtmlHostSite)},
    END_COM_MAP()

    // A new site for the dialog, with one reference for the caller.
    static CDHtmlHostSite* Create(CDHtmlDialog* pDialog);
    // The dialog goes away: every later call answers as if there were none.
    void Detach() noexcept { m_pDialog = nullptr; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHOD(GetWindow)(HWND* phwnd) noexcept override;
    STDMETHOD(ContextSensitiveHelp)(BOOL fEnterMode) noexcept override;
    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHOD(GetBorder)(LPRECT lprectBorder) noexcept override;
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS pborderwidths) noexcept override;
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS pborderwidths) noexcept override;
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) noexcept override;
    STDMETHOD(InsertMenus)(HMENU hmenuShared, LPOLEMENUGROUPWIDTHS lpMenuWidths) noexcept override;
    STDMETHOD(SetMenu)(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) noexcept override;
    STDMETHOD(RemoveMenus)(HMENU hmenuShared) noexcept override;
    STDMETHOD(SetStatusText)(LPCOLESTR pszStatusText) noexcept override;
    STDMETHOD(EnableModeless)(BOOL fEnable) noexcept override;
    STDMETHOD(TranslateAccelerator)(LPMSG lpmsg, WORD wID) noexcept override;
    // IOleClientSite
    STDMETHOD(SaveObject)() noexcept override;
    STDMETHOD(GetMoniker)(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) noexcept override;
    STDMETHOD(GetContainer)(IOleContainer** ppContainer) noexcept override;
    STDMETHOD(ShowObject)() noexcept override;
    STDMETHOD(OnShowWindow)(BOOL fShow) noexcept override;
    STDMETHOD(RequestNewObjectLayout)() noexcept override;
    // IOleInPlaceSite
    STDMETHOD(CanInPlaceActivate)() noexcept override;
    STDMETHOD(OnInPlaceActivate)() noexcept override;
    STDMETHOD(OnUIActivate)() noexcept override;
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) noexcept override;
    STDMETHOD(Scroll)(SIZE scrollExtant) noexcept override;
    STDMETHOD(OnUIDeactivate)(BOOL fUndoable) noexcept override;
    STDMETHOD(OnInPlaceDeactivate)() noexcept override;
    STDMETHOD(DiscardUndoState)() noexcept override;
    STDMETHOD(DeactivateAndUndo)() noexcept override;
    STDMETHOD(OnPosRectChange)(LPCRECT lprcPosRect) noexcept override;
    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) noexcept override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* pInfo) noexcept override;
    STDMETHOD(ShowUI)(DWORD dwID, IOleInPlaceActiveObject* pActiveObject, IOleCommandTarget* pCommandTarget,
                      IOleInPlaceFrame* pFrame, IOleInPlaceUIWindow* pDoc) noexcept override;
    STDMETHOD(HideUI)() noexcept override;
    STDMETHOD(UpdateUI)() noexcept override;
    STDMETHOD(OnDocWindowActivate)(BOOL fActivate) noexcept override;
    STDMETHOD(OnFrameWindowActivate)(BOOL fActivate) noexcept override;
    STDMETHOD(ResizeBorder)(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fRameWindow) noexcept override;
    STDMETHOD(TranslateAccelerator)(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) noexcept override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* pchKey, DWORD dw) noexcept override;
    STDMETHOD(GetDropTarget)(IDropTarget* pDropTarget, IDropTarget** ppDropTarget) noexcept override;
    STDMETHOD(GetExternal)(IDispatch** ppDispatch) noexcept override;
    STDMETHOD(TranslateUrl)(DWORD dwTranslate, LPWSTR pchURLIn, LPWSTR* ppchURLOut) noexcept override;
    STDMETHOD(FilterDataObject)(IDataObject* pDO, IDataObject** ppDORet) noexcept override;
    // IDispatch
    STDMETHOD(GetTypeInfoCount)(UINT* pctinfo) noexcept override;
    STDMETHOD(GetTypeInfo)(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) noexcept override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) noexcept override;
    STDMETHOD(Invoke)(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) noexcept override;

private:
    CDHtmlDialog* m_pDialog = nullptr;
};
