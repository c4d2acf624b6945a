// The binding handle -> object shared by CWnd and CMenu. Handles may be looked up from any
// thread, so the map is process-wide and locked; temporary objects (for handles nobody bound)
// are kept per thread, as each thread frees its own.
#pragma once

#include "framework/framework.h"

#include <map>
#include <unordered_map>
#include <utility>

namespace afx_impl
{
class CriticalLock
{
public:
    explicit CriticalLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~CriticalLock() { LeaveCriticalSection(&m_cs); }
    CriticalLock(const CriticalLock&) = delete;
    CriticalLock& operator=(const CriticalLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// TObject has a public handle member; Member names it, so that a temporary object can let go
// of its handle before it is deleted (a temporary never destroys what it stood for).
template <class TObject, class THandle, THandle TObject::*Member>
class HandleMap
{
public:
    HandleMap() { InitializeCriticalSectionAndSpinCount(&m_cs, 1000); }
    ~HandleMap()
    {
        for (auto& entry : m_temporary)
            DeleteTemporary(entry.second);
        DeleteCriticalSection(&m_cs);
    }
    HandleMap(const HandleMap&) = delete;
    HandleMap& operator=(const HandleMap&) = delete;

    TObject* Permanent(THandle h)
    {
        CriticalLock lock(m_cs);
        const auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }

    bool Add(THandle h, TObject* pObject)
    {
        CriticalLock lock(m_cs);
        return m_permanent.emplace(h, pObject).second;
    }

    void Remove(THandle h, TObject* pObject)
    {
        CriticalLock lock(m_cs);
        const auto it = m_permanent.find(h);
        if (it != m_permanent.end() && it->second == pObject)
            m_permanent.erase(it);
    }

    TObject* Temporary(THandle h)
    {
        const auto key = std::make_pair(GetCurrentThreadId(), h);
        CriticalLock lock(m_cs);
        const auto it = m_temporary.find(key);
        if (it != m_temporary.end())
            return it->second;
        TObject* pObject = new TObject;
        pObject->*Member = h;
        m_temporary.emplace(key, pObject);
        return pObject;
    }

    void DeleteThreadTemporaries()
    {
        const DWORD thread = GetCurrentThreadId();
        CriticalLock lock(m_cs);
        auto it = m_temporary.lower_bound(std::make_pair(thread, THandle()));
        while (it != m_temporary.end() && it->first.first == thread)
        {
            DeleteTemporary(it->second);
            it = m_temporary.erase(it);
        }
    }

    UINT ThreadTemporaryCount()
    {
        const DWORD thread = GetCurrentThreadId();
        CriticalLock lock(m_cs);
        UINT count = 0;
        for (auto it = m_temporary.lower_bound(std::make_pair(thread, THandle()));
             it != m_temporary.end() && it->first.first == thread; ++it)
            ++count;
        return count;
    }

private:
    static void DeleteTemporary(TObject* pObject)
    {
        pObject->*Member = nullptr;
        delete pObject;
    }

    CRITICAL_SECTION m_cs;
    std::unordered_map<THandle, TObject*> m_permanent;
    std::map<std::pair<DWORD, THandle>, TObject*> m_temporary;
};

// Whether the calling thread runs the application object (between AfxWinInit and
// AfxWinTerm): its temporary objects are then freed when its loop turns idle.
bool IsAppThread();

// Whether a message a loop just handled makes the loop idle again (not a mouse move that did
// not move, a paint or the caret's blink).
bool IsIdleMessage(const MSG* pMsg);

// The calling thread's temporary menus.
UINT MenuTempCount();

// Deletes the calling thread's temporary windows and menus.
void DeleteThreadTempMaps();

// The CMenu that draws an owner-drawn menu item the owner window hWndOwner was asked to
// measure, found from the item's identifier (WM_MEASUREITEM names no menu).
class CMenu* FindMenuForMeasure(HWND hWndOwner, UINT nItemID);
} // namespace afx_impl
