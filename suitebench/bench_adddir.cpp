// CFileInfoArray::AddDir over a tree of 100,000 files against a plain FindFirstFileW recursion
// that collects the same paths and sizes.
#include "bench.h"

#include <testsupport/testsupport.h>

#include <framework/handles.h>
#include <suitecore/filelist.h>

namespace
{
constexpr int kTop = 10, kSub = 10, kFiles = 1000; // 100,000 files in 110 folders

struct Entry
{
    std::wstring path;
    ULONGLONG size;
    DWORD attributes;
};

void PlainRecursion(const std::wstring& folder, std::vector<Entry>& entries)
{
    WIN32_FIND_DATAW data;
    const CUniqueFindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
    if (!find)
        return;
    do
    {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            if (wcscmp(data.cFileName, L".") && wcscmp(data.cFileName, L".."))
            {
                entries.push_back({folder + data.cFileName, 0, data.dwFileAttributes});
                PlainRecursion(folder + data.cFileName + L"\\", entries);
            }
            continue;
        }
        entries.push_back({folder + data.cFileName,
                           (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                           data.dwFileAttributes});
    } while (FindNextFileW(find.get(), &data));
}

void BuildTree(const std::wstring& root)
{
    for (int t = 0; t < kTop; ++t)
    {
        const std::wstring top = root + L"\\top" + std::to_wstring(t);
        CreateDirectoryW(top.c_str(), nullptr);
        for (int s = 0; s < kSub; ++s)
        {
            const std::wstring sub = top + L"\\sub" + std::to_wstring(s);
            CreateDirectoryW(sub.c_str(), nullptr);
            for (int f = 0; f < kFiles; ++f)
            {
                const std::wstring path = sub + L"\\file" + std::to_wstring(f) + L".dat";
                CUniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            }
        }
    }
}

void BenchAddDir(suitebench::Reporter& r)
{
    testsupport::TempDir folder;
    BuildTree(folder.Path());
    const std::wstring root = folder.Path() + L"\\";

    INT_PTR ours = 0;
    size_t peer = 0;
    const double oursSeconds = suitebench::BestSeconds(3,
                                                       [&]
                                                       {
                                                           CFileInfoArray list;
                                                           ours = list.AddDir(CString(root.c_str()), L"*", TRUE,
                                                                              CFileInfoArray::AddAtEnd, TRUE);
                                                       });
    const double peerSeconds = suitebench::BestSeconds(3,
                                                       [&]
                                                       {
                                                           std::vector<Entry> entries;
                                                           PlainRecursion(root, entries);
                                                           peer = entries.size();
                                                       });
    r.Report(L"AddDir, 100,000 files", oursSeconds * 1000, L"FindFirstFileW recursion", peerSeconds * 1000,
             suitebench::Unit::Milliseconds);
    wchar_t note[96];
    _snwprintf(note, 96, L"%d and %u records%s", static_cast<int>(ours), static_cast<unsigned>(peer),
               static_cast<size_t>(ours) == peer ? L"" : L"; COUNTS DIFFER");
    note[95] = L'\0';
    r.Note(note);
}
} // namespace

SUITEBENCH_CASE(adddir, L"adddir", BenchAddDir);
