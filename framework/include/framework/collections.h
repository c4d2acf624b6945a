// The framework's containers: CArray and its named arrays, CStringList and CMapStringToString.
// Every container serialises as a count in the archive's count encoding followed by its
// elements.
#pragma once

#include "archive.h"
#include "exception.h"
#include "object.h"
#include "string.h"

#include <climits>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

struct __POSITION
{
};
typedef __POSITION* POSITION;

// Element serialisation: raw little-endian bytes by default, strings one by one.
template <class TYPE>
void SerializeElements(CArchive& ar, TYPE* pElements, INT_PTR nCount)
{
    static_assert(std::is_trivially_copyable_v<TYPE>, "give this element type a SerializeElements of its own");
    const ULONGLONG bytes = static_cast<ULONGLONG>(nCount) * sizeof(TYPE);
    if (bytes > UINT_MAX)
        AfxThrowArchiveException(CArchiveException::bufferFull);
    if (ar.IsStoring())
        ar.Write(pElements, static_cast<UINT>(bytes));
    else
        ar.EnsureRead(pElements, static_cast<UINT>(bytes));
}

template <>
inline void SerializeElements<CString>(CArchive& ar, CString* pElements, INT_PTR nCount)
{
    for (INT_PTR i = 0; i < nCount; ++i)
    {
        if (ar.IsStoring())
            ar << pElements[i];
        else
            ar >> pElements[i];
    }
}

// The fewest archive bytes one element takes; loaders check stored counts against it.
// Specialise it for an element type whose SerializeElements writes less than its size.
template <class TYPE>
constexpr UINT MinArchivedElementSize()
{
    if constexpr (std::is_trivially_copyable_v<TYPE>)
        return static_cast<UINT>(sizeof(TYPE));
    else
        return 1;
}

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject
{
public:
    CArray() = default;
    CArray(const CArray& other) : CObject() { Copy(other); }
    CArray& operator=(const CArray& other)
    {
        if (this != &other)
            Copy(other);
        return *this;
    }
    ~CArray() override { Release(); }

    INT_PTR GetSize() const { return m_nSize; }
    INT_PTR GetCount() const { return m_nSize; }
    BOOL IsEmpty() const { return m_nSize == 0; }
    INT_PTR GetUpperBound() const { return m_nSize - 1; }
    INT_PTR GetGrowBy() const { return m_nGrowBy; }
    INT_PTR GetAllocSize() const { return m_nMaxSize; }  // elements allocated

    // Grows or shrinks to nNewSize; nGrowBy >= 0 also sets the grow-by (0: an eighth of the
    // size, at least 4 and at most 1024 elements).
    void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1);
    void FreeExtra();
    void RemoveAll() { SetSize(0, -1); }

    // Element access; an index outside the array throws CInvalidArgException.
    const TYPE& GetAt(INT_PTR nIndex) const { return m_pData[CheckIndex(nIndex)]; }
    TYPE& GetAt(INT_PTR nIndex) { return m_pData[CheckIndex(nIndex)]; }
    void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_pData[CheckIndex(nIndex)] = newElement; }
    const TYPE& ElementAt(INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& ElementAt(INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return GetAt(nIndex); }
    const TYPE* GetData() const { return m_pData; }
    TYPE* GetData() { return m_pData; }

    void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement);
    INT_PTR Add(ARG_TYPE newElement);
    INT_PTR Append(const CArray& src);
    void Copy(const CArray& src);
    void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1);
    void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray);
    void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1);

    void Serialize(CArchive& ar) override;

private:
    INT_PTR CheckIndex(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nSize)
            AfxThrowInvalidArgException();
        return nIndex;
    }
    static TYPE* Allocate(INT_PTR nCount);
    static void Construct(TYPE* p, INT_PTR nCount);
    static void Destroy(TYPE* p, INT_PTR nCount);
    // Moves nCount elements into raw memory at pTarget and ends their lives at pSource.
    static void Relocate(TYPE* pTarget, TYPE* pSource, INT_PTR nCount);
    void Release();

    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = 0;
};

