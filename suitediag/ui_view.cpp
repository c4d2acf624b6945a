#include "ui_view.h"
#include <string>

namespace suitediag
{
namespace
{
std::vector<UiView>& Table()
{
    static std::vector<UiView> table;
    return table;
}
} // namespace

UiViewRegistration::UiViewRegistration(const UiView& view) { Table().push_back(view); }

const std::vector<UiView>& UiViews() { return Table(); }

const UiView* FindUiView(LPCWSTR name)
{
    for (const UiView& view : UiViews())
        if (_wcsicmp(view.name, name) == 0)
            return &view;
    return nullptr;
}
} // namespace suitediag

namespace suitediag
{
namespace
{
std::vector<CString>& TextFileViews()
{
    static std::vector<CString> names;
    return names;
}

CString ReadUtf8File(const CString& path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw UsageError{L"cannot read the text file \"" + path + L"\""};
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read)
        bytes.append(buffer, read);
    CloseHandle(file);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    CString text;
    if (bytes.empty())
        return text;
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return CString(wide.c_str());
}
} // namespace

UiTextFileViewRegistration::UiTextFileViewRegistration(LPCWSTR name) { TextFileViews().push_back(name); }

bool UiViewReadsTextFiles(LPCWSTR name)
{
    for (const CString& view : TextFileViews())
        if (view.CompareNoCase(name) == 0)
            return true;
    return false;
}

std::vector<CString> ExpandTextFileArguments(std::vector<CString> items)
{
    for (CString& item : items)
        if (item.GetLength() > 1 && item[0] == L'@')
            item = ReadUtf8File(item.Mid(1));
    return items;
}
} // namespace suitediag
