// The update operations: the new-version check and the definition-archive update, both run
// through the download queue under the download dialog.
#include "suitecore/update.h"

#include "../settings/critical_section.h"
#include "../settings/this_module.h"
#include "definition_signature.h"
#include "download_state.h"
#include "version_compare.h"
#include "suitecore/checksum.h"
#include "suitecore/download.h"
#include "suitecore/paths.h"
#include "suitecore/registry.h"
#include "suitecore/sysinfo.h"

#include <framework/module.h>
#include <framework/regkey.h>

#include <cwctype>

namespace
{
// Where the update pages lie unless SetUpdateServer or the "UpdateServer" setting says
// otherwise: a reserved name that never reaches a real host.
constexpr LPCWSTR kBuiltInServer = L"http://update.orvane.example";
constexpr LPCWSTR kVersionPage = L"/qmnupdates/update.aspx";
constexpr LPCWSTR kDatabasePage = L"/antispywareupdates/CompleteDatabase/getdatabase.asp";

constexpr LPCWSTR kVersionFile = L"LatestVersion.ini";
constexpr LPCWSTR kDatabaseInfoFile = L"dbUpdate.ini";
constexpr LPCWSTR kArchiveName = L"Completedatabase.zip";
constexpr LPCWSTR kDownloadFolder = L"DBUpdates";
// Under the product key: the user's last installed signed "DBVERSION" (HKCU), and the
// machine's policy that refuses unsigned archives (HKLM).
constexpr LPCWSTR kInstalledVersionValue = L"InstalledDefinitionsVersion";
constexpr LPCWSTR kRequireSignedValue = L"RequireSignedDefinitions";

suitecore::CriticalSection g_serverLock; // guards g_strServer; made when the library loads
CString g_strServer;                     // the base SetUpdateServer gave; empty when none

CString ServerFromSettings()
{
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, GetProductKeyPathPtr(), KEY_READ) != ERROR_SUCCESS)
        return CString();
    WCHAR buffer[1024] = {};
    ULONG chars = _countof(buffer);
    if (key.QueryStringValue(L"UpdateServer", buffer, &chars) != ERROR_SUCCESS)
        return CString();
    return CString(buffer);
}

// The base address of the update pages, without a trailing "/".
CString UpdateServerBase()
{
    CString base;
    {
        suitecore::CriticalSectionLock lock(g_serverLock);
        base = g_strServer;
    }
    if (base.IsEmpty())
        base = ServerFromSettings();
    base.Trim();
    if (base.IsEmpty())
        base = kBuiltInServer;
    base.TrimRight(L'/');
    return base;
}

CString VersionPageAddress()
{
    CString address = UpdateServerBase() + kVersionPage;
    address += L"?productname=qmn&currentapplicationid=";
    address += GetFileVersionString(AfxGetModuleFileName(nullptr));
    address += L"&currentdbversionid=1";
    return address;
}

// The folder of the running executable, with the trailing backslash.
CString ExeFolder()
{
    CString folder;
    GetExeFolder(folder);
    return folder;
}

CString InExeFolder(LPCWSTR lpszName)
{
    CString path = ExeFolder();
    return path.IsEmpty() ? path : path + lpszName;
}

bool FileExists(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileHasContent(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow || data.nFileSizeHigh);
}

CString ReadIniText(LPCWSTR lpszSection, LPCWSTR lpszKey, const CString& path)
{
    WCHAR buffer[2048] = {};
    GetPrivateProfileStringW(lpszSection, lpszKey, L"", buffer, _countof(buffer), path);
    return CString(buffer);
}

// A value of the definition information: lower-cased and trimmed.
CString ReadDatabaseInfo(LPCWSTR lpszKey)
{
    CString value = ReadIniText(L"AntiSpyUpdates", lpszKey, InExeFolder(kDatabaseInfoFile));
    value.MakeLower();
    value.Trim();
    return value;
}

