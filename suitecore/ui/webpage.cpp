// CWebPage: calls functions of a page's script with string arguments.
#include "suitecore/ui/htmldlg.h"

#include <comdef.h>

#include <vector>

namespace
{
// The language every script call and system message uses.
constexpr LCID kScriptLocale = 2048;

// Frees the texts an Invoke may leave in its exception information.
class CExcepInfo
{
public:
    CExcepInfo() noexcept { ZeroMemory(&m_info, sizeof(m_info)); }
    ~CExcepInfo()
    {
        SysFreeString(m_info.bstrSource);
        SysFreeString(m_info.bstrDescription);
        SysFreeString(m_info.bstrHelpFile);
    }
    CExcepInfo(const CExcepInfo&) = delete;
    CExcepInfo& operator=(const CExcepInfo&) = delete;
    EXCEPINFO* get() noexcept { return &m_info; }

private:
    EXCEPINFO m_info;
};
} // namespace

CWebPage::CWebPage() = default;

CWebPage::~CWebPage()
{
    if (m_pDocument)
        m_pDocument->Release();
}

BOOL CWebPage::SetDocument(IDispatch* pDisp)
{
    if (!pDisp)
    {
        SetError(L"NULL pointer");
        return FALSE;
    }
    pDisp->AddRef();
    if (m_pDocument)
        m_pDocument->Release();
    m_pDocument = pDisp;
    return TRUE;
}

CString CWebPage::GetLastErrorText() const
{
    return m_strError;
}

void CWebPage::SetError(LPCWSTR lpszMessage)
{
    m_strError = L"JSCall Error:\n";
    m_strError += lpszMessage;
}

void CWebPage::SetErrorFromResult(HRESULT hr)
{
    LPWSTR pText = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, static_cast<DWORD>(hr), kScriptLocale,
                                          reinterpret_cast<LPWSTR>(&pText), 0, nullptr);
    CUniqueLocal text(pText);
    SetError(length && pText ? pText : L"FormatMessage Native Error");
}

BOOL CWebPage::GetJScript(IDispatch** ppScript)
{
    *ppScript = nullptr;
    if (!m_pDocument)
        return FALSE;
    CUniqueComPtr<IHTMLDocument> document;
    if (FAILED(m_pDocument->QueryInterface(IID_IHTMLDocument, document.put_void())))
        return FALSE;
    if (FAILED(document->get_Script(ppScript)) || !*ppScript)
    {
        if (*ppScript)
            (*ppScript)->Release();
        *ppScript = nullptr;
        return FALSE;
    }
    return TRUE;
}

BOOL CWebPage::CallJScript(const CString& strFunc, const CStringArray& paramArray, VARIANT* pVarResult)
{
    if (!m_pDocument)
        SetError(L"NULL pointer");
    CUniqueComPtr<IDispatch> script;
    if (!GetJScript(script.put()))
    {
        SetError(L"Cannot GetScript");
        return FALSE;
    }

    CUniqueBstr name(strFunc.AllocSysString());
    LPOLESTR names[] = {name.get()};
    DISPID dispid = DISPID_UNKNOWN;
    HRESULT hr = script->GetIDsOfNames(IID_NULL, names, 1, kScriptLocale, &dispid);
    if (FAILED(hr))
    {
        SetErrorFromResult(hr);
        return FALSE;
    }

    // DISPPARAMS takes the arguments last first.
    const int count = static_cast<int>(paramArray.GetSize());
    std::vector<CUniqueVariant> owners(static_cast<size_t>(count));
    std::vector<VARIANT> args(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        CUniqueVariant& arg = owners[static_cast<size_t>(count - 1 - i)];
        if (!arg.SetString(paramArray.GetAt(i)))
        {
            SetErrorFromResult(E_OUTOFMEMORY);
            return FALSE;
        }
        args[static_cast<size_t>(count - 1 - i)] = *arg;
    }
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(count), 0};
    CExcepInfo exception;
    UINT argError = 0;
    CUniqueVariant result;
    hr = script->Invoke(dispid, IID_NULL, kScriptLocale, DISPATCH_METHOD, &params, result.get(), exception.get(),
                        &argError);
    if (FAILED(hr))
    {
        SetErrorFromResult(hr);
        return FALSE;
    }
    if (pVarResult)
    {
        hr = VariantCopy(pVarResult, result.get());
        if (FAILED(hr))
            _com_issue_error(hr);
    }
    return TRUE;
}

BOOL CWebPage::CallJScript(const CString& strFunc, const CString& strArg1, const CString& strArg2,
                           const CString& strArg3, VARIANT* pVarResult)
{
    CStringArray params;
    params.Add(strArg1);
    params.Add(strArg2);
    params.Add(strArg3);
    return CallJScript(strFunc, params, pVarResult);
}
