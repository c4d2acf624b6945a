#include "shredmenu_test_support.h"

#include <framework/regkey.h>

#include <algorithm>
#include <cstdint>

namespace shredtest
{
const wchar_t kClsid[] = L"{D23C3BA7-6DC3-4DDF-9BDF-12599E852A40}";
const wchar_t kAppId[] = L"{C42CB13B-CA97-468D-9F93-AD1220004E62}";
const wchar_t kLibId[] = L"{2A03A149-3CD3-429D-B4A4-28D9D2974874}";
const wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
#ifdef _WIN64
const wchar_t kTypeLibPlatform[] = L"win64";
#else
const wchar_t kTypeLibPlatform[] = L"win32";
#endif

std::wstring ServerPath()
{
    return testsupport::BinFolder() + L"\\" SHREDMENU_SERVER_FILE;
}

DWORD RunAndWait(const std::wstring& commandLine, DWORD timeoutMs)
{
    const testsupport::ProcessResult result = testsupport::RunProcess(commandLine, timeoutMs);
    return result.timedOut ? WAIT_TIMEOUT : result.exitCode;
}

bool KeyExists(HKEY root, const std::wstring& path)
{
    CRegKey key;
    return key.Open(root, path.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& path, LPCWSTR value)
{
    CRegKey key;
    if (key.Open(root, path.c_str(), KEY_READ) != ERROR_SUCCESS)
        return std::nullopt;
    ULONG chars = 0;
    if (key.QueryStringValue(value, nullptr, &chars) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(chars, L'\0');
    if (key.QueryStringValue(value, text.data(), &chars) != ERROR_SUCCESS)
        return std::nullopt;
    text.resize(chars - 1);
    return text;
}

namespace
{
template <class Fn>
Fn Export(HMODULE hModule, const char* name)
{
    return reinterpret_cast<Fn>(GetProcAddress(hModule, name));
}

HRESULT Call(HMODULE hModule, const char* name)
{
    auto fn = Export<HRESULT(WINAPI*)()>(hModule, name);
    return fn ? fn() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}
} // namespace

ServerModule::ServerModule() : m_hModule(LoadLibraryW(ServerPath().c_str())) {}

ServerModule::~ServerModule()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

HRESULT ServerModule::Register() const
{
    return Call(m_hModule, "DllRegisterServer");
}

HRESULT ServerModule::Unregister() const
{
    return Call(m_hModule, "DllUnregisterServer");
}

HRESULT ServerModule::CanUnloadNow() const
{
    return Call(m_hModule, "DllCanUnloadNow");
}

PredefinedKeyOverride::PredefinedKeyOverride(HKEY predefined, HKEY replacement) : m_predefined(predefined)
{
    RegOverridePredefKey(predefined, replacement);
}

PredefinedKeyOverride::~PredefinedKeyOverride()
{
    RegOverridePredefKey(m_predefined, nullptr);
}

SettingsKey::SettingsKey()
{
    m_root.Open(HKEY_CURRENT_USER, m_key.Path().c_str());
}

void SettingsKey::SetInstalledPath(const std::wstring& path, DWORD type)
{
    CRegKey settings;
    settings.Create(m_root, L"Software\\Orvane\\QMN3");
    settings.SetStringValue(L"InstalledPath", path.c_str(), type);
}

PredefinedKeyOverride SettingsKey::Apply() const
{
    return PredefinedKeyOverride(HKEY_CURRENT_USER, m_root);
}

StandInInstall::StandInInstall()
{
    const std::wstring standIn = testsupport::BinFolder() + L"\\shredmenu_standin.exe";
    CopyFileW(standIn.c_str(), (Path() + L"\\ShredTool.exe").c_str(), FALSE);
    CopyFileW(standIn.c_str(), (Path() + L"\\SealTool.exe").c_str(), FALSE);
}

bool StandInInstall::HasRun(const std::wstring& program) const
{
    return GetFileAttributesW((Path() + L"\\" + program + L".cmdline").c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool StandInInstall::WaitForRun(const std::wstring& program) const
{
    for (int i = 0; i < 600; ++i)
    {
        if (HasRun(program))
            return true;
        Sleep(50);
    }
    return false;
}

std::string StandInInstall::CommandLine(const std::wstring& program) const
{
    return testsupport::ReadFileBytes(Path() + L"\\" + program + L".cmdline");
}

std::string StandInInstall::Selection(const std::wstring& program) const
{
    return testsupport::ReadFileBytes(Path() + L"\\" + program + L".selection");
}

namespace
{
void Put(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
} // namespace

std::string ExpectedSelectionFile(const std::vector<std::wstring>& paths)
{
    std::string out;
    if (paths.size() < 0xFFFF)
        Put(out, paths.size(), 2);
    else
    {
        Put(out, 0xFFFF, 2);
        Put(out, paths.size(), 4);
    }
    for (const std::wstring& path : paths)
    {
        Put(out, 0xFF, 1);
        Put(out, 0xFFFE, 2);
        if (path.size() < 0xFF)
            Put(out, path.size(), 1);
        else
        {
            Put(out, 0xFF, 1);
            Put(out, path.size(), 2);
        }
        for (wchar_t ch : path)
            Put(out, static_cast<uint16_t>(ch), 2);
    }
    return out;
}

std::vector<std::wstring> SelectionFilesInTemp()
{
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((std::wstring(temp) + L"ST*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

CUniqueComPtr<IShellExtInit> CreateHandler()
{
    CUniqueComPtr<IShellExtInit> init;
    CoCreateInstance(CLSID_ShredMenuExt, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.put_void());
    return init;
}

HRESULT InitializeWith(IShellExtInit* pInit, const std::vector<std::wstring>& names)
{
    IDataObject* data = new DropDataObject(names);
    const HRESULT hr = pInit->Initialize(nullptr, data, nullptr);
    data->Release();
    return hr;
}

CUniqueComPtr<IContextMenu> MenuFor(const std::vector<std::wstring>& names)
{
    CUniqueComPtr<IShellExtInit> init = CreateHandler();
    CUniqueComPtr<IContextMenu> menu;
    if (init && InitializeWith(init.get(), names) == S_OK)
        init->QueryInterface(IID_IContextMenu, menu.put_void());
    return menu;
}

bool WaitUntilUnloadable(const ServerModule& server)
{
    for (int i = 0; i < 600; ++i)
    {
        if (server.CanUnloadNow() == S_OK)
            return true;
        Sleep(50);
    }
    return false;
}

std::wstring PathOfLength(size_t length)
{
    std::wstring path = L"C:\\";
    while (path.size() < length)
    {
        const size_t left = length - path.size();
        if (left <= 200)
        {
            path.append(left, L'x');
            break;
        }
        path.append(100, L'x');
        path.push_back(L'\\');
    }
    return path;
}
} // namespace shredtest
