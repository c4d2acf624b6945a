// GDI+ images from files and resources, each object the one owner of its image and bytes.
#include "suitecore/ui/gdiplus_bitmap.h"

#include <framework/handles.h>
#include <framework/module.h>

#include "gdiplus_calls.h"

#include <objbase.h>

#include <cstring>

namespace gdip = suitecore::gdiplus;

// ---------------------------------------------------------------------------------------------
// CGdiPlusToken

CGdiPlusToken::CGdiPlusToken() : m_token(gdip::Startup()) {}

CGdiPlusToken::~CGdiPlusToken()
{
    if (m_token)
        gdip::Shutdown(m_token);
}

// ---------------------------------------------------------------------------------------------
// CGdiPlusBitmap

CGdiPlusBitmap::CGdiPlusBitmap(LPCWSTR lpszPath)
{
    LoadFromFile(lpszPath);
}

CGdiPlusBitmap::CGdiPlusBitmap(const CGdiPlusBitmap& other)
{
    CopyImageFrom(other);
}

CGdiPlusBitmap& CGdiPlusBitmap::operator=(const CGdiPlusBitmap& other)
{
    if (this != &other)
    {
        Release();
        CopyImageFrom(other);
    }
    return *this;
}

CGdiPlusBitmap::~CGdiPlusBitmap()
{
    Release();
}

bool CGdiPlusBitmap::LoadFromFile(LPCWSTR lpszPath)
{
    Release();
    if (!lpszPath)
        return false;
    // A failed image is never kept: drawing code tells an empty object by its null pointer.
    m_pBitmap = gdip::FromFile(lpszPath);
    return m_pBitmap != nullptr;
}

void CGdiPlusBitmap::Release()
{
    gdip::Dispose(m_pBitmap);
    m_pBitmap = nullptr;
}

void CGdiPlusBitmap::CopyImageFrom(const CGdiPlusBitmap& other)
{
    if (other.m_pBitmap)
        m_pBitmap = gdip::Clone(*other.m_pBitmap);
}

// ---------------------------------------------------------------------------------------------
// CGdiPlusBitmapResource

CGdiPlusBitmapResource::CGdiPlusBitmapResource(LPCWSTR lpszName, LPCWSTR lpszType, HMODULE hModule)
{
    LoadFromResource(lpszName, lpszType, hModule);
}

CGdiPlusBitmapResource::CGdiPlusBitmapResource(UINT nID, LPCWSTR lpszType, HMODULE hModule)
{
    LoadFromResource(nID, lpszType, hModule);
}

CGdiPlusBitmapResource::CGdiPlusBitmapResource(UINT nID, UINT nType, HMODULE hModule)
{
    LoadFromResource(nID, nType, hModule);
}

CGdiPlusBitmapResource::CGdiPlusBitmapResource(const CGdiPlusBitmapResource& other) : CGdiPlusBitmap()
{
    CopyFrom(other);
}

CGdiPlusBitmapResource& CGdiPlusBitmapResource::operator=(const CGdiPlusBitmapResource& other)
{
    if (this != &other)
    {
        FreeBuffer();
        CopyFrom(other);
    }
    return *this;
}

CGdiPlusBitmapResource::~CGdiPlusBitmapResource()
{
    FreeBuffer();
}

bool CGdiPlusBitmapResource::LoadFromResource(UINT nID, LPCWSTR lpszType, HMODULE hModule)
{
    return LoadFromResource(MAKEINTRESOURCEW(nID), lpszType, hModule);
}

bool CGdiPlusBitmapResource::LoadFromResource(UINT nID, UINT nType, HMODULE hModule)
{
    return LoadFromResource(MAKEINTRESOURCEW(nID), MAKEINTRESOURCEW(nType), hModule);
}

bool CGdiPlusBitmapResource::LoadFromResource(LPCWSTR lpszName, LPCWSTR lpszType, HMODULE hModule)
{
    FreeBuffer();
    if (!hModule)
        hModule = AfxFindResourceHandle(lpszName, lpszType);
    HRSRC found = hModule ? FindResourceW(hModule, lpszName, lpszType) : nullptr;
    const DWORD size = found ? SizeofResource(hModule, found) : 0;
    HGLOBAL loaded = size ? LoadResource(hModule, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return false;
    HGLOBAL buffer = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!buffer)
        return false;
    void* target = GlobalLock(buffer);
    if (!target)
    {
        GlobalFree(buffer);
        return false;
    }
    memcpy(target, bytes, size);
    return DecodeBuffer(buffer);
}

void CGdiPlusBitmapResource::FreeBuffer()
{
    Release();
    if (m_hBuffer)
    {
        GlobalUnlock(m_hBuffer);
        GlobalFree(m_hBuffer);
        m_hBuffer = nullptr;
    }
}

bool CGdiPlusBitmapResource::DecodeBuffer(HGLOBAL hBuffer)
{
    // The stream does not own the memory: the memory outlives it, as long as the image does.
    CUniqueComPtr<IStream> stream;
    Gdiplus::Bitmap* bitmap = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(hBuffer, FALSE, stream.put())))
        bitmap = gdip::FromStream(stream.get());
    stream.reset();
    if (!bitmap)
    {
        GlobalUnlock(hBuffer);
        GlobalFree(hBuffer);
        return false;
    }
    m_pBitmap = bitmap;
    m_hBuffer = hBuffer;
    return true;
}

void CGdiPlusBitmapResource::CopyFrom(const CGdiPlusBitmapResource& other)
{
    if (!other.m_pBitmap)
        return;
    if (!other.m_hBuffer)
    {
        CopyImageFrom(other);
        return;
    }
    // Its own copy of the bytes, decoded into its own image.
    const SIZE_T size = GlobalSize(other.m_hBuffer);
    HGLOBAL buffer = size ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    void* target = buffer ? GlobalLock(buffer) : nullptr;
    if (!target)
    {
        if (buffer)
            GlobalFree(buffer);
        return;
    }
    // The source stays locked for its image's lifetime; a second lock reads the same bytes.
    const void* source = GlobalLock(other.m_hBuffer);
    memcpy(target, source, size);
    GlobalUnlock(other.m_hBuffer);
    DecodeBuffer(buffer);
}
