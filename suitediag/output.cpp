#include "output.h"

#include <cstdarg>
#include <string>

namespace suitediag
{
void Write(HANDLE stream, LPCWSTR text)
{
    const int length = text ? lstrlenW(text) : 0;
    if (length == 0 || stream == nullptr || stream == INVALID_HANDLE_VALUE)
        return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(stream, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void Out(LPCWSTR text) { Write(GetStdHandle(STD_OUTPUT_HANDLE), text); }

void OutLine(LPCWSTR text)
{
    CString line(text);
    line += L'\n';
    Out(line);
}

void ErrLine(LPCWSTR text)
{
    CString line(text);
    line += L'\n';
    Write(GetStdHandle(STD_ERROR_HANDLE), line);
}

namespace
{
void WriteFormatV(DWORD stream, LPCWSTR format, va_list args)
{
    CString text;
    text.FormatV(format, args);
    Write(GetStdHandle(stream), text);
}
} // namespace

void OutFormat(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    WriteFormatV(STD_OUTPUT_HANDLE, format, args);
    va_end(args);
}

void ErrFormat(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    WriteFormatV(STD_ERROR_HANDLE, format, args);
    va_end(args);
}

void OutBuffer::AppendFormat(LPCWSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_text.AppendFormatV(format, args);
    va_end(args);
    if (m_text.GetLength() > 32768)
        Flush();
}

void OutBuffer::Flush()
{
    Out(m_text);
    m_text.Empty();
}
} // namespace suitediag
