// A CMarkup whose position array the tests can read and check.
#pragma once

#include <suitecore/markup.h>

#include <string>
#include <vector>

class CMarkupProbe : public CMarkup
{
public:
    using CMarkup::ElemPos;

    INT_PTR PosArraySize() const { return m_aPos.GetSize(); }
    const ElemPos& Pos(int i) const { return m_aPos[i]; }
    int Root() const { return m_aPos[0].iElemChild; }
    int Current() const { return m_iPos; }
    int Parent() const { return m_iPosParent; }
    int Child() const { return m_iPosChild; }
    // Navigation the class offers no way to: anywhere in the tree, for edits in the middle.
    void MoveTo(int iParent, int iCurrent, int iChild)
    {
        m_iPosParent = iParent;
        m_iPos = iCurrent;
        m_iPosChild = iChild;
        m_nNodeType = iCurrent ? 1 : 0;
    }

    // Text of the start tag of element i, from "<" to ">".
    std::wstring StartTag(int i) const
    {
        const ElemPos& p = m_aPos[i];
        return std::wstring(m_strDoc.GetString() + p.nStartL, static_cast<size_t>(p.nStartR - p.nStartL + 1));
    }

    // Checks that every element's offsets point where they should and that the links form one
    // tree inside the document; empty when all is well, else what is wrong. Walks with its own
    // stack, as documents under test may nest deeper than the call stack allows.
    std::string Check() const
    {
        const int len = m_strDoc.GetLength();
        const wchar_t* doc = m_strDoc.GetString();
        if (m_iPosFree < 1 || m_iPosFree > m_aPos.GetSize())
            return "next free position outside the array";
        struct Level
        {
            int iParent, iNext, nPrevEnd, nTo;
        };
        std::vector<Level> stack{{0, m_aPos[0].iElemChild, -1, len}};
        int seen = 0;
        while (!stack.empty())
        {
            Level& level = stack.back();
            const int i = level.iNext;
            if (!i)
            {
                stack.pop_back();
                continue;
            }
            if (i < 0 || i >= m_iPosFree || ++seen >= m_iPosFree)
                return "link outside the used positions or a cycle";
            const ElemPos& p = m_aPos[i];
            const std::string name = "element " + std::to_string(i);
            if (!(level.nPrevEnd < p.nStartL && p.nStartL < p.nStartR && p.nStartR <= p.nEndR && p.nEndL <= p.nEndR &&
                  p.nEndR < level.nTo) ||
                p.iElemParent != level.iParent)
                return name + " out of order or misparented";
            const bool empty = p.nStartR == p.nEndR;
            if (doc[p.nStartL] != L'<' || doc[p.nStartR] != L'>' || doc[p.nEndR] != L'>' ||
                (empty ? (p.nEndL != p.nEndR - 1 || doc[p.nEndL] != L'/')
                       : (p.nEndL <= p.nStartR || doc[p.nEndL] != L'<')))
                return name + " offsets do not point at its tags";
            if (empty && p.iElemChild)
                return name + " is empty yet has children";
            level.nPrevEnd = p.nEndR;
            level.iNext = p.iElemNext;
            stack.push_back({i, p.iElemChild, p.nStartR, empty ? p.nEndR : p.nEndL});
        }
        if (seen != m_iPosFree - 1)
            return "elements not reachable from the root: " + std::to_string(m_iPosFree - 1 - seen);
        return std::string();
    }
};
