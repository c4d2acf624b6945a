#include "framework/registrar.h"

#include "framework/handles.h"
#include "framework/module.h"
#include "framework/regkey.h"

#include <shlwapi.h>

#include <cwchar>
#include <cwctype>

namespace
{
enum class KeyRule
{
    Normal,
    NoRemove,
    ForceRemove,
    Delete,
};

struct ScriptValue
{
    CString name;
    DWORD type = REG_SZ;
    CString text;
    DWORD number = 0;
};

struct ScriptKey
{
    CString name;
    KeyRule rule = KeyRule::Normal;
    bool hasDefault = false;
    ScriptValue defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

struct ScriptRoot
{
    HKEY root = nullptr;
    std::vector<ScriptKey> keys;
};

// Splits the script into words: quoted text (with '' for a quote) or runs of non-blanks.
class Tokenizer
{
public:
    explicit Tokenizer(LPCWSTR text) : m_p(text) {}

    // False at the end of the script; throws on unterminated quoted text.
    bool Next(CString& token, bool& quoted)
    {
        while (*m_p && std::iswspace(*m_p))
            ++m_p;
        if (!*m_p)
            return false;
        token.Empty();
        quoted = *m_p == L'\'';
        if (quoted)
        {
            ++m_p;
            for (;;)
            {
                if (!*m_p)
                    throw ScriptError();
                if (*m_p == L'\'')
                {
                    if (m_p[1] != L'\'')
                        break;
                    ++m_p;
                }
                token.AppendChar(*m_p++);
            }
            ++m_p;
            return true;
        }
        while (*m_p && !std::iswspace(*m_p))
            token.AppendChar(*m_p++);
        return true;
    }

    struct ScriptError
    {
    };

private:
    LPCWSTR m_p;
};

class Parser
{
public:
    explicit Parser(LPCWSTR text) : m_tokens(text) {}

    std::vector<ScriptRoot> ParseScript()
    {
        std::vector<ScriptRoot> roots;
        while (Advance())
        {
            ScriptRoot root;
            root.root = RootKey(m_token);
            Expect(L"{");
            ParseKeys(root.keys, false);
            roots.push_back(std::move(root));
        }
        return roots;
    }

private:
    using Error = Tokenizer::ScriptError;

    bool Advance() { return m_tokens.Next(m_token, m_quoted); }

    void Require()
    {
        if (!Advance())
            throw Error();
    }

    bool Is(LPCWSTR word) const { return !m_quoted && m_token.CompareNoCase(word) == 0; }

    void Expect(LPCWSTR word)
    {
        Require();
        if (!Is(word))
            throw Error();
    }

    static HKEY RootKey(const CString& name)
    {
        const HKEY key = AfxRootKeyFromName(name);
        if (!key)
            throw Error();
        return key;
    }

    // Reads the entries of a block up to its closing brace.
    void ParseKeys(std::vector<ScriptKey>& keys, bool allowValues, std::vector<ScriptValue>* values = nullptr)
    {
        for (;;)
        {
            Require();
            if (Is(L"}"))
                return;
            if (Is(L"val"))
            {
                if (!allowValues)
                    throw Error();
                ScriptValue value;
                Require();
                value.name = m_token;
                Expect(L"=");
                ParseValue(value);
                values->push_back(std::move(value));
                continue;
            }
            keys.push_back(ParseKey());
        }
    }

    ScriptKey ParseKey()
    {
        ScriptKey key;
        if (Is(L"NoRemove"))
            key.rule = KeyRule::NoRemove;
        else if (Is(L"ForceRemove"))
            key.rule = KeyRule::ForceRemove;
        else if (Is(L"Delete"))
            key.rule = KeyRule::Delete;
        if (key.rule != KeyRule::Normal)
            Require();
        if (!m_quoted && (m_token == L"{" || m_token == L"}" || m_token == L"="))
            throw Error();
        key.name = m_token;
        if (key.name.IsEmpty())
            throw Error();

        if (!Advance())
            throw Error();
        if (Is(L"="))
        {
            ParseValue(key.defaultValue);
            key.hasDefault = true;
            if (!Advance())
                throw Error();
        }
        if (Is(L"{"))
            ParseKeys(key.subkeys, true, &key.values);
        else
            m_tokens.PushBack(m_token, m_quoted);
        return key;
    }

    void ParseValue(ScriptValue& value)
    {
        Require();
        if (Is(L"s"))
            value.type = REG_SZ;
        else if (Is(L"d"))
            value.type = REG_DWORD;
        else
            throw Error();
        Require();
        if (!m_quoted)
            throw Error();
        if (value.type == REG_SZ)
        {
            value.text = m_token;
            return;
        }
        wchar_t* end = nullptr;
        const unsigned long long number = std::wcstoull(m_token.GetString(), &end, 0);
        if (m_token.IsEmpty() || *end || number > 0xFFFFFFFFull)
            throw Error();
        value.number = static_cast<DWORD>(number);
    }

