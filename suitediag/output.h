// SuiteDiag's output: UTF-8 text on stdout and stderr, whatever the console or pipe.
#pragma once

#include <framework/string.h>

namespace suitediag
{
void Write(HANDLE stream, LPCWSTR text);
void Out(LPCWSTR text);      // text as given
void OutLine(LPCWSTR text);  // text and a line feed
void ErrLine(LPCWSTR text);
// Formatted with the platform's printf meaning (wide %s).
void OutFormat(LPCWSTR format, ...);
void ErrFormat(LPCWSTR format, ...);
} // namespace suitediag