template <class TYPE, class ARG_TYPE>
TYPE* CArray<TYPE, ARG_TYPE>::Allocate(INT_PTR nCount)
{
    if (nCount < 0 || static_cast<size_t>(nCount) > SIZE_MAX / sizeof(TYPE))
        AfxThrowInvalidArgException();
    void* p = ::operator new(static_cast<size_t>(nCount) * sizeof(TYPE), std::nothrow);
    if (!p && nCount)
        AfxThrowMemoryException();
    return static_cast<TYPE*>(p);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Construct(TYPE* p, INT_PTR nCount)
{
    if constexpr (std::is_trivially_default_constructible_v<TYPE>)
        memset(static_cast<void*>(p), 0, static_cast<size_t>(nCount) * sizeof(TYPE));
    else
        for (INT_PTR i = 0; i < nCount; ++i)
            ::new (static_cast<void*>(p + i)) TYPE();
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Destroy(TYPE* p, INT_PTR nCount)
{
    if constexpr (!std::is_trivially_destructible_v<TYPE>)
        for (INT_PTR i = 0; i < nCount; ++i)
            p[i].~TYPE();
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Relocate(TYPE* pTarget, TYPE* pSource, INT_PTR nCount)
{
    if (nCount <= 0 || pTarget == pSource)
        return;
    if constexpr (std::is_trivially_copyable_v<TYPE>)
    {
        memmove(static_cast<void*>(pTarget), static_cast<const void*>(pSource), static_cast<size_t>(nCount) * sizeof(TYPE));
    }
    else if (pTarget < pSource)
    {
        for (INT_PTR i = 0; i < nCount; ++i)
        {
            ::new (static_cast<void*>(pTarget + i)) TYPE(std::move(pSource[i]));
            pSource[i].~TYPE();
        }
    }
    else
    {
        for (INT_PTR i = nCount - 1; i >= 0; --i)
        {
            ::new (static_cast<void*>(pTarget + i)) TYPE(std::move(pSource[i]));
            pSource[i].~TYPE();
        }
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Release()
{
    Destroy(m_pData, m_nSize);
    ::operator delete(m_pData);
    m_pData = nullptr;
    m_nSize = m_nMaxSize = 0;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetSize(INT_PTR nNewSize, INT_PTR nGrowBy)
{
    if (nNewSize < 0)
        AfxThrowInvalidArgException();
    if (nGrowBy >= 0)
        m_nGrowBy = nGrowBy;

    if (nNewSize == 0)
    {
        Release();
        return;
    }
    if (!m_pData)
    {
        const INT_PTR nAlloc = nNewSize > m_nGrowBy ? nNewSize : m_nGrowBy;
        m_pData = Allocate(nAlloc);
        Construct(m_pData, nNewSize);
        m_nSize = nNewSize;
        m_nMaxSize = nAlloc;
        return;
    }
    if (nNewSize <= m_nMaxSize)
    {
        if (nNewSize > m_nSize)
            Construct(m_pData + m_nSize, nNewSize - m_nSize);
        else
            Destroy(m_pData + nNewSize, m_nSize - nNewSize);
        m_nSize = nNewSize;
        return;
    }

    INT_PTR nGrowArrayBy = m_nGrowBy;
    if (nGrowArrayBy == 0)
    {
        nGrowArrayBy = m_nSize / 8;
        nGrowArrayBy = nGrowArrayBy < 4 ? 4 : (nGrowArrayBy > 1024 ? 1024 : nGrowArrayBy);
    }
    const INT_PTR nNewMax = nNewSize < m_nMaxSize + nGrowArrayBy ? m_nMaxSize + nGrowArrayBy : nNewSize;
    TYPE* pNewData = Allocate(nNewMax);
    Relocate(pNewData, m_pData, m_nSize);
    Construct(pNewData + m_nSize, nNewSize - m_nSize);
    ::operator delete(m_pData);
    m_pData = pNewData;
    m_nSize = nNewSize;
    m_nMaxSize = nNewMax;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::FreeExtra()
{
    if (m_nSize == m_nMaxSize)
        return;
    if (m_nSize == 0)
    {
        Release();
        return;
    }
    TYPE* pNewData = Allocate(m_nSize);
    Relocate(pNewData, m_pData, m_nSize);
    ::operator delete(m_pData);
    m_pData = pNewData;
    m_nMaxSize = m_nSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement)
{
    if (nIndex < 0)
        AfxThrowInvalidArgException();
    if (nIndex >= m_nSize)
    {
        TYPE copy(newElement);  // the element may live in this array
        SetSize(nIndex + 1, -1);
        m_pData[nIndex] = std::move(copy);
        return;
    }
    m_pData[nIndex] = newElement;
}

template <class TYPE, class ARG_TYPE>
INT_PTR CArray<TYPE, ARG_TYPE>::Add(ARG_TYPE newElement)
{
    const INT_PTR nIndex = m_nSize;
    SetAtGrow(nIndex, newElement);
    return nIndex;
}

template <class TYPE, class ARG_TYPE>
INT_PTR CArray<TYPE, ARG_TYPE>::Append(const CArray& src)
{
    if (this == &src)
        AfxThrowInvalidArgException();
    const INT_PTR nOldSize = m_nSize;
    SetSize(m_nSize + src.m_nSize, -1);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[nOldSize + i] = src.m_pData[i];
    return nOldSize;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Copy(const CArray& src)
{
    if (this == &src)
        return;
    SetSize(src.m_nSize, -1);
    for (INT_PTR i = 0; i < src.m_nSize; ++i)
        m_pData[i] = src.m_pData[i];
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount)
{
    if (nIndex < 0 || nCount <= 0)
        AfxThrowInvalidArgException();
    TYPE copy(newElement);  // the element may live in this array
    if (nIndex >= m_nSize)
    {
        SetSize(nIndex + nCount, -1);  // inserting past the end grows the array
    }
    else
    {
        const INT_PTR nOldSize = m_nSize;
        SetSize(m_nSize + nCount, -1);
        // The new tail was default-constructed; shift the old elements over it.
        Destroy(m_pData + nOldSize, nCount);
        Relocate(m_pData + nIndex + nCount, m_pData + nIndex, nOldSize - nIndex);
        Construct(m_pData + nIndex, nCount);
    }
    for (INT_PTR i = 0; i + 1 < nCount; ++i)
        m_pData[nIndex + i] = copy;
    m_pData[nIndex + nCount - 1] = std::move(copy);
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::InsertAt(INT_PTR nStartIndex, const CArray* pNewArray)
{
    if (!pNewArray || nStartIndex < 0 || pNewArray == this)
        AfxThrowInvalidArgException();
    if (pNewArray->GetSize() > 0)
    {
        InsertAt(nStartIndex, pNewArray->GetAt(0), pNewArray->GetSize());
        for (INT_PTR i = 0; i < pNewArray->GetSize(); ++i)
            SetAt(nStartIndex + i, pNewArray->GetAt(i));
    }
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::RemoveAt(INT_PTR nIndex, INT_PTR nCount)
{
    if (nIndex < 0 || nCount < 0 || nIndex > m_nSize || nCount > m_nSize - nIndex)
        AfxThrowInvalidArgException();
    if (nCount == 0)
        return;
    Destroy(m_pData + nIndex, nCount);
    Relocate(m_pData + nIndex, m_pData + nIndex + nCount, m_nSize - nIndex - nCount);
    m_nSize -= nCount;
}

template <class TYPE, class ARG_TYPE>
void CArray<TYPE, ARG_TYPE>::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(m_nSize));
    }
    else
    {
        const DWORD_PTR nCount = ar.ReadCount();
        ar.CheckCount(nCount, MinArchivedElementSize<TYPE>());
        SetSize(static_cast<INT_PTR>(nCount), -1);
    }
    SerializeElements<TYPE>(ar, m_pData, m_nSize);
}

class CStringArray : public CArray<CString, const CString&>
{
public:
    using CArray::CArray;
    INT_PTR Add(LPCWSTR newElement) { return CArray::Add(CString(newElement)); }
    INT_PTR Add(const CString& newElement) { return CArray::Add(newElement); }
};

class CByteArray : public CArray<BYTE, BYTE>
{
};

class CWordArray : public CArray<WORD, WORD>
{
};

class CDWordArray : public CArray<DWORD, DWORD>
{
};

class CUIntArray : public CArray<UINT, UINT>
{
};

class CPtrArray : public CArray<void*, void*>
{
public:
    // Pointers are not serialisable.
    void Serialize(CArchive&) override { AfxThrowNotSupportedException(); }
};

class FRAMEWORK_API CStringList : public CObject
{
    DECLARE_SERIAL(CStringList)
public:
    explicit CStringList(INT_PTR nBlockSize = 10);
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;
    ~CStringList() override;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // Head and tail; on an empty list they throw CInvalidArgException.
    CString& GetHead();
    const CString& GetHead() const;
    CString& GetTail();
    const CString& GetTail() const;
    CString RemoveHead();
    CString RemoveTail();

    POSITION AddHead(LPCWSTR newElement);
    POSITION AddTail(LPCWSTR newElement);
    void AddHead(const CStringList* pNewList);
    void AddTail(const CStringList* pNewList);
    void RemoveAll();

    POSITION GetHeadPosition() const;
    POSITION GetTailPosition() const;
    CString& GetNext(POSITION& rPosition);
    const CString& GetNext(POSITION& rPosition) const;
    CString& GetPrev(POSITION& rPosition);
    const CString& GetPrev(POSITION& rPosition) const;
    CString& GetAt(POSITION position);
    const CString& GetAt(POSITION position) const;
    void SetAt(POSITION pos, LPCWSTR newElement);
    void RemoveAt(POSITION position);
    POSITION InsertBefore(POSITION position, LPCWSTR newElement);
    POSITION InsertAfter(POSITION position, LPCWSTR newElement);

    // Searches from the head, or after startAfter; null when not found.
    POSITION Find(LPCWSTR searchValue, POSITION startAfter = nullptr) const;
    POSITION FindIndex(INT_PTR nIndex) const;

    void Serialize(CArchive& ar) override;

private:
    struct CNode;
    CNode* NewNode(CNode* pPrev, CNode* pNext, LPCWSTR value);
    void FreeNode(CNode* pNode);
    static CNode* NodeOf(POSITION position);

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
    INT_PTR m_nBlockSize;
};

class FRAMEWORK_API CMapStringToString : public CObject
{
    DECLARE_SERIAL(CMapStringToString)
public:
    // nBlockSize: how many associations are allocated at a time.
    explicit CMapStringToString(INT_PTR nBlockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;
    ~CMapStringToString() override;

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }
    INT_PTR GetBlockSize() const { return m_nBlockSize; }

    BOOL Lookup(LPCWSTR key, CString& rValue) const;
    BOOL LookupKey(LPCWSTR key, LPCWSTR& rKey) const;
    CString& operator[](LPCWSTR key);
    void SetAt(LPCWSTR key, LPCWSTR newValue);
    BOOL RemoveKey(LPCWSTR key);
    void RemoveAll();

    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const;

    // Sets the number of hash buckets; only while the map is empty.
    void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE);
    static UINT HashKey(LPCWSTR key);

    void Serialize(CArchive& ar) override;

private:
    struct CAssoc;
    struct CBlock;
    CAssoc* GetAssocAt(LPCWSTR key, UINT& nHashBucket, UINT& nHashValue) const;
    CAssoc* NewAssoc(LPCWSTR key);
    void FreeAssoc(CAssoc* pAssoc);

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    INT_PTR m_nCount = 0;
    CAssoc* m_pFreeList = nullptr;
    CBlock* m_pBlocks = nullptr;
    INT_PTR m_nBlockSize;
};

// A doubly linked list of TYPE, walked by POSITION. Positions stay valid until their element
// is removed.
template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject
{
public:
    CList() = default;
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;
    ~CList() override { RemoveAll(); }

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }

    // Head and tail; on an empty list they throw CInvalidArgException.
    TYPE& GetHead() { return Checked(m_pNodeHead)->data; }
    const TYPE& GetHead() const { return Checked(m_pNodeHead)->data; }
    TYPE& GetTail() { return Checked(m_pNodeTail)->data; }
    const TYPE& GetTail() const { return Checked(m_pNodeTail)->data; }
    TYPE RemoveHead()
    {
        CNode* pNode = Checked(m_pNodeHead);
        TYPE value = std::move(pNode->data);
        Unlink(pNode);
        return value;
    }
    TYPE RemoveTail()
    {
        CNode* pNode = Checked(m_pNodeTail);
        TYPE value = std::move(pNode->data);
        Unlink(pNode);
        return value;
    }

    POSITION AddHead(ARG_TYPE newElement) { return Link(nullptr, m_pNodeHead, newElement); }
    POSITION AddTail(ARG_TYPE newElement) { return Link(m_pNodeTail, nullptr, newElement); }
    void AddHead(const CList* pNewList)
    {
        // Walk backwards so that the other list keeps its order at the front.
        for (CNode* p = pNewList ? pNewList->m_pNodeTail : nullptr; p; p = p->pPrev)
            AddHead(p->data);
    }
    void AddTail(const CList* pNewList)
    {
        for (CNode* p = pNewList ? pNewList->m_pNodeHead : nullptr; p; p = p->pNext)
            AddTail(p->data);
    }
    void RemoveAll()
    {
        while (m_pNodeHead)
            Unlink(m_pNodeHead);
    }

    POSITION GetHeadPosition() const { return Pos(m_pNodeHead); }
    POSITION GetTailPosition() const { return Pos(m_pNodeTail); }
    TYPE& GetNext(POSITION& rPosition)
    {
        CNode* pNode = NodeOf(rPosition);
        rPosition = Pos(pNode->pNext);
        return pNode->data;
    }
    const TYPE& GetNext(POSITION& rPosition) const
    {
        CNode* pNode = NodeOf(rPosition);
        rPosition = Pos(pNode->pNext);
        return pNode->data;
    }
    TYPE& GetPrev(POSITION& rPosition)
    {
        CNode* pNode = NodeOf(rPosition);
        rPosition = Pos(pNode->pPrev);
        return pNode->data;
    }
    const TYPE& GetPrev(POSITION& rPosition) const
    {
        CNode* pNode = NodeOf(rPosition);
        rPosition = Pos(pNode->pPrev);
        return pNode->data;
    }
    TYPE& GetAt(POSITION position) { return NodeOf(position)->data; }
    const TYPE& GetAt(POSITION position) const { return NodeOf(position)->data; }
    void SetAt(POSITION pos, ARG_TYPE newElement) { NodeOf(pos)->data = newElement; }
    void RemoveAt(POSITION position) { Unlink(NodeOf(position)); }
    POSITION InsertBefore(POSITION position, ARG_TYPE newElement)
    {
        if (!position)
            return AddHead(newElement);
        CNode* pNode = NodeOf(position);
        return Link(pNode->pPrev, pNode, newElement);
    }
    POSITION InsertAfter(POSITION position, ARG_TYPE newElement)
    {
        if (!position)
            return AddTail(newElement);
        CNode* pNode = NodeOf(position);
        return Link(pNode, pNode->pNext, newElement);
    }

    // Searches from the head, or after startAfter, comparing with ==; null when not found.
    POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const
    {
        for (CNode* p = startAfter ? NodeOf(startAfter)->pNext : m_pNodeHead; p; p = p->pNext)
        {
            if (p->data == searchValue)
                return Pos(p);
        }
        return nullptr;
    }
    POSITION FindIndex(INT_PTR nIndex) const
    {
        if (nIndex < 0 || nIndex >= m_nCount)
            return nullptr;
        CNode* p = m_pNodeHead;
        while (nIndex-- > 0)
            p = p->pNext;
        return Pos(p);
    }

private:
    struct CNode
    {
        CNode* pNext;
        CNode* pPrev;
        TYPE data;
    };
    static POSITION Pos(CNode* pNode) { return reinterpret_cast<POSITION>(pNode); }
    static CNode* NodeOf(POSITION position)
    {
        if (!position)
            AfxThrowInvalidArgException();
        return reinterpret_cast<CNode*>(position);
    }
    static CNode* Checked(CNode* pNode)
    {
        if (!pNode)
            AfxThrowInvalidArgException();
        return pNode;
    }
    POSITION Link(CNode* pPrev, CNode* pNext, ARG_TYPE value)
    {
        CNode* pNode = new CNode{pNext, pPrev, value};
        (pPrev ? pPrev->pNext : m_pNodeHead) = pNode;
        (pNext ? pNext->pPrev : m_pNodeTail) = pNode;
        ++m_nCount;
        return Pos(pNode);
    }
    void Unlink(CNode* pNode)
    {
        (pNode->pPrev ? pNode->pPrev->pNext : m_pNodeHead) = pNode->pNext;
        (pNode->pNext ? pNode->pNext->pPrev : m_pNodeTail) = pNode->pPrev;
        --m_nCount;
        delete pNode;
    }

    CNode* m_pNodeHead = nullptr;
    CNode* m_pNodeTail = nullptr;
    INT_PTR m_nCount = 0;
};

// A pointer array that hands out TYPE (a pointer type) instead of void*.
template <class BASE_CLASS, class TYPE>
class CTypedPtrArray : public BASE_CLASS
{
public:
    TYPE GetAt(INT_PTR nIndex) const { return static_cast<TYPE>(BASE_CLASS::GetAt(nIndex)); }
    TYPE& ElementAt(INT_PTR nIndex) { return reinterpret_cast<TYPE&>(BASE_CLASS::ElementAt(nIndex)); }
    void SetAt(INT_PTR nIndex, TYPE ptr) { BASE_CLASS::SetAt(nIndex, ptr); }
    void SetAtGrow(INT_PTR nIndex, TYPE newElement) { BASE_CLASS::SetAtGrow(nIndex, newElement); }
    INT_PTR Add(TYPE newElement) { return BASE_CLASS::Add(newElement); }
    INT_PTR Append(const CTypedPtrArray& src) { return BASE_CLASS::Append(src); }
    void Copy(const CTypedPtrArray& src) { BASE_CLASS::Copy(src); }
    void InsertAt(INT_PTR nIndex, TYPE newElement, INT_PTR nCount = 1)
    {
        BASE_CLASS::InsertAt(nIndex, newElement, nCount);
    }
    TYPE operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
    TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }
};