    class PushBackTokenizer : public Tokenizer
    {
    public:
        using Tokenizer::Tokenizer;
        bool Next(CString& token, bool& quoted)
        {
            if (m_hasPushed)
            {
                m_hasPushed = false;
                token = m_pushed;
                quoted = m_pushedQuoted;
                return true;
            }
            return Tokenizer::Next(token, quoted);
        }
        void PushBack(const CString& token, bool quoted)
        {
            m_pushed = token;
            m_pushedQuoted = quoted;
            m_hasPushed = true;
        }

    private:
        CString m_pushed;
        bool m_pushedQuoted = false;
        bool m_hasPushed = false;
    };

    PushBackTokenizer m_tokens;
    CString m_token;
    bool m_quoted = false;
};

LONG SetValue(HKEY hKey, LPCWSTR name, const ScriptValue& value)
{
    if (value.type == REG_DWORD)
        return RegSetValueExW(hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                              sizeof value.number);
    const DWORD cb = static_cast<DWORD>((value.text.GetLength() + 1) * sizeof(wchar_t));
    return RegSetValueExW(hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.GetString()), cb);
}

bool Missing(LONG result)
{
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND;
}

LONG RegisterKey(HKEY hParent, const ScriptKey& key)
{
    if (key.rule == KeyRule::Delete || key.rule == KeyRule::ForceRemove)
    {
        const LONG result = static_cast<LONG>(SHDeleteKeyW(hParent, key.name));
        if (result != ERROR_SUCCESS && !Missing(result))
            return result;
        if (key.rule == KeyRule::Delete)
            return ERROR_SUCCESS;
    }
    CRegKey hKey;
    LONG result = hKey.Create(hParent, key.name);
    if (result != ERROR_SUCCESS)
        return result;
    if (key.hasDefault && (result = SetValue(hKey, nullptr, key.defaultValue)) != ERROR_SUCCESS)
        return result;
    for (const ScriptValue& value : key.values)
        if ((result = SetValue(hKey, value.name, value)) != ERROR_SUCCESS)
            return result;
    for (const ScriptKey& subkey : key.subkeys)
        if ((result = RegisterKey(hKey, subkey)) != ERROR_SUCCESS)
            return result;
    return ERROR_SUCCESS;
}

bool HoldsKeptKeys(const ScriptKey& key)
{
    for (const ScriptKey& subkey : key.subkeys)
        if (subkey.rule == KeyRule::NoRemove || HoldsKeptKeys(subkey))
            return true;
    return false;
}

bool IsEmptyKey(HKEY hKey)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    return RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
}

// Keeps going after a failure, so that as much as possible goes; reports the first failure.
void Remember(LONG& first, LONG result)
{
    if (first == ERROR_SUCCESS && result != ERROR_SUCCESS && !Missing(result))
        first = result;
}

LONG UnregisterKey(HKEY hParent, const ScriptKey& key)
{
    if (key.rule == KeyRule::Delete)
        return ERROR_SUCCESS;
    const bool kept = key.rule == KeyRule::NoRemove;
    if (!kept && !HoldsKeptKeys(key))
    {
        const LONG result = static_cast<LONG>(SHDeleteKeyW(hParent, key.name));
        return Missing(result) ? ERROR_SUCCESS : result;
    }

    CRegKey hKey;
    LONG first = ERROR_SUCCESS;
    Remember(first, hKey.Open(hParent, key.name));
    if (!hKey)
        return first;
    for (const ScriptValue& value : key.values)
        Remember(first, hKey.DeleteValue(value.name));
    for (const ScriptKey& subkey : key.subkeys)
        Remember(first, UnregisterKey(hKey, subkey));
    if (!kept)
    {
        const bool empty = IsEmptyKey(hKey);
        hKey.Close();
        if (empty)
            Remember(first, RegDeleteKeyW(hParent, key.name));
    }
    return first;
}

// Script text from a resource: UTF-16 and UTF-8 by their marks, else the ANSI code page.
bool DecodeScript(const BYTE* data, DWORD size, CString& text)
{
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
    {
        text = CString(reinterpret_cast<LPCWSTR>(data + 2), static_cast<int>((size - 2) / sizeof(wchar_t)));
        return true;
    }
    UINT codePage = CP_ACP;
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
    {
        codePage = CP_UTF8;
        data += 3;
        size -= 3;
    }
    if (size == 0)
    {
        text.Empty();
        return true;
    }
    const int n = MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(data), static_cast<int>(size), nullptr, 0);
    if (n <= 0)
        return false;
    MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(data), static_cast<int>(size), text.GetBufferSetLength(n),
                        n);
    text.ReleaseBuffer(n);
    return true;
}
} // namespace

CRegObject::CRegObject() = default;

CRegObject::~CRegObject() = default;

HRESULT CRegObject::AddReplacement(LPCOLESTR lpszKey, LPCOLESTR lpszItem)
{
    if (!lpszKey || !*lpszKey || !lpszItem)
        return E_INVALIDARG;
    for (Replacement& r : m_replacements)
    {
        if (r.key.CompareNoCase(lpszKey) == 0)
        {
            r.item = lpszItem;
            return S_OK;
        }
    }
    m_replacements.push_back(Replacement{lpszKey, lpszItem});
    return S_OK;
}

