// CSTBitmap: bitmaps with their sizes.
#include "suitecore/ui/stbitmap.h"

#include <framework/module.h>

CSTBitmap::CSTBitmap(UINT nIDResource)
{
    LoadBitmap(nIDResource);
}

BOOL CSTBitmap::LoadBitmap(UINT nIDResource)
{
    DeleteObject();
    m_nHeight = m_nWidth = 0;
    LPCWSTR name = MAKEINTRESOURCEW(nIDResource);
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    if (!module)
        return FALSE;
    HBITMAP bitmap = ::LoadBitmapW(module, name);
    if (!bitmap)
        return FALSE;
    if (!Attach(bitmap))
    {
        ::DeleteObject(bitmap);
        return FALSE;
    }
    BITMAP info{};
    if (GetObject(sizeof info, &info))
    {
        m_nHeight = info.bmHeight;
        m_nWidth = info.bmWidth;
    }
    return TRUE;
}
