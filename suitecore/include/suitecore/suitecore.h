// SuiteCore's export macro. Every class, function and global that tools use is marked with
// it and exported by ordinal only (see suitecore.ordinals).
#pragma once

#include <framework/framework.h>

#if defined(SUITECORE_BUILDING)
#define SUITECORE_API __declspec(dllexport)
#else
#define SUITECORE_API __declspec(dllimport)
#endif