HRESULT CRegObject::ClearReplacements()
{
    m_replacements.clear();
    return S_OK;
}

BOOL CRegObject::Expand(LPCOLESTR lpszScript, CString& rExpanded) const
{
    rExpanded.Empty();
    for (LPCWSTR p = lpszScript; *p; ++p)
    {
        if (*p != L'%')
        {
            rExpanded.AppendChar(*p);
            continue;
        }
        LPCWSTR end = std::wcschr(p + 1, L'%');
        if (!end)
            return FALSE;
        const CString name(p + 1, static_cast<int>(end - p - 1));
        p = end;
        if (name.IsEmpty())
        {
            rExpanded.AppendChar(L'%');
            continue;
        }
        const Replacement* found = nullptr;
        for (const Replacement& r : m_replacements)
            if (r.key.CompareNoCase(name) == 0)
                found = &r;
        if (!found)
            return FALSE;
        rExpanded += found->item;
    }
    return TRUE;
}

HRESULT CRegObject::ApplyScript(LPCOLESTR lpszScript, BOOL bRegister)
{
    if (!lpszScript)
        return E_INVALIDARG;
    CString expanded;
    if (!Expand(lpszScript, expanded))
        return DISP_E_EXCEPTION;
    std::vector<ScriptRoot> roots;
    try
    {
        roots = Parser(expanded).ParseScript();
    }
    catch (const Tokenizer::ScriptError&)
    {
        return DISP_E_EXCEPTION;
    }

    LONG first = ERROR_SUCCESS;
    for (const ScriptRoot& root : roots)
    {
        for (const ScriptKey& key : root.keys)
        {
            if (bRegister)
            {
                const LONG result = RegisterKey(root.root, key);
                if (result != ERROR_SUCCESS)
                    return HRESULT_FROM_WIN32(result);
            }
            else
            {
                Remember(first, UnregisterKey(root.root, key));
            }
        }
    }
    return first == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(first);
}

HRESULT CRegObject::ApplyResource(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType, BOOL bRegister)
{
    HRSRC hResource = FindResourceW(hInstance, MAKEINTRESOURCEW(nID), lpszType);
    HGLOBAL hGlobal = hResource ? LoadResource(hInstance, hResource) : nullptr;
    const auto* data = hGlobal ? static_cast<const BYTE*>(LockResource(hGlobal)) : nullptr;
    if (!data)
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_RESOURCE_DATA_NOT_FOUND);
    CString script;
    if (!DecodeScript(data, SizeofResource(hInstance, hResource), script))
        return DISP_E_EXCEPTION;
    return ApplyScript(script, bRegister);
}

HRESULT CRegObject::ResourceRegister(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType)
{
    return ApplyResource(hInstance, nID, lpszType, TRUE);
}

HRESULT CRegObject::ResourceUnregister(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType)
{
    return ApplyResource(hInstance, nID, lpszType, FALSE);
}

HRESULT CRegObject::StringRegister(LPCOLESTR lpszScript)
{
    return ApplyScript(lpszScript, TRUE);
}

HRESULT CRegObject::StringUnregister(LPCOLESTR lpszScript)
{
    return ApplyScript(lpszScript, FALSE);
}

HRESULT AtlLoadTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex, BSTR* pbstrPath, ITypeLib** ppTypeLib)
{
    if (!pbstrPath || !ppTypeLib)
        return E_POINTER;
    *pbstrPath = nullptr;
    *ppTypeLib = nullptr;
    CString path = AfxGetModuleFileName(hInstTypeLib);
    if (path.IsEmpty())
        return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND);
    if (lpszIndex)
        path += lpszIndex;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, ppTypeLib);
    if (FAILED(hr))
        return hr;
    *pbstrPath = path.AllocSysString();
    if (!*pbstrPath)
    {
        (*ppTypeLib)->Release();
        *ppTypeLib = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT AtlRegisterTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex)
{
    CUniqueBstr path;
    CUniqueComPtr<ITypeLib> typeLib;
    const HRESULT hr = AtlLoadTypeLib(hInstTypeLib, lpszIndex, path.put(), typeLib.put());
    return FAILED(hr) ? hr : RegisterTypeLib(typeLib.get(), path.get(), nullptr);
}

HRESULT AtlUnRegisterTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex)
{
    CUniqueBstr path;
    CUniqueComPtr<ITypeLib> typeLib;
    HRESULT hr = AtlLoadTypeLib(hInstTypeLib, lpszIndex, path.put(), typeLib.put());
    if (FAILED(hr))
        return hr;
    TLIBATTR* pAttr = nullptr;
    hr = typeLib->GetLibAttr(&pAttr);
    if (FAILED(hr))
        return hr;
    hr = UnRegisterTypeLib(pAttr->guid, pAttr->wMajorVerNum, pAttr->wMinorVerNum, pAttr->lcid, pAttr->syskind);
    typeLib->ReleaseTLibAttr(pAttr);
    return hr;
}
