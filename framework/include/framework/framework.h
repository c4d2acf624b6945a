// Common definitions of the application framework: Windows headers, the export macro and
// the small helpers every framework header relies on.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>
#include <cstdint>

// The framework is a DLL for SuiteCore and the tools, and a static library for modules that
// ship alone (FRAMEWORK_STATIC).
#if defined(FRAMEWORK_STATIC)
#define FRAMEWORK_API
#elif defined(FRAMEWORK_BUILDING)
#define FRAMEWORK_API __declspec(dllexport)
#else
#define FRAMEWORK_API __declspec(dllimport)
#endif

#define AFX_NORETURN [[noreturn]]
