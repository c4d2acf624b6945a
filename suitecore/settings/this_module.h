// The module that holds the calling code: suitecore.dll for the library's own sources.
#pragma once

#include <framework/framework.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace suitecore
{
inline HINSTANCE ThisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
} // namespace suitecore
