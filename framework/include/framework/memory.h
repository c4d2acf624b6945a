// Address checks for pointers that come from outside the code that uses them.
#pragma once

#include "framework.h"

// True when all nBytes at lp (at least one byte) lie in committed memory that may be read, and
// with bReadWrite also written. Null, a freed page, a guard page and a no-access page answer
// false. Code is readable but not writable: test a function pointer with bReadWrite FALSE.
FRAMEWORK_API BOOL AfxIsValidAddress(const void* lp, UINT_PTR nBytes, BOOL bReadWrite = TRUE);
