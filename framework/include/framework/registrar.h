// The registrar: applies registration scripts to the registry, and registers type libraries
// carried as resources.
//
// A script names root keys (HKCR, HKCU, HKLM, HKU or their long names) and below them keys,
// their default values and named values:
//
//     HKCR
//     {
//         NoRemove CLSID
//         {
//             ForceRemove {00000000-0000-0000-0000-000000000000} = s 'Description'
//             {
//                 InprocServer32 = s '%MODULE%'
//                 {
//                     val ThreadingModel = s 'Apartment'
//                 }
//             }
//         }
//     }
//
// Tokens are separated by white space; text in single quotes may hold blanks, '' stands for
// one quote. Values are s 'text' (REG_SZ) or d 'number' (REG_DWORD, decimal or 0x hex).
// %NAME% is replaced by the text given to AddReplacement (%% by one percent sign) before the
// script is read. Key rules:
//   - ForceRemove: deleted with its whole subtree before it is written at registration;
//   - NoRemove: kept at unregistration (its named values and its named subkeys are still
//     processed);
//   - Delete: deleted with its subtree at registration, ignored at unregistration;
//   - any other key is deleted with its subtree at unregistration (a key that holds kept keys
//     goes only once it is empty).
// The whole script is read before the registry is touched, so a script with an error changes
// nothing.
#pragma once

#include "string.h"

#include <oaidl.h>

#include <vector>

struct _ATL_REGMAP_ENTRY
{
    LPCOLESTR szKey;
    LPCOLESTR szData;
};

class FRAMEWORK_API CRegObject
{
public:
    CRegObject();
    ~CRegObject();
    CRegObject(const CRegObject&) = delete;
    CRegObject& operator=(const CRegObject&) = delete;

    HRESULT AddReplacement(LPCOLESTR lpszKey, LPCOLESTR lpszItem);
    HRESULT ClearReplacements();

    // The script from a resource of the module (ANSI, UTF-8 with its mark, or UTF-16 with its
    // mark). Results: S_OK; DISP_E_EXCEPTION for a script error; HRESULT_FROM_WIN32 of the
    // first registry failure; a missing resource as HRESULT_FROM_WIN32(ERROR_RESOURCE_*).
    HRESULT ResourceRegister(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType);
    HRESULT ResourceUnregister(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType);
    HRESULT StringRegister(LPCOLESTR lpszScript);
    HRESULT StringUnregister(LPCOLESTR lpszScript);

private:
    HRESULT ApplyScript(LPCOLESTR lpszScript, BOOL bRegister);
    HRESULT ApplyResource(HINSTANCE hInstance, UINT nID, LPCOLESTR lpszType, BOOL bRegister);
    BOOL Expand(LPCOLESTR lpszScript, CString& rExpanded) const;

    struct Replacement
    {
        CString key;
        CString item;
    };
    std::vector<Replacement> m_replacements;
};

// The type library of a module: resource TYPELIB 1, or the given index ("\\2" for TYPELIB 2).
FRAMEWORK_API HRESULT AtlLoadTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex, BSTR* pbstrPath,
                                     ITypeLib** ppTypeLib);
FRAMEWORK_API HRESULT AtlRegisterTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex);
FRAMEWORK_API HRESULT AtlUnRegisterTypeLib(HINSTANCE hInstTypeLib, LPCOLESTR lpszIndex);
