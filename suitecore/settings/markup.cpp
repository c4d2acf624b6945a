#include "suitecore/markup.h"

#include "markup_scan.h"

#include <framework/exception.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace
{
constexpr wchar_t kLineEnd[] = L"\r\n";

inline bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

// The characters that end a token (and form one on their own), as a table for the hot loop.
struct DelimiterTable
{
    bool is[128] = {};
    constexpr DelimiterTable()
    {
        for (wchar_t c : L" \t\n\r<>=\\/?!")
            if (c)
                is[c] = true;
    }
};
constexpr DelimiterTable kDelimiters;

inline bool IsDelimiter(wchar_t c)
{
    return c < 128 && kDelimiters.is[c];
}

// Most searches end within a few characters; longer ones go to the vector scan.
inline int FindChar(const wchar_t* doc, int len, int nFrom, wchar_t ch)
{
    const int nNear = nFrom + 8 < len ? nFrom + 8 : len;
    for (int i = nFrom; i < nNear; ++i)
        if (doc[i] == ch)
            return i;
    return nNear < len ? markup_scan::FindChar(doc, len, nNear, ch) : -1;
}

// Offset of the first occurrence of a three-character text at or after nFrom, or -1.
int FindText3(const wchar_t* doc, int len, int nFrom, const wchar_t (&text)[4])
{
    for (int i = FindChar(doc, len, nFrom, text[0]); i >= 0 && i + 2 < len; i = FindChar(doc, len, i + 1, text[0]))
        if (doc[i + 1] == text[1] && doc[i + 2] == text[2])
            return i;
    return -1;
}

inline bool SameText(const wchar_t* a, const wchar_t* b, int len)
{
    for (int i = 0; i < len; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

CString Escape(LPCWSTR szValue)
{
    CString escaped;
    for (const wchar_t* p = szValue; *p; ++p)
    {
        switch (*p)
        {
        case L'<':
            escaped += L"&lt;";
            break;
        case L'&':
            escaped += L"&amp;";
            break;
        case L'>':
            escaped += L"&gt;";
            break;
        default:
            escaped += *p;
            break;
        }
    }
    return escaped;
}
} // namespace

// The parser and the editor. They work on the document's members directly; none of this is
// part of the exported interface.
class CMarkupImpl
{
public:
    explicit CMarkupImpl(CMarkup& doc) : m(doc) {}

    using ElemPos = CMarkup::ElemPos;

    // A token: [nL, nR) in the document.
    struct Token
    {
        int nL = 0;
        int nR = 0;
        bool bQuoted = false;

        int Length() const { return nR - nL; }
    };

    // An element whose start tag was read and whose end tag is still to come.
    struct OpenElem
    {
        int iPos;
        Token name;
        int iLastChild;
    };

    void ResetPos()
    {
        if (m.m_aPos.GetSize() == 0)
            m.m_aPos.SetSize(1);
        Clear(m.m_aPos[0]);
        m.m_iPosFree = 1;
        ResetNavigation();
    }

    static void Clear(ElemPos& pos) { memset(static_cast<void*>(&pos), 0, sizeof(pos)); }

    void ResetNavigation()
    {
        m.m_iPosParent = m.m_iPos = m.m_iPosChild = 0;
        m.m_nNodeType = 0;
    }

    BOOL SetDoc(LPCWSTR szDoc);
    BOOL AddElem(LPCWSTR szName, LPCWSTR szValue, bool bChild);

private:
    const wchar_t* Doc() const { return m.m_strDoc.GetString(); }
    int Len() const { return m.m_strDoc.GetLength(); }
    // Unchecked, for the parser's own indexes, which GetFreePos handed out.
    ElemPos& At(int i) { return m.m_aPos.GetData()[i]; }

    int GetFreePos();
    void ReleasePos(int iPos);
    int ParseDoc();
    bool FindElemStart(int iPos, int iPosParent, int& nChar, Token& tag);
    bool SkipNode(int nMark, int& nChar) const;
    bool ParseEndTag(const OpenElem& elem, int& nChar);
    bool NextToken(int& nChar, Token& token) const;
    bool SetError(LPCWSTR szError, const Token* pName = nullptr);
    int LastChild(int iPos) const;
    CString ElemName(int iPos) const;
    void ShiftBehind(int iPosParent, int iPosBefore, int nOffset, int nDiff);

    CMarkup& m;
};

CMarkup::CMarkup()
{
    CMarkupImpl(*this).ResetPos();
}

CMarkup::~CMarkup() = default;

CString CMarkup::GetDoc() const
{
    return m_strDoc;
}

CString CMarkup::GetError() const
{
    return m_strError;
}

int CMarkup::GetElemCount() const
{
    return m_iPosFree - 1;
}

BOOL CMarkup::SetDoc(LPCWSTR szDoc)
{
    CMarkupImpl impl(*this);
    const BOOL bParsed = AfxCallbackBarrier([&] { return impl.SetDoc(szDoc); }, FALSE);
    if (bParsed)
        impl.ResetNavigation();
    else
        impl.ResetPos();
    return bParsed;
}

BOOL CMarkup::AddElem(LPCWSTR szName, LPCWSTR szValue)
{
    return AfxCallbackBarrier([&] { return CMarkupImpl(*this).AddElem(szName, szValue, false); }, FALSE);
}

BOOL CMarkup::AddChildElem(LPCWSTR szName, LPCWSTR szValue)
{
    return AfxCallbackBarrier([&] { return CMarkupImpl(*this).AddElem(szName, szValue, true); }, FALSE);
}

BOOL CMarkup::IntoElem()
{
    if (m_nNodeType != 1 || !m_iPos)
        return FALSE;
    m_iPosParent = m_iPos;
    m_iPos = m_iPosChild;
    m_iPosChild = 0;
    m_nNodeType = m_iPos ? 1 : 0;
    return TRUE;
}

BOOL CMarkup::OutOfElem()
{
    if (!m_iPosParent)
        return FALSE;
    m_iPosChild = m_iPos;
    m_iPos = m_iPosParent;
    m_iPosParent = m_aPos[m_iPos].iElemParent;
    m_nNodeType = 1;
    return TRUE;
}

int CMarkupImpl::GetFreePos()
{
    const INT_PTR nSize = m.m_aPos.GetSize();
    if (m.m_iPosFree >= nSize)
    {
        // One and a half times, and at least one more: a half of 0 or 1 is nothing.
        const INT_PTR nGrown = nSize + nSize / 2;
        m.m_aPos.SetSize(nGrown > nSize ? nGrown : nSize + 1);
    }
    const int iPos = m.m_iPosFree++;
    Clear(At(iPos));
    return iPos;
}

void CMarkupImpl::ReleasePos(int iPos)
{
    if (iPos == m.m_iPosFree - 1)
        --m.m_iPosFree;
}

BOOL CMarkupImpl::SetDoc(LPCWSTR szDoc)
{
    // The text is copied and its possible elements counted in one pass.
    const int len = szDoc ? markup_scan::Length(szDoc) : 0;
    CString doc;
    const int nStarts = markup_scan::CopyCountingElementStarts(doc.GetBufferSetLength(len), szDoc, len);
    doc.ReleaseBufferSetLength(len);
    m.m_strDoc = std::move(doc);
    m.m_strError.Empty();
    // Room for a position per possible element (and the document's own, and one being parsed),
    // so that the array never grows during the parse: no more than one per four characters (the
    // shortest element is "<a/>"), at least one per 64 characters, as always. Making room does
    // not write the positions, so room that goes unused costs no memory traffic.
    const INT_PTR nRoom = std::max<INT_PTR>(len / 64 + 8, std::min(nStarts, len / 4) + 2);
    if (m.m_aPos.GetSize() < nRoom)
        m.m_aPos.SetSize(nRoom);
    ResetPos();
    const int iRoot = ParseDoc();
    if (iRoot <= 0)
        return FALSE;
    m.m_aPos[0].iElemChild = iRoot;
    return TRUE;
}

bool CMarkupImpl::NextToken(int& nChar, Token& token) const
{
    const wchar_t* doc = Doc();
    const int len = Len();
    int i = nChar;
    while (i < len && IsBlank(doc[i]))
        ++i;
    if (i >= len)
    {
        nChar = len;
        return false;
    }
    token.nL = i;
    token.bQuoted = false;
    const wchar_t c = doc[i];
    if (c == L'"' || c == L'\'')
    {
        token.bQuoted = true;
        const int nQuote = FindChar(doc, len, i + 1, c);
        i = nQuote < 0 ? len : nQuote + 1;
    }
    else if (IsDelimiter(c))
    {
        ++i;
    }
    else
    {
        while (i < len && !IsDelimiter(doc[i]))
            ++i;
    }
    token.nR = i;
    nChar = i;
    return true;
}

bool CMarkupImpl::SetError(LPCWSTR szError, const Token* pName)
{
    m.m_strError = szError;
    if (pName)
        m.m_strError.Replace(L"%s", CString(m.m_strDoc.GetString() + pName->nL, pName->Length()));
    return false;
}

// Skips a processing instruction, comment, CDATA section or declaration whose "?" or "!" is at
// nMark; nChar is then just past it.
bool CMarkupImpl::SkipNode(int nMark, int& nChar) const
{
    const wchar_t* doc = Doc();
    const int len = Len();
    int nEnd = -1; // offset of the node's last character
    if (doc[nMark] == L'?')
    {
        const int n = FindChar(doc, len, nMark + 1, L'?');
        for (int i = n; i >= 0; i = FindChar(doc, len, i + 1, L'?'))
            if (i + 1 < len && doc[i + 1] == L'>')
            {
                nEnd = i + 1;
                break;
            }
    }
    else if (nMark + 1 < len && doc[nMark + 1] == L'-')
    {
        const int n = FindText3(doc, len, nMark + 3 < len ? nMark + 3 : len, L"-->");
        nEnd = n < 0 ? -1 : n + 2;
    }
    else if (nMark + 1 < len && doc[nMark + 1] == L'[')
    {
        const int n = FindText3(doc, len, nMark + 2, L"]]>");
        nEnd = n < 0 ? -1 : n + 2;
    }
    else
    {
        // A declaration: its internal subset may hold "[...]" with ">" inside.
        int nDepth = 0;
        for (int i = nMark + 1; i < len; ++i)
        {
            if (doc[i] == L'[')
                ++nDepth;
            else if (doc[i] == L']')
                --nDepth;
            else if (doc[i] == L'>' && nDepth == 0)
            {
                nEnd = i;
                break;
            }
        }
    }
    if (nEnd < 0)
        return false;
    nChar = nEnd + 1;
    return true;
}

// Finds the next tag from nChar, skipping special nodes, and reads its first token. The "<" is
// recorded as the new element's start and as the parent's end, in case it is the parent's end tag.
bool CMarkupImpl::FindElemStart(int iPos, int iPosParent, int& nChar, Token& tag)
{
    const wchar_t* doc = Doc();
    const int len = Len();
    for (;;)
    {
        const int nLt = FindChar(doc, len, nChar, L'<');
        if (nLt < 0)
            return SetError(L"Element tag not found");
        At(iPos).nStartL = nLt;
        At(iPosParent).nEndL = nLt;
        nChar = nLt + 1;
        if (!NextToken(nChar, tag))
            return SetError(L"Abrupt end within tag");
        if (tag.bQuoted)
            return SetError(L"Tag starts with quote");
        const wchar_t c = doc[tag.nL];
        if (tag.Length() != 1 || (c != L'!' && c != L'?'))
            return true;
        if (!SkipNode(tag.nL, nChar))
            return SetError(L"Invalid node");
    }
}

// Checks the end tag at the element's end offset and records its ">".
bool CMarkupImpl::ParseEndTag(const OpenElem& elem, int& nChar)
{
    const wchar_t* doc = Doc();
    const int len = Len();
    int n = At(elem.iPos).nEndL;
    if (n >= len || doc[n] != L'<')
        return SetError(L"End tag of %s element not found", &elem.name);
    // The usual "</name>" written without blanks, as the tokens below would read it.
    const int nNameLen = elem.name.Length();
    const int nGt = n + 2 + nNameLen;
    if (nGt < len && doc[n + 1] == L'/' && doc[nGt] == L'>' && SameText(doc + n + 2, doc + elem.name.nL, nNameLen))
    {
        At(elem.iPos).nEndR = nGt;
        nChar = nGt + 1;
        return true;
    }
    ++n;
    Token token;
    if (!NextToken(n, token) || token.Length() != 1 || doc[token.nL] != L'/')
        return SetError(L"Expecting end tag of element %s", &elem.name);
    if (!NextToken(n, token) || token.Length() != elem.name.Length() ||
        !SameText(doc + token.nL, doc + elem.name.nL, token.Length()))
        return SetError(L"End tag does not correspond to %s", &elem.name);
    while (NextToken(n, token))
    {
        if (token.Length() == 1 && doc[token.nL] == L'>')
        {
            At(elem.iPos).nEndR = token.nL;
            nChar = token.nL + 1;
            return true;
        }
    }
    return SetError(L"End tag not completed for element %s", &elem.name);
}

// Parses the root element and everything in it; its position, 0 when the document has no root,
// or -1 on an error (the text is in m.m_strError). Nesting is kept on a list of open elements, not
// on the call stack, so that no depth of nesting can exhaust the stack.
int CMarkupImpl::ParseDoc()
{
    std::vector<OpenElem> open;
    int nChar = 0;
    for (;;)
    {
        const int iPosParent = open.empty() ? 0 : open.back().iPos;
        const int iPos = GetFreePos();
        At(iPos).iElemParent = iPosParent;
        Token tag;
        if (!FindElemStart(iPos, iPosParent, nChar, tag))
            return -1;

        int iDone = 0; // an element completed by this tag
        if (tag.Length() == 1 && Doc()[tag.nL] == L'/')
        {
            // The parent's end tag: this position was not an element after all.
            ReleasePos(iPos);
            if (open.empty())
                return 0;
            const OpenElem elem = open.back();
            open.pop_back();
            if (!ParseEndTag(elem, nChar))
                return -1;
            iDone = elem.iPos;
        }
        else
        {
            const int nGt = FindChar(Doc(), Len(), nChar, L'>');
            if (nGt < 0)
            {
                SetError(L"End of tag not found");
                return -1;
            }
            ElemPos& pos = At(iPos);
            pos.nStartR = nGt;
            nChar = nGt + 1;
            if (Doc()[nGt - 1] == L'/')
            {
                pos.nEndL = nGt - 1;
                pos.nEndR = nGt;
                iDone = iPos;
            }
            else
            {
                open.push_back({iPos, tag, 0});
            }
        }

        if (iDone)
        {
            if (open.empty())
                return iDone;
            OpenElem& parent = open.back();
            if (parent.iLastChild)
                At(parent.iLastChild).iElemNext = iDone;
            else
                At(parent.iPos).iElemChild = iDone;
            parent.iLastChild = iDone;
        }
    }
}

int CMarkupImpl::LastChild(int iPos) const
{
    int iChild = m.m_aPos[iPos].iElemChild;
    while (iChild && m.m_aPos[iChild].iElemNext)
        iChild = m.m_aPos[iChild].iElemNext;
    return iChild;
}

CString CMarkupImpl::ElemName(int iPos) const
{
    int nChar = m.m_aPos[iPos].nStartL + 1;
    Token name;
    if (!NextToken(nChar, name))
        return CString();
    return CString(m.m_strDoc.GetString() + name.nL, name.Length());
}

// Every offset at or behind nOffset moves by nDiff. Only the elements that can hold such offsets
// are visited: the ancestors of the insert point and whatever follows it on each level, so that
// adding at the end of a document costs its depth, not its size.
void CMarkupImpl::ShiftBehind(int iPosParent, int iPosBefore, int nOffset, int nDiff)
{
    auto shift = [&](ElemPos& pos)
    {
        for (int* p : {&pos.nStartL, &pos.nStartR, &pos.nEndL, &pos.nEndR})
            if (*p >= nOffset)
                *p += nDiff;
    };
    std::vector<int> pending;
    int iFollowing = iPosBefore ? m.m_aPos[iPosBefore].iElemNext : 0;
    for (int iLevel = iPosParent;; iLevel = m.m_aPos[iLevel].iElemParent)
    {
        for (; iFollowing; iFollowing = m.m_aPos[iFollowing].iElemNext)
            pending.push_back(iFollowing);
        while (!pending.empty())
        {
            const int i = pending.back();
            pending.pop_back();
            shift(m.m_aPos[i]);
            for (int iChild = m.m_aPos[i].iElemChild; iChild; iChild = m.m_aPos[iChild].iElemNext)
                pending.push_back(iChild);
        }
        if (!iLevel)
            break;
        shift(m.m_aPos[iLevel]);
        iFollowing = m.m_aPos[iLevel].iElemNext;
    }
}

BOOL CMarkupImpl::AddElem(LPCWSTR szName, LPCWSTR szValue, bool bChild)
{
    if (!szName || !*szName)
        return FALSE;
    int iPosParent, iPosBefore;
    if (bChild)
    {
        if (m.m_nNodeType != 1 || !m.m_iPos)
            return FALSE;
        iPosParent = m.m_iPos;
        iPosBefore = m.m_iPosChild;
    }
    else
    {
        iPosParent = m.m_iPosParent;
        iPosBefore = m.m_iPos;
        if (!iPosParent && m.m_aPos[0].iElemChild)
            return FALSE; // a document has one root
    }
    if (!iPosBefore)
        iPosBefore = LastChild(iPosParent);

    // The element's own text, then what goes around it.
    const CString name(szName);
    CString elem = L"<" + name;
    const bool bEmpty = !szValue || !*szValue;
    const CString value = bEmpty ? CString() : Escape(szValue);
    elem += bEmpty ? CString(L"/>") : L">" + value + L"</" + name + L">";
    elem += kLineEnd;

    const wchar_t* doc = Doc();
    const int len = Len();
    int nInsert = len;
    int nReplace = 0;
    CString prefix, suffix;
    bool bOpenParent = false; // the parent was an empty element and gets an end tag
    if (iPosBefore)
    {
        nInsert = m.m_aPos[iPosBefore].nEndR + 1;
        int n = nInsert;
        while (n < len && IsBlank(doc[n]))
            ++n;
        if (n == len || doc[n] == L'<')
            nInsert = n;
    }
    else if (iPosParent)
    {
        const ElemPos& parent = m.m_aPos[iPosParent];
        nInsert = parent.nEndL;
        if (parent.nStartR == parent.nEndR)
        {
            // "<name/>": the "/" becomes ">", a line end, the new element and "</name".
            nReplace = 1;
            prefix = CString(L">") + kLineEnd;
            suffix = L"</" + ElemName(iPosParent);
            bOpenParent = true;
        }
        else if (parent.nStartR + 1 == parent.nEndL)
        {
            prefix = kLineEnd;
        }
    }

    // Nothing changes until the new text and the new position both exist.
    CString newDoc;
    newDoc.Preallocate(len + prefix.GetLength() + elem.GetLength() + suffix.GetLength());
    newDoc.Append(doc, nInsert);
    newDoc += prefix;
    newDoc += elem;
    newDoc += suffix;
    newDoc.Append(doc + nInsert + nReplace, len - nInsert - nReplace);
    const int iPos = GetFreePos();
    m.m_strDoc = std::move(newDoc);

    const int nInserted = prefix.GetLength() + elem.GetLength() + suffix.GetLength();
    ShiftBehind(iPosParent, iPosBefore, nInsert + nReplace, nInserted - nReplace);
    if (bOpenParent)
    {
        ElemPos& parent = m.m_aPos[iPosParent];
        parent.nStartR = nInsert;
        parent.nEndL = nInsert + prefix.GetLength() + elem.GetLength();
    }

    ElemPos& pos = m.m_aPos[iPos];
    pos.nStartL = nInsert + prefix.GetLength();
    pos.nStartR = pos.nStartL + 1 + name.GetLength() + (bEmpty ? 1 : 0);
    pos.nEndL = bEmpty ? pos.nStartR - 1 : pos.nStartR + 1 + value.GetLength();
    pos.nEndR = bEmpty ? pos.nStartR : pos.nEndL + 2 + name.GetLength();
    pos.iElemParent = iPosParent;
    if (iPosBefore)
    {
        pos.iElemNext = m.m_aPos[iPosBefore].iElemNext;
        m.m_aPos[iPosBefore].iElemNext = iPos;
    }
    else
    {
        m.m_aPos[iPosParent].iElemChild = iPos;
    }

    if (bChild)
    {
        m.m_iPosChild = iPos;
    }
    else
    {
        m.m_iPos = iPos;
        m.m_iPosChild = 0;
    }
    m.m_nNodeType = 1;
    return TRUE;
}
