#include "framework/collections.h"

#include <cstdlib>

// ---------------------------------------------------------------------------------------------
// CStringList: a doubly linked list of strings; POSITION is a node pointer.

IMPLEMENT_SERIAL(CStringList, CObject, 0)

struct CStringList::CNode
{
    CNode* pNext;
    CNode* pPrev;
    CString data;
};

CStringList::CStringList(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CStringList::~CStringList() { RemoveAll(); }

CStringList::CNode* CStringList::NewNode(CNode* pPrev, CNode* pNext, LPCWSTR value)
{
    CNode* node = new (std::nothrow) CNode{pNext, pPrev, CString()};
    if (!node)
        AfxThrowMemoryException();
    try
    {
        node->data = value;
    }
    catch (...)
    {
        delete node;
        throw;
    }
    ++m_nCount;
    return node;
}

void CStringList::FreeNode(CNode* pNode)
{
    delete pNode;
    --m_nCount;
}

CStringList::CNode* CStringList::NodeOf(POSITION position)
{
    if (!position)
        AfxThrowInvalidArgException();
    return reinterpret_cast<CNode*>(position);
}

CString& CStringList::GetHead()
{
    if (!m_pNodeHead)
        AfxThrowInvalidArgException();
    return m_pNodeHead->data;
}

const CString& CStringList::GetHead() const
{
    if (!m_pNodeHead)
        AfxThrowInvalidArgException();
    return m_pNodeHead->data;
}

CString& CStringList::GetTail()
{
    if (!m_pNodeTail)
        AfxThrowInvalidArgException();
    return m_pNodeTail->data;
}

const CString& CStringList::GetTail() const
{
    if (!m_pNodeTail)
        AfxThrowInvalidArgException();
    return m_pNodeTail->data;
}

CString CStringList::RemoveHead()
{
    CNode* old = NodeOf(reinterpret_cast<POSITION>(m_pNodeHead));
    CString value = std::move(old->data);
    m_pNodeHead = old->pNext;
    if (m_pNodeHead)
        m_pNodeHead->pPrev = nullptr;
    else
        m_pNodeTail = nullptr;
    FreeNode(old);
    return value;
}

CString CStringList::RemoveTail()
{
    CNode* old = NodeOf(reinterpret_cast<POSITION>(m_pNodeTail));
    CString value = std::move(old->data);
    m_pNodeTail = old->pPrev;
    if (m_pNodeTail)
        m_pNodeTail->pNext = nullptr;
    else
        m_pNodeHead = nullptr;
    FreeNode(old);
    return value;
}

POSITION CStringList::AddHead(LPCWSTR newElement)
{
    CNode* node = NewNode(nullptr, m_pNodeHead, newElement);
    if (m_pNodeHead)
        m_pNodeHead->pPrev = node;
    else
        m_pNodeTail = node;
    m_pNodeHead = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::AddTail(LPCWSTR newElement)
{
    CNode* node = NewNode(m_pNodeTail, nullptr, newElement);
    if (m_pNodeTail)
        m_pNodeTail->pNext = node;
    else
        m_pNodeHead = node;
    m_pNodeTail = node;
    return reinterpret_cast<POSITION>(node);
}

void CStringList::AddHead(const CStringList* pNewList)
{
    if (!pNewList || pNewList == this)
        AfxThrowInvalidArgException();
    for (CNode* n = pNewList->m_pNodeTail; n; n = n->pPrev)
        AddHead(n->data);
}

void CStringList::AddTail(const CStringList* pNewList)
{
    if (!pNewList || pNewList == this)
        AfxThrowInvalidArgException();
    for (CNode* n = pNewList->m_pNodeHead; n; n = n->pNext)
        AddTail(n->data);
}

void CStringList::RemoveAll()
{
    CNode* n = m_pNodeHead;
    while (n)
    {
        CNode* next = n->pNext;
        delete n;
        n = next;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
}

POSITION CStringList::GetHeadPosition() const { return reinterpret_cast<POSITION>(m_pNodeHead); }

POSITION CStringList::GetTailPosition() const { return reinterpret_cast<POSITION>(m_pNodeTail); }

CString& CStringList::GetNext(POSITION& rPosition)
{
    CNode* node = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pNext);
    return node->data;
}

const CString& CStringList::GetNext(POSITION& rPosition) const
{
    CNode* node = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pNext);
    return node->data;
}

CString& CStringList::GetPrev(POSITION& rPosition)
{
    CNode* node = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pPrev);
    return node->data;
}

const CString& CStringList::GetPrev(POSITION& rPosition) const
{
    CNode* node = NodeOf(rPosition);
    rPosition = reinterpret_cast<POSITION>(node->pPrev);
    return node->data;
}

CString& CStringList::GetAt(POSITION position) { return NodeOf(position)->data; }

const CString& CStringList::GetAt(POSITION position) const { return NodeOf(position)->data; }

