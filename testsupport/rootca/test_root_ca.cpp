// Puts a throwaway test CA into the Wine prefix's machine-wide "Root" store and takes it out
// again, for tests and scripts that serve HTTPS from a local server:
//   test_root_ca add FILE.cer      adds the DER certificate; prints its SHA-1 thumbprint
//   test_root_ca remove THUMBPRINT deletes its registry key; exit 0 also when it was absent
//   test_root_ca has THUMBPRINT    exit 0 when the key exists, 1 when not
// CertDeleteCertificateFromStore on the system store answers TRUE under Wine and yet leaves
// the certificate in the registry, and trusted; removing the key itself is what takes it out.
// Exit 2 for a bad command line, 1 for a failure, with the reason on stderr.
#include <shlwapi.h>
#include <wincrypt.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace
{
constexpr LPCWSTR kRootCertificatesKey = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates";

struct StoreCloser
{
    void operator()(HCERTSTORE hStore) const { CertCloseStore(hStore, 0); }
};
struct ContextFreer
{
    void operator()(PCCERT_CONTEXT pContext) const { CertFreeCertificateContext(pContext); }
};
struct HandleCloser
{
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct KeyCloser
{
    void operator()(HKEY hKey) const { RegCloseKey(hKey); }
};

int Fail(const wchar_t* what)
{
    fwprintf(stderr, L"test_root_ca: %ls failed with error %lu\n", what, GetLastError());
    return 1;
}

bool ReadWholeFile(const wchar_t* path, std::vector<BYTE>& bytes)
{
    std::unique_ptr<void, HandleCloser> file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
    {
        file.release();
        return false;
    }
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size == 0)
        return false;
    bytes.resize(size);
    DWORD read = 0;
    return ReadFile(file.get(), bytes.data(), size, &read, nullptr) && read == size;
}

std::wstring Thumbprint(PCCERT_CONTEXT pContext)
{
    BYTE hash[20] = {};
    DWORD size = sizeof(hash);
    if (!CertGetCertificateContextProperty(pContext, CERT_SHA1_HASH_PROP_ID, hash, &size) || size != sizeof(hash))
        return L"";
    std::wstring text;
    for (const BYTE b : hash)
    {
        wchar_t digits[3];
        swprintf(digits, 3, L"%02X", b);
        text += digits;
    }
    return text;
}

int Add(const wchar_t* path)
{
    std::vector<BYTE> der;
    if (!ReadWholeFile(path, der))
        return Fail(L"reading the certificate");
    std::unique_ptr<void, StoreCloser> store(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    if (!store)
        return Fail(L"CertOpenStore");
    PCCERT_CONTEXT pAdded = nullptr;
    if (!CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, &pAdded))
        return Fail(L"CertAddEncodedCertificateToStore");
    std::unique_ptr<const CERT_CONTEXT, ContextFreer> added(pAdded);
    const std::wstring thumbprint = Thumbprint(added.get());
    if (thumbprint.empty())
        return Fail(L"reading the thumbprint");
    wprintf(L"%ls\n", thumbprint.c_str());
    return 0;
}

// Only a thumbprint names a key here: 40 hexadecimal digits, nothing that leaves the folder.
bool IsThumbprint(const std::wstring& text)
{
    return text.size() == 40 && text.find_first_not_of(L"0123456789ABCDEFabcdef") == std::wstring::npos;
}

int Remove(const std::wstring& thumbprint)
{
    const std::wstring key = std::wstring(kRootCertificatesKey) + L"\\" + thumbprint;
    const LSTATUS status = SHDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    {
        SetLastError(static_cast<DWORD>(status));
        return Fail(L"deleting the key");
    }
    return 0;
}

int Has(const std::wstring& thumbprint)
{
    const std::wstring key = std::wstring(kRootCertificatesKey) + L"\\" + thumbprint;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return 1;
    const std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser> opened(hKey);
    return 0;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
    {
        fwprintf(stderr, L"usage: test_root_ca add FILE.cer | remove THUMBPRINT | has THUMBPRINT\n");
        return 2;
    }
    const std::wstring command = argv[1];
    if (command == L"add")
        return Add(argv[2]);
    if ((command == L"remove" || command == L"has") && IsThumbprint(argv[2]))
        return command == L"remove" ? Remove(argv[2]) : Has(argv[2]);
    fwprintf(stderr, L"test_root_ca: give add FILE.cer, or remove or has with a 40-digit thumbprint\n");
    return 2;
}
