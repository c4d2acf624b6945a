// halt_fixture: plants a small fake Lumasweep for HaltSuite to stop, and reports what of the
// suite is there. Used by the demo; never shipped.
//   halt_fixture plant --sleeper EXE --service EXE --folder DIR NAME...
//       copies the sleeper into DIR under each NAME and starts the copies, installs and starts
//       the service under the suite's service name, creates the suite's tasks and Run values
//   halt_fixture status NAME...
//       the service, the processes of those names, the tasks and the Run values
#include "fixture.h"
#include "suitenames.h"
#include "walker/enumprocess.h"

#include <testsupport/testsupport.h>

#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace
{
const SuiteNames& Suite()
{
    return LumasweepSuite();
}

void Print(const std::wstring& line)
{
    std::fputs((testsupport::Utf8(line) + "\n").c_str(), stdout);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = towlower(c);
    return text;
}

const wchar_t* StateText(DWORD state)
{
    switch (state)
    {
    case 0:
        return L"not installed";
    case SERVICE_STOPPED:
        return L"stopped";
    case SERVICE_RUNNING:
        return L"running";
    case SERVICE_STOP_PENDING:
        return L"stopping";
    case SERVICE_START_PENDING:
        return L"starting";
    default:
        return L"paused or pending";
    }
}

int Plant(const std::vector<std::wstring>& args)
{
    std::wstring sleeper, service, folder;
    std::vector<std::wstring> names;
    for (size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == L"--sleeper" && i + 1 < args.size())
            sleeper = args[++i];
        else if (args[i] == L"--service" && i + 1 < args.size())
            service = args[++i];
        else if (args[i] == L"--folder" && i + 1 < args.size())
            folder = args[++i];
        else
            names.push_back(args[i]);
    }
    if (sleeper.empty() || service.empty() || folder.empty())
        return 2;

    int failures = 0;
    halttest::CreateFolderChain(folder);
    for (const std::wstring& name : names)
    {
        halttest::Decoy decoy(halttest::CopyAs(sleeper, folder, name), L"--seconds 600");
        decoy.Release();
        Print(L"  started " + folder + L"\\" + name + (decoy.Running() ? L"" : L" (FAILED)"));
        failures += decoy.Running() ? 0 : 1;
    }

    const std::wstring serviceFolder = service.substr(0, service.find_last_of(L'\\'));
    halttest::ServiceFixture fixture(
        Suite().service, halttest::DecoyServiceCommand(serviceFolder, Suite().service, Suite().serviceMutex));
    fixture.Release();
    const bool started = fixture.Installed() && fixture.Start();
    Print(std::wstring(L"  service ") + Suite().service + (started ? L" installed and running" : L" FAILED"));
    failures += started ? 0 : 1;

    const CComApartment apartment;
    int tasks = 0;
    for (LPCWSTR task : Suite().tasks)
        tasks += SUCCEEDED(halttest::CreateTask(task, sleeper)) ? 1 : 0;
    Print(L"  " + std::to_wstring(tasks) + L" scheduled tasks created");
    int values = 0;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (LPCWSTR value : Suite().runValues)
            values += halttest::SetRunValue(root, value, L"\"" + folder + L"\\LumaTray.exe\"") ? 1 : 0;
    Print(L"  " + std::to_wstring(values) + L" Run values set (user and machine)");
    failures += (tasks == static_cast<int>(Suite().tasks.size()) ? 0 : 1) +
                (values == 2 * static_cast<int>(Suite().runValues.size()) ? 0 : 1);
    return failures == 0 ? 0 : 1;
}

int Status(const std::vector<std::wstring>& names)
{
    Print(std::wstring(L"  service ") + Suite().service + L": " + StateText(halttest::ServiceState(Suite().service)) +
          (halttest::MutexExists(Suite().serviceMutex) ? L", its mutex held" : L", no mutex"));

    std::map<std::wstring, int> running;
    CEnumProcess walker;
    CEnumProcess::CProcessEntry entry;
    for (BOOL more = walker.GetProcessFirst(entry); more; more = walker.GetProcessNext(entry))
        ++running[Lower(entry.lpszProcessName)];
    for (const std::wstring& name : names)
    {
        const int count = running[Lower(name)];
        Print(L"  process " + name + L": " + (count ? L"running" : L"not running"));
    }

    const CComApartment apartment;
    std::wstring present, absent;
    for (LPCWSTR task : Suite().tasks)
        (halttest::TaskExists(task) ? present : absent) += std::wstring(L" ") + task;
    Print(L"  tasks present:" + (present.empty() ? L" none" : present));
    Print(L"  tasks absent: " + (absent.empty() ? L" none" : absent));
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        int count = 0;
        for (LPCWSTR value : Suite().runValues)
            count += halttest::RunValueExists(root, value) ? 1 : 0;
        Print(std::wstring(L"  Run values under ") + (root == HKEY_CURRENT_USER ? L"HKCU" : L"HKLM") + L": " +
              std::to_wstring(count) + L" of " + std::to_wstring(Suite().runValues.size()));
    }
    return 0;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::vector<std::wstring> rest(argv + std::min(argc, 2), argv + argc);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"plant")
        return Plant(rest);
    if (command == L"status")
        return Status(rest);
    std::fputs("usage: halt_fixture plant --sleeper EXE --service EXE --folder DIR NAME... | status NAME...\n", stderr);
    return 2;
}