void CStringList::SetAt(POSITION pos, LPCWSTR newElement) { NodeOf(pos)->data = newElement; }

void CStringList::RemoveAt(POSITION position)
{
    CNode* old = NodeOf(position);
    if (old == m_pNodeHead)
        m_pNodeHead = old->pNext;
    else
        old->pPrev->pNext = old->pNext;
    if (old == m_pNodeTail)
        m_pNodeTail = old->pPrev;
    else
        old->pNext->pPrev = old->pPrev;
    FreeNode(old);
}

POSITION CStringList::InsertBefore(POSITION position, LPCWSTR newElement)
{
    if (!position)
        return AddHead(newElement);
    CNode* old = NodeOf(position);
    CNode* node = NewNode(old->pPrev, old, newElement);
    if (old->pPrev)
        old->pPrev->pNext = node;
    else
        m_pNodeHead = node;
    old->pPrev = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::InsertAfter(POSITION position, LPCWSTR newElement)
{
    if (!position)
        return AddTail(newElement);
    CNode* old = NodeOf(position);
    CNode* node = NewNode(old, old->pNext, newElement);
    if (old->pNext)
        old->pNext->pPrev = node;
    else
        m_pNodeTail = node;
    old->pNext = node;
    return reinterpret_cast<POSITION>(node);
}

POSITION CStringList::Find(LPCWSTR searchValue, POSITION startAfter) const
{
    const CString value(searchValue);
    CNode* n = startAfter ? NodeOf(startAfter)->pNext : m_pNodeHead;
    for (; n; n = n->pNext)
        if (n->data == value)
            return reinterpret_cast<POSITION>(n);
    return nullptr;
}

POSITION CStringList::FindIndex(INT_PTR nIndex) const
{
    if (nIndex < 0 || nIndex >= m_nCount)
        return nullptr;
    CNode* n = m_pNodeHead;
    while (nIndex--)
        n = n->pNext;
    return reinterpret_cast<POSITION>(n);
}

void CStringList::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(m_nCount));
        for (CNode* n = m_pNodeHead; n; n = n->pNext)
            ar << n->data;
        return;
    }
    DWORD_PTR count = ar.ReadCount();
    ar.CheckCount(count, 1);
    CString value;
    while (count--)
    {
        ar >> value;
        AddTail(value);
    }
}

// ---------------------------------------------------------------------------------------------
// CMapStringToString: chained hash table; associations come from blocks of nBlockSize.

IMPLEMENT_SERIAL(CMapStringToString, CObject, 0)

struct CMapStringToString::CAssoc
{
    CAssoc* pNext;
    UINT nHashValue;
    CString key;
    CString value;
};

struct CMapStringToString::CBlock
{
    CBlock* pNext;
    // followed by the block's associations
    CAssoc* Data() { return reinterpret_cast<CAssoc*>(this + 1); }
};

CMapStringToString::CMapStringToString(INT_PTR nBlockSize) : m_nBlockSize(nBlockSize > 0 ? nBlockSize : 10) {}

CMapStringToString::~CMapStringToString() { RemoveAll(); }

UINT CMapStringToString::HashKey(LPCWSTR key)
{
    UINT nHash = 0;
    if (key)
        while (*key)
            nHash = (nHash << 5) + nHash + static_cast<UINT>(*key++);
    return nHash;
}

void CMapStringToString::InitHashTable(UINT hashSize, BOOL bAllocNow)
{
    if (m_nCount != 0 || hashSize == 0)
        AfxThrowInvalidArgException();
    free(m_pHashTable);
    m_pHashTable = nullptr;
    if (bAllocNow)
    {
        m_pHashTable = static_cast<CAssoc**>(calloc(hashSize, sizeof(CAssoc*)));
        if (!m_pHashTable)
            AfxThrowMemoryException();
    }
    m_nHashTableSize = hashSize;
}

CMapStringToString::CAssoc* CMapStringToString::GetAssocAt(LPCWSTR key, UINT& nHashBucket, UINT& nHashValue) const
{
    nHashValue = HashKey(key);
    nHashBucket = nHashValue % m_nHashTableSize;
    if (!m_pHashTable)
        return nullptr;
    const wchar_t* k = key ? key : L"";
    for (CAssoc* a = m_pHashTable[nHashBucket]; a; a = a->pNext)
        if (a->nHashValue == nHashValue && a->key == k)
            return a;
    return nullptr;
}

