// GDI+ through its wrapper classes.
#include "gdiplus_calls.h"

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

namespace suitecore::gdiplus
{
namespace
{
Gdiplus::Bitmap* KeepIfOk(Gdiplus::Bitmap* image)
{
    if (image && image->GetLastStatus() != Gdiplus::Ok)
    {
        delete image;
        return nullptr;
    }
    return image;
}
} // namespace

ULONG_PTR Startup()
{
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok ? token : 0;
}

void Shutdown(ULONG_PTR token)
{
    Gdiplus::GdiplusShutdown(token);
}

Gdiplus::Bitmap* FromFile(LPCWSTR path)
{
    return KeepIfOk(new Gdiplus::Bitmap(path));
}

Gdiplus::Bitmap* FromStream(IStream* stream)
{
    return KeepIfOk(new Gdiplus::Bitmap(stream));
}

Gdiplus::Bitmap* Clone(Gdiplus::Bitmap& source)
{
    return KeepIfOk(source.Clone(0, 0, static_cast<INT>(source.GetWidth()), static_cast<INT>(source.GetHeight()),
                                 source.GetPixelFormat()));
}

void Dispose(Gdiplus::Bitmap* image)
{
    delete image; // the wrapper's virtual destructor disposes of the GDI+ image
}
} // namespace suitecore::gdiplus