suitecore::net::PublishedSignature ReadPublishedSignature()
{
    suitecore::net::PublishedSignature published;
    published.sha256 = ReadDatabaseInfo(L"SHA256");
    published.version = ReadDatabaseInfo(L"DBVERSION");
    published.signature = ReadDatabaseInfo(L"SIGNATURE");
    return published;
}

bool ReadProductDword(HKEY hRoot, LPCWSTR lpszValue, DWORD& value)
{
    CRegKey key;
    return key.Open(hRoot, GetProductKeyPathPtr(), KEY_READ) == ERROR_SUCCESS &&
           key.QueryDWORDValue(lpszValue, value) == ERROR_SUCCESS;
}

bool RequireSignedDefinitions()
{
#if defined(SUITE_REQUIRE_SIGNED_DEFINITIONS)
    return true;
#else
    DWORD value = 0;
    return ReadProductDword(HKEY_LOCAL_MACHINE, kRequireSignedValue, value) && value != 0;
#endif
}

// The last signed version this user installed; 0 when none was recorded.
DWORD InstalledDefinitionsVersion()
{
    DWORD value = 0;
    return ReadProductDword(HKEY_CURRENT_USER, kInstalledVersionValue, value) ? value : 0;
}

void RecordInstalledDefinitionsVersion(DWORD version)
{
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, GetProductKeyPathPtr()) == ERROR_SUCCESS)
        key.SetDWORDValue(kInstalledVersionValue, version);
}

// Whether the published signing values allow a download at all: an unsigned archive only
// without the policy; a signed one only with a well-formed version no older than the last
// installed, so that an old signed archive cannot be replayed.
bool SignatureAllowsDownload(const suitecore::net::PublishedSignature& published, DWORD& version)
{
    if (published.signature.IsEmpty())
        return !RequireSignedDefinitions();
    return suitecore::net::ParseDefinitionsVersion(published.version, version) &&
           version >= InstalledDefinitionsVersion();
}

bool SignatureVerified(const CString& archive, const suitecore::net::PublishedSignature& published)
{
    using namespace suitecore::net;
    return VerifyDefinitionsArchive(archive, published, TrustedDefinitionKeys()) == SignatureCheck::Verified;
}

bool IsSha1Text(const CString& text)
{
    if (text.GetLength() != 40)
        return false;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        if (!std::iswxdigit(text[i]))
            return false;
    }
    return true;
}

// The SHA-1 text of a file read to its end; empty when it cannot be read whole.
CString VerifiedSha1(const CString& path)
{
    CFileSha1 sha;
    sha.Reset();
    if (!sha.HashFile(path))
    {
        sha.Reset();
        return CString();
    }
    sha.Finish();
    CString text;
    sha.ReportHash(text);
    sha.Reset();
    return text;
}

// Runs the queue with the one file; the dialog stays hidden when bHidden is set.
BOOL DownloadOne(const CString& source, const CString& target, bool bHidden)
{
    ClearDownloadFiles();
    if (!AddDownloadFile(source, target))
        return FALSE;
    SetDownloadOption(L"hidden", bHidden ? L"1" : L"0");
    const BOOL bResult = DownloadQueuedFiles();
    ClearDownloadFiles();
    return bResult;
}

// Deletes the download in the update folder when the scope ends, unless it was installed.
class DownloadCleanup
{
public:
    explicit DownloadCleanup(const CString& path) : m_path(path) {}
    ~DownloadCleanup()
    {
        if (!m_bKeep)
            DeleteFileW(m_path);
    }
    DownloadCleanup(const DownloadCleanup&) = delete;
    DownloadCleanup& operator=(const DownloadCleanup&) = delete;
    void Installed() { m_bKeep = true; }

private:
    CString m_path;
    bool m_bKeep = false;
};
} // namespace

CGlobalUpdate::CGlobalUpdate() = default;

CGlobalUpdate::~CGlobalUpdate() = default;