CMapStringToString::CAssoc* CMapStringToString::NewAssoc(LPCWSTR key)
{
    if (!m_pFreeList)
    {
        const size_t bytes = sizeof(CBlock) + static_cast<size_t>(m_nBlockSize) * sizeof(CAssoc);
        auto* block = static_cast<CBlock*>(malloc(bytes));
        if (!block)
            AfxThrowMemoryException();
        block->pNext = m_pBlocks;
        m_pBlocks = block;
        CAssoc* data = block->Data();
        for (INT_PTR i = m_nBlockSize - 1; i >= 0; --i)
        {
            data[i].pNext = m_pFreeList;
            m_pFreeList = &data[i];
        }
    }
    CAssoc* raw = m_pFreeList;
    CAssoc* next = raw->pNext;
    auto* assoc = ::new (static_cast<void*>(raw)) CAssoc{nullptr, 0, CString(), CString()};
    try
    {
        assoc->key = key;
    }
    catch (...)
    {
        assoc->~CAssoc();
        assoc->pNext = next;  // back on the free list, still unconstructed memory
        throw;
    }
    m_pFreeList = next;
    ++m_nCount;
    return assoc;
}

void CMapStringToString::FreeAssoc(CAssoc* pAssoc)
{
    pAssoc->~CAssoc();
    pAssoc->pNext = m_pFreeList;
    m_pFreeList = pAssoc;
    if (--m_nCount == 0)
        RemoveAll();  // give the blocks back
}

BOOL CMapStringToString::Lookup(LPCWSTR key, CString& rValue) const
{
    UINT bucket, hash;
    CAssoc* a = GetAssocAt(key, bucket, hash);
    if (!a)
        return FALSE;
    rValue = a->value;
    return TRUE;
}

BOOL CMapStringToString::LookupKey(LPCWSTR key, LPCWSTR& rKey) const
{
    UINT bucket, hash;
    CAssoc* a = GetAssocAt(key, bucket, hash);
    if (!a)
        return FALSE;
    rKey = a->key;
    return TRUE;
}

CString& CMapStringToString::operator[](LPCWSTR key)
{
    UINT bucket, hash;
    CAssoc* a = GetAssocAt(key, bucket, hash);
    if (a)
        return a->value;
    if (!m_pHashTable)
        InitHashTable(m_nHashTableSize);
    a = NewAssoc(key);
    a->nHashValue = hash;
    a->pNext = m_pHashTable[bucket];
    m_pHashTable[bucket] = a;
    return a->value;
}

void CMapStringToString::SetAt(LPCWSTR key, LPCWSTR newValue) { (*this)[key] = newValue; }

BOOL CMapStringToString::RemoveKey(LPCWSTR key)
{
    if (!m_pHashTable)
        return FALSE;
    const UINT hash = HashKey(key);
    const CString k(key);
    CAssoc** link = &m_pHashTable[hash % m_nHashTableSize];
    for (CAssoc* a = *link; a; link = &a->pNext, a = a->pNext)
    {
        if (a->nHashValue == hash && a->key == k)
        {
            *link = a->pNext;
            FreeAssoc(a);
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToString::RemoveAll()
{
    if (m_pHashTable)
    {
        for (UINT i = 0; i < m_nHashTableSize; ++i)
            for (CAssoc* a = m_pHashTable[i]; a;)
            {
                CAssoc* next = a->pNext;
                a->~CAssoc();
                a = next;
            }
        free(m_pHashTable);
        m_pHashTable = nullptr;
    }
    while (m_pBlocks)
    {
        CBlock* next = m_pBlocks->pNext;
        free(m_pBlocks);
        m_pBlocks = next;
    }
    m_pFreeList = nullptr;
    m_nCount = 0;
}

POSITION CMapStringToString::GetStartPosition() const
{
    if (m_nCount == 0 || !m_pHashTable)
        return nullptr;
    for (UINT i = 0; i < m_nHashTableSize; ++i)
        if (m_pHashTable[i])
            return reinterpret_cast<POSITION>(m_pHashTable[i]);
    return nullptr;
}

void CMapStringToString::GetNextAssoc(POSITION& rNextPosition, CString& rKey, CString& rValue) const
{
    CAssoc* a = reinterpret_cast<CAssoc*>(rNextPosition);
    if (!a || !m_pHashTable)
        AfxThrowInvalidArgException();
    rKey = a->key;
    rValue = a->value;
    CAssoc* next = a->pNext;
    for (UINT bucket = a->nHashValue % m_nHashTableSize + 1; !next && bucket < m_nHashTableSize; ++bucket)
        next = m_pHashTable[bucket];
    rNextPosition = reinterpret_cast<POSITION>(next);
}

void CMapStringToString::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring())
    {
        ar.WriteCount(static_cast<DWORD_PTR>(m_nCount));
        if (m_nCount == 0)
            return;
        for (UINT i = 0; i < m_nHashTableSize; ++i)
            for (CAssoc* a = m_pHashTable[i]; a; a = a->pNext)
                ar << a->key << a->value;
        return;
    }
    DWORD_PTR count = ar.ReadCount();
    ar.CheckCount(count, 2);
    CString key, value;
    while (count--)
    {
        ar >> key >> value;
        SetAt(key, value);
    }
}
