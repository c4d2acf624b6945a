// Owning wrappers for Win32 handles and COM pointers: each closes or releases what it holds
// when it goes out of scope. Header-only, so modules that ship alone get them too.
#pragma once

#include "framework.h"

#include <objbase.h>
#include <oleauto.h>
#include <winsvc.h>

#include <utility>

// CUniqueAny<Traits>: owns one value of Traits::type; Traits::invalid() is the empty value and
// Traits::close(value) frees it.
template <class Traits>
class CUniqueAny
{
public:
    using type = typename Traits::type;

    CUniqueAny() noexcept : m_value(Traits::invalid()) {}
    explicit CUniqueAny(type value) noexcept : m_value(value) {}
    ~CUniqueAny() { reset(); }
    CUniqueAny(CUniqueAny&& other) noexcept : m_value(other.release()) {}
    CUniqueAny& operator=(CUniqueAny&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    CUniqueAny(const CUniqueAny&) = delete;
    CUniqueAny& operator=(const CUniqueAny&) = delete;

    type get() const noexcept { return m_value; }
    bool valid() const noexcept { return m_value != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    void reset(type value = Traits::invalid()) noexcept
    {
        if (valid())
            Traits::close(m_value);
        m_value = value;
    }
    type release() noexcept { return std::exchange(m_value, Traits::invalid()); }
    // Frees the current value and hands out the address for a function that fills it.
    type* put() noexcept
    {
        reset();
        return &m_value;
    }

private:
    type m_value;
};

namespace afx_handle_traits
{
struct Handle
{
    using type = HANDLE;
    static HANDLE invalid() noexcept { return nullptr; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct FileHandle
{
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { CloseHandle(h); }
};
struct Library
{
    using type = HMODULE;
    static HMODULE invalid() noexcept { return nullptr; }
    static void close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct ServiceHandle
{
    using type = SC_HANDLE;
    static SC_HANDLE invalid() noexcept { return nullptr; }
    static void close(SC_HANDLE h) noexcept { CloseServiceHandle(h); }
};
struct RegKey
{
    using type = HKEY;
    static HKEY invalid() noexcept { return nullptr; }
    static void close(HKEY h) noexcept { RegCloseKey(h); }
};
struct FindHandle
{
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) noexcept { FindClose(h); }
};
struct MappedView
{
    using type = const void*;
    static const void* invalid() noexcept { return nullptr; }
    static void close(const void* p) noexcept { UnmapViewOfFile(p); }
};
struct LocalMemory
{
    using type = void*;
    static void* invalid() noexcept { return nullptr; }
    static void close(void* p) noexcept { LocalFree(p); }
};
struct Bitmap
{
    using type = HBITMAP;
    static HBITMAP invalid() noexcept { return nullptr; }
    static void close(HBITMAP h) noexcept { DeleteObject(h); }
};
struct Menu
{
    using type = HMENU;
    static HMENU invalid() noexcept { return nullptr; }
    static void close(HMENU h) noexcept { DestroyMenu(h); }
};
struct Bstr
{
    using type = BSTR;
    static BSTR invalid() noexcept { return nullptr; }
    static void close(BSTR text) noexcept { SysFreeString(text); }
};
} // namespace afx_handle_traits

using CUniqueHandle = CUniqueAny<afx_handle_traits::Handle>;         // null when empty
using CUniqueFileHandle = CUniqueAny<afx_handle_traits::FileHandle>; // INVALID_HANDLE_VALUE when empty
using CUniqueLibrary = CUniqueAny<afx_handle_traits::Library>;
using CUniqueServiceHandle = CUniqueAny<afx_handle_traits::ServiceHandle>;
using CUniqueRegKey = CUniqueAny<afx_handle_traits::RegKey>;
using CUniqueFindHandle = CUniqueAny<afx_handle_traits::FindHandle>; // FindFirstFile's search
using CUniqueMappedView = CUniqueAny<afx_handle_traits::MappedView>; // MapViewOfFile's view
// A LocalAlloc block, or one an API hands out to be freed with LocalFree.
using CUniqueLocal = CUniqueAny<afx_handle_traits::LocalMemory>;
using CUniqueBitmap = CUniqueAny<afx_handle_traits::Bitmap>;
using CUniqueMenu = CUniqueAny<afx_handle_traits::Menu>;
using CUniqueBstr = CUniqueAny<afx_handle_traits::Bstr>;

// Owns one reference to a COM object.
template <class T>
class CUniqueComPtr
{
public:
    CUniqueComPtr() noexcept = default;
    ~CUniqueComPtr() { reset(); }
    CUniqueComPtr(CUniqueComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CUniqueComPtr& operator=(CUniqueComPtr&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    CUniqueComPtr(const CUniqueComPtr&) = delete;
    CUniqueComPtr& operator=(const CUniqueComPtr&) = delete;

    T* get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    void reset() noexcept
    {
        if (m_p)
            std::exchange(m_p, nullptr)->Release();
    }
    // Releases the current object and hands out the address for a function that fills it.
    T** put() noexcept
    {
        reset();
        return &m_p;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* m_p = nullptr;
};

// Owns one VARIANT: VariantClear on reset and on destruction, so the BSTRs and interfaces a
// VARIANT carries are freed on every path.
class CUniqueVariant
{
public:
    CUniqueVariant() noexcept { VariantInit(&m_v); }
    ~CUniqueVariant() { VariantClear(&m_v); }
    CUniqueVariant(const CUniqueVariant&) = delete;
    CUniqueVariant& operator=(const CUniqueVariant&) = delete;
    CUniqueVariant(CUniqueVariant&& other) noexcept : m_v(other.m_v) { VariantInit(&other.m_v); }
    CUniqueVariant& operator=(CUniqueVariant&& other) noexcept
    {
        if (this != &other)
        {
            VariantClear(&m_v);
            m_v = other.m_v;
            VariantInit(&other.m_v);
        }
        return *this;
    }

    VARIANT* get() noexcept { return &m_v; }
    const VARIANT* get() const noexcept { return &m_v; }
    const VARIANT& operator*() const noexcept { return m_v; }
    void reset() noexcept { VariantClear(&m_v); }
    // Clears the current value and hands out the VARIANT for a function that fills it.
    VARIANT* put() noexcept
    {
        VariantClear(&m_v);
        return &m_v;
    }
    // Takes a new BSTR copy of the text; false when memory ran out.
    bool SetString(LPCWSTR text) noexcept
    {
        VariantClear(&m_v);
        BSTR copy = SysAllocString(text ? text : L"");
        if (!copy)
            return false;
        V_VT(&m_v) = VT_BSTR;
        V_BSTR(&m_v) = copy;
        return true;
    }

private:
    VARIANT m_v;
};

// CoInitialize for the lifetime of the object; CoUninitialize only when it succeeded.
class CComApartment
{
public:
    CComApartment() noexcept : m_hr(CoInitialize(nullptr)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;
    HRESULT Result() const noexcept { return m_hr; }

private:
    HRESULT m_hr;
};
