// The upload's file name, the favourite-tools table and the outside upload library.
#include "suitecore/feedback.h"

#include "suitecore/paths.h"

#include <cstdlib>
#include <ctime>

namespace
{
constexpr LPCWSTR kUploadLibrary = L"Network.dll";
constexpr WORD kUploadOrdinal = 14;

// The suite's tools, with the application ids the feedback service knows them by. Ids 5 and
// 20 belong to tools no longer shipped.
const FeedbackTool kTools[] = {
    {0, L"Registry Cleaner"},      {1, L"Disk Cleaner"},         {2, L"Privacy Protector"},
    {3, L"Startup Manager"},       {4, L"Memory Optimizer"},     {6, L"Disk Defragmenter"},
    {7, L"Duplicate File Finder"}, {8, L"Secure Delete"},        {9, L"Secure Encrypt"},
    {10, L"Internet Optimizer"},   {11, L"System Backup"},       {12, L"Registry Defragmenter"},
    {13, L"Uninstall Manager"},    {14, L"Process Manager"},     {15, L"Service Manager"},
    {16, L"Empty Folder Finder"},  {17, L"Broken Shortcut Fixer"}, {18, L"History Cleaner"},
    {19, L"Scheduler"},            {21, L"System Information"},  {22, L"Restore Point Manager"},
    {23, L"Disk Explorer"},        {24, L"File Recovery"},
};
static_assert(sizeof(kTools) / sizeof(kTools[0]) == 23, "the form lists 23 tools");
} // namespace

CString MakeFeedbackFileName()
{
    const time_t now = time(nullptr);
    wchar_t stamp[64] = {};
    const tm* local = localtime(&now);
    if (!local || !wcsftime(stamp, 64, L" %Y%m%dT%I_%M%S%p", local))
        stamp[0] = L'\0';
    srand(GetTickCount());
    CString name = L"QMNv3-Feedback";
    name += stamp;
    name.AppendFormat(L" %d", rand());
    name += L".xml";
    return name;
}

int GetFeedbackTools(const FeedbackTool** ppTools)
{
    if (ppTools)
        *ppTools = kTools;
    return static_cast<int>(sizeof(kTools) / sizeof(kTools[0]));
}

FeedbackUploadFn LoadFeedbackUploader()
{
    // By full path from the program's folder: a bare name would go on through the current
    // folder and PATH, where a planted library would run inside the tool.
    CString path;
    if (!GetModuleFolder(nullptr, path) || path.IsEmpty())
        return nullptr;
    JoinPath(path, kUploadLibrary);
    const HMODULE library = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library)
        return nullptr;
    return reinterpret_cast<FeedbackUploadFn>(GetProcAddress(library, MAKEINTRESOURCEA(kUploadOrdinal)));
}
