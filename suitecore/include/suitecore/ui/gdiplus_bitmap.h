// GDI+ images loaded from files or from resources (the suite's PNG pictures, type "PNG").
//
// GDI+ must be running while any of these objects holds an image: the application class
// starts it; tests and tools without one hold a CGdiPlusToken.
//
// Every object owns its own image: a copy holds a clone of the image (the resource class
// decodes its own copy of the resource bytes), so destroying the original, the copies or any
// of them in any order frees each image exactly once. Drawing code uses m_pBitmap and skips
// an object whose pointer is null.
#pragma once

#include "../suitecore.h"

namespace Gdiplus
{
class Bitmap;
}

// Starts GDI+ for the object's lifetime and shuts it down afterwards. Started() is false when
// GDI+ could not be started.
class SUITECORE_API CGdiPlusToken
{
public:
    CGdiPlusToken();
    ~CGdiPlusToken();
    CGdiPlusToken(const CGdiPlusToken&) = delete;
    CGdiPlusToken& operator=(const CGdiPlusToken&) = delete;
    bool Started() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

class SUITECORE_API CGdiPlusBitmap
{
public:
    CGdiPlusBitmap() = default;
    explicit CGdiPlusBitmap(LPCWSTR lpszPath); // LoadFromFile; empty when it fails
    CGdiPlusBitmap(const CGdiPlusBitmap& other);
    CGdiPlusBitmap& operator=(const CGdiPlusBitmap& other);
    virtual ~CGdiPlusBitmap();

    // Replaces any image held. True when GDI+ decoded the file; else the object is empty.
    bool LoadFromFile(LPCWSTR lpszPath);
    // Frees the image and clears the pointer.
    void Release();
    bool IsEmpty() const { return m_pBitmap == nullptr; }
    operator Gdiplus::Bitmap*() const { return m_pBitmap; }

    Gdiplus::Bitmap* m_pBitmap = nullptr;

protected:
    // A clone of the other object's image, or empty when it has none or cloning fails.
    void CopyImageFrom(const CGdiPlusBitmap& other);
};

class SUITECORE_API CGdiPlusBitmapResource : public CGdiPlusBitmap
{
public:
    CGdiPlusBitmapResource() = default;
    // Each loads at once; a failed load leaves the object empty, unreported. A null module
    // means the first module of the framework's resource search that holds the resource.
    CGdiPlusBitmapResource(LPCWSTR lpszName, LPCWSTR lpszType, HMODULE hModule = nullptr);
    CGdiPlusBitmapResource(UINT nID, LPCWSTR lpszType, HMODULE hModule = nullptr);
    CGdiPlusBitmapResource(UINT nID, UINT nType, HMODULE hModule = nullptr);
    CGdiPlusBitmapResource(const CGdiPlusBitmapResource& other);
    CGdiPlusBitmapResource& operator=(const CGdiPlusBitmapResource& other);
    ~CGdiPlusBitmapResource() override;

    // Replaces any image held: copies the resource's bytes into movable memory and decodes
    // them from a stream on it; the memory stays locked for the image's lifetime. True on
    // success; on any failure the object is empty and holds no memory.
    bool LoadFromResource(LPCWSTR lpszName, LPCWSTR lpszType, HMODULE hModule = nullptr);
    bool LoadFromResource(UINT nID, LPCWSTR lpszType, HMODULE hModule = nullptr);
    bool LoadFromResource(UINT nID, UINT nType, HMODULE hModule = nullptr);
    // Release, then frees the bytes.
    void FreeBuffer();

    HGLOBAL m_hBuffer = nullptr; // the resource's bytes, locked while the image lives

private:
    // Decodes the bytes into an image of this object's own; takes over hBuffer either way.
    bool DecodeBuffer(HGLOBAL hBuffer);
    void CopyFrom(const CGdiPlusBitmapResource& other);
};
