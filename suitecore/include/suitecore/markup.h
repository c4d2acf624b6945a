// CMarkup: a small in-memory XML document. The text is kept as one string, with a parallel
// array of element positions (where each start tag, content and end tag lies), so that parsing
// costs one pass and adding an element one insert.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/string.h>

class SUITECORE_API CMarkup
{
public:
    CMarkup();
    virtual ~CMarkup();

    // Replaces the document (null means empty) and parses it. True when a root element was
    // parsed; false for an empty document or a parse error (see GetError), which leaves the text
    // in place with no elements.
    BOOL SetDoc(LPCWSTR szDoc);
    CString GetDoc() const;
    // The text of the last parse error; empty after a successful parse.
    CString GetError() const;
    // The number of elements the document holds.
    int GetElemCount() const;

    // Adds an element after the current one at the current level and makes it current. At the
    // document level only a first root may be added. An absent or empty value makes an empty
    // element; the value is escaped.
    BOOL AddElem(LPCWSTR szName, LPCWSTR szValue = nullptr);
    // Adds an element as the last child of the current element, or right after the current
    // child, and makes it the current child. Fails when there is no current element.
    BOOL AddChildElem(LPCWSTR szName, LPCWSTR szValue = nullptr);
    // The current element becomes the parent and its current child (possibly none) current.
    BOOL IntoElem();
    // The reverse: false at the document level.
    BOOL OutOfElem();

protected:
    // Character offsets into the document and links between elements; index 0 is the document.
    struct ElemPos
    {
        // Left uninitialised, so that making room in the array does not write it; a position is
        // cleared when it is taken.
        ElemPos() noexcept {}

        int nStartL;     // "<" of the start tag
        int nStartR;     // ">" of the start tag
        int nEndL;       // "<" of the end tag; for an empty element the "/" before its ">"
        int nEndR;       // ">" of the end tag; for an empty element the ">" of the tag
        int iElemParent; // 0 for the root
        int iElemChild;  // first child, 0 if none
        int iElemNext;   // next sibling, 0 if none
    };

    CString m_strDoc;
    CString m_strError;
    CArray<ElemPos, const ElemPos&> m_aPos;
    int m_iPosParent;
    int m_iPos;
    int m_iPosChild;
    int m_iPosFree;
    int m_nNodeType; // 1 when the current position is an element, 0 when there is none

private:
    friend class CMarkupImpl; // the parser and the editor, kept out of the exported interface
};
