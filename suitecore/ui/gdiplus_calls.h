// The GDI+ calls of the image classes, kept in a unit of their own: the GDI+ wrapper classes'
// type information stays out of the library's exports.
#pragma once

#include <windows.h>

#include <objidl.h>

namespace Gdiplus
{
class Bitmap;
}

namespace suitecore::gdiplus
{
ULONG_PTR Startup();            // 0 when GDI+ does not start
void Shutdown(ULONG_PTR token);
// Each answers a new image, or null when GDI+ reports an error (nothing is then held).
Gdiplus::Bitmap* FromFile(LPCWSTR path);
Gdiplus::Bitmap* FromStream(IStream* stream);
Gdiplus::Bitmap* Clone(Gdiplus::Bitmap& source);
void Dispose(Gdiplus::Bitmap* image); // null is ignored
} // namespace suitecore::gdiplus