BOOL CGlobalUpdate::CheckForNewVersion()
{
    try
    {
        if (!IsInternetConnected())
            return FALSE;
        CString versionFile;
        if (!GetUserDataFolder(versionFile, nullptr))
            return FALSE;
        JoinPath(versionFile, kVersionFile);
        // A file left from an earlier check must never answer for this one.
        DeleteFileW(versionFile);
        if (!DownloadOne(VersionPageAddress(), versionFile, true) || !FileHasContent(versionFile))
            return FALSE;
        const CString published = ReadIniText(L"Application", L"PROGRAM_VERSION", versionFile);
        if (published.IsEmpty())
            return FALSE;
        // The loaded SuiteCore by its full path: the current directory may be anywhere.
        const CString installed = GetFileVersionString(AfxGetModuleFileName(suitecore::ThisModule()));
        return suitecore::net::IsNewerVersion(published, installed) ? TRUE : FALSE;
    }
    catch (...)
    {
        return FALSE;
    }
}

BOOL CGlobalUpdate::IsDatabaseCurrent(CString& strDownloadAddress)
{
    try
    {
        const CString infoFile = InExeFolder(kDatabaseInfoFile);
        if (infoFile.IsEmpty())
            return FALSE;
        DeleteFileW(infoFile);
        if (!IsInternetConnected())
            return FALSE;
        if (!DownloadOne(UpdateServerBase() + kDatabasePage, infoFile, true) || !FileExists(infoFile))
            return FALSE;
        const CString sha = ReadDatabaseInfo(L"SHA");
        strDownloadAddress = ReadDatabaseInfo(L"DOWNLOADURL");
        if (strDownloadAddress.IsEmpty())
            return FALSE;
        const CString archive = InExeFolder(kArchiveName);
        if (!FileExists(archive))
            return FALSE;
        return GetFileSha1Text(archive).CompareNoCase(sha) == 0 ? TRUE : FALSE;
    }
    catch (...)
    {
        return FALSE;
    }
}

BOOL CGlobalUpdate::UpdateDefinitions()
{
    try
    {
        CString address;
        if (IsDatabaseCurrent(address))
            return TRUE;
        const CString sha = ReadDatabaseInfo(L"SHA");
        const suitecore::net::PublishedSignature published = ReadPublishedSignature();
        const bool bSigned = !published.signature.IsEmpty();
        DWORD version = 0;

        CString folder = ExeFolder();
        if (folder.IsEmpty())
            return FALSE;
        folder += kDownloadFolder;
        CreateFolderPath(folder);
        CString download = folder;
        JoinPath(download, kArchiveName);
        DeleteFileW(download);
        DownloadCleanup cleanup(download);

        // Without a well-formed checksum no download could ever be verified.
        if (address.IsEmpty() || !IsSha1Text(sha) || !SignatureAllowsDownload(published, version) ||
            !IsInternetConnected())
            return FALSE;
        if (!DownloadOne(address, download, false))
            return FALSE;
        // The archive in use is touched only by the replace of a verified download: its SHA-1
        // digest always, and its signature when one is published. A signature that is present
        // but does not verify refuses the archive whatever the policy.
        if (VerifiedSha1(download).CompareNoCase(sha) != 0)
            return FALSE;
        if (bSigned && !SignatureVerified(download, published))
            return FALSE;
        if (!MoveFileExW(download, InExeFolder(kArchiveName),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
            return FALSE;
        cleanup.Installed();
        // Only a version the publisher signed is recorded: an unsigned "DBVERSION" could be
        // anyone's, and a high one would refuse every later signed archive.
        if (bSigned)
            RecordInstalledDefinitionsVersion(version);
        // The information may have changed meanwhile; the verified archive stays either way.
        CString again;
        return IsDatabaseCurrent(again);
    }
    catch (...)
    {
        return FALSE;
    }
}

BOOL CheckForNewVersionNow()
{
    CGlobalUpdate update;
    return update.CheckForNewVersion();
}

BOOL UpdateDefinitionsNow()
{
    CGlobalUpdate update;
    return update.UpdateDefinitions();
}

void SetUpdateServer(LPCWSTR lpszBaseAddress)
{
    suitecore::CriticalSectionLock lock(g_serverLock);
    g_strServer = lpszBaseAddress ? lpszBaseAddress : L"";
}
