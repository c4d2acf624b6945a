// Drives the registered context-menu handler the way Explorer does, for the demo:
//   shredmenu_driver menu PATH...             prints the items the handler adds for the selection
//   shredmenu_driver invoke COMMAND PATH...   runs command 0 (Secure Delete) or 1 (Secure Encrypt)
// and waits until the handler's worker has started its program.
#include "shell_host.h"
#include "shredmenu_h.h"

#include <framework/handles.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace
{
void Print(const std::wstring& text)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fputc('\n', stdout);
}

std::wstring Hex(HRESULT hr)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

std::wstring HelpText(IContextMenu* menu, UINT command)
{
    wchar_t text[256] = {};
    menu->GetCommandString(command, GCS_HELPTEXTW, nullptr, reinterpret_cast<LPSTR>(text), 256);
    return text;
}

void PrintMenu(HMENU hMenu, IContextMenu* handler, UINT idFirst, const std::wstring& indent)
{
    for (int i = 0; i < GetMenuItemCount(hMenu); ++i)
    {
        const MenuItem item = ReadMenuItem(hMenu, i);
        const UINT command = item.id - idFirst;
        std::wstring line = indent + item.text + L"  [command " + std::to_wstring(command) + L"]";
        if (item.hSubMenu)
        {
            Print(line);
            PrintMenu(item.hSubMenu, handler, idFirst, indent + L"    ");
            continue;
        }
        line += item.hUnchecked ? L" with a picture" : L"";
        line += L": \"" + HelpText(handler, command) + L"\"";
        Print(line);
    }
}

// The worker holds the server while it runs: wait until the server could be unloaded.
bool WaitForWorkers()
{
    HMODULE hServer = GetModuleHandleW(SHREDMENU_SERVER_FILE);
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(hServer, "DllCanUnloadNow"));
    for (int i = 0; canUnload && i < 600; ++i)
    {
        if (canUnload() == S_OK)
            return true;
        Sleep(50);
    }
    return false;
}

int Run(int argc, wchar_t** argv)
{
    if (argc < 3)
    {
        Print(L"usage: shredmenu_driver menu PATH... | invoke COMMAND PATH...");
        return 2;
    }
    const std::wstring action = argv[1];
    const bool invoke = action == L"invoke";
    if (!invoke && action != L"menu")
        return 2;
    std::vector<std::wstring> names(argv + (invoke ? 3 : 2), argv + argc);

    CUniqueComPtr<IShellExtInit> init;
    HRESULT hr =
        CoCreateInstance(CLSID_ShredMenuExt, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.put_void());
    if (FAILED(hr))
    {
        Print(L"CoCreateInstance failed: " + Hex(hr));
        return 1;
    }
    IDataObject* data = new DropDataObject(names);
    hr = init->Initialize(nullptr, data, nullptr);
    data->Release();
    CUniqueComPtr<IContextMenu> menu;
    init->QueryInterface(IID_IContextMenu, menu.put_void());
    if (FAILED(hr) || !menu)
    {
        Print(L"Initialize failed: " + Hex(hr));
        return 1;
    }

    const UINT idFirst = 1000;
    HMENU hMenu = CreatePopupMenu();
    hr = menu->QueryContextMenu(hMenu, 0, idFirst, idFirst + 100, CMF_NORMAL);
    if (!invoke)
    {
        Print(L"QueryContextMenu took " + std::to_wstring(HRESULT_CODE(hr)) + L" identifiers:");
        PrintMenu(hMenu, menu.get(), idFirst, L"    ");
    }
    DestroyMenu(hMenu);
    if (!invoke)
        return 0;

    CMINVOKECOMMANDINFO ici = {};
    ici.cbSize = sizeof ici;
    ici.lpVerb = MAKEINTRESOURCEA(std::wcstoul(argv[2], nullptr, 10));
    ici.nShow = SW_SHOWNORMAL;
    hr = menu->InvokeCommand(&ici);
    Print(L"InvokeCommand: " + Hex(hr));
    menu.reset();
    init.reset();
    return SUCCEEDED(hr) && WaitForWorkers() ? 0 : 1;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    CComApartment apartment;
    return Run(argc, argv);
}
