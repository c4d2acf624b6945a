// CFileInfo and CFileInfoArray: file records with stepwise checksums, and lists of them.
#include "suitecore/filelist.h"

#include "checksum_file.h"
#include "checksum_kernels.h"
#include "path_split.h"

#include <framework/file.h>

#include <memory>
#include <vector>

namespace
{
constexpr ULONGLONG kMaxStepBlock = 16384;

bool IsDotOrDotDot(LPCWSTR name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsFolder(const WIN32_FIND_DATAW& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Cancelled(const volatile BOOL* pbCancel)
{
    return pbCancel && *pbCancel;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// CFileInfo

CFileInfo::CFileInfo()
    : m_dwUserValue(0), m_dwAttributes(0xFFFFFFFF), m_ullSize(0), m_timCreation(0), m_timLastAccess(0),
      m_timLastWrite(0), m_dwWordSum(0), m_dwCrc(0xFFFFFFFF), m_ullCrcDone(0), m_ullSumDone(0)
{
}

void CFileInfo::Create(const WIN32_FIND_DATAW* pFindData, LPCWSTR lpszFolder, DWORD dwUserValue)
{
    if (!pFindData)
        AfxThrowInvalidArgException();
    // One allocation for the path: lists of many files are built here.
    const int folderLength = lpszFolder ? lstrlenW(lpszFolder) : 0;
    const int nameLength = lstrlenW(pFindData->cFileName);
    m_strFilePath.Empty();
    m_strFilePath.Preallocate(folderLength + nameLength);
    m_strFilePath.Append(lpszFolder, folderLength);
    m_strFilePath.Append(pFindData->cFileName, nameLength);
    m_dwAttributes = pFindData->dwFileAttributes;
    m_ullSize = (static_cast<ULONGLONG>(pFindData->nFileSizeHigh) << 32) | pFindData->nFileSizeLow;
    // A time that cannot be converted is stored as 0: it must not end a whole folder walk.
    m_timCreation = AfxFileTimeToLocalTime(pFindData->ftCreationTime);
    m_timLastAccess = AfxFileTimeToLocalTime(pFindData->ftLastAccessTime);
    m_timLastWrite = AfxFileTimeToLocalTime(pFindData->ftLastWriteTime);
    m_dwUserValue = dwUserValue;
    m_ullCrcDone = 0;
    m_ullSumDone = 0;
}

void CFileInfo::CreateFromPath(LPCWSTR lpszPath, DWORD dwUserValue)
{
    if (!lpszPath)
        return;
    WIN32_FIND_DATAW data;
    if (!CUniqueFindHandle(FindFirstFileW(lpszPath, &data)))
        return;
    const CString path(lpszPath);
    Create(&data, path.Left(path.ReverseFind(L'\\') + 1), dwUserValue);
}

namespace
{
// One part of the record's path, or empty text when the path does not split.
template <class Pick>
CString PathPart(const CString& path, Pick pick)
{
    CPathSplit split;
    if (!split.Split(path))
        return CString();
    return pick(split);
}
} // namespace

CString CFileInfo::GetFileDrive() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szDrive); });
}

CString CFileInfo::GetFileDir() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szDir); });
}

CString CFileInfo::GetFileRoot() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szDrive) + s.m_szDir; });
}

CString CFileInfo::GetFileName() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szFileName) + s.m_szExt; });
}

CString CFileInfo::GetFileTitle() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szFileName); });
}

CString CFileInfo::GetFileExt() const
{
    return PathPart(m_strFilePath, [](const CPathSplit& s) { return CString(s.m_szExt); });
}

// Reads on from ullDone towards the limit and hands each block to accumulate. Returns whether
// anything was read.
template <class Accumulate>
bool CFileInfo::Step(ULONGLONG ullLimit, const volatile BOOL* pbCancel, volatile LONG* plProgress, ULONGLONG& ullDone,
                     Accumulate accumulate)
{
    // The limit, rounded up to whole words; none, or one beyond the end, means the whole file.
    ULONGLONG limit = m_ullSize;
    if (ullLimit != 0 && ullLimit <= m_ullSize)
        limit = (ullLimit + 3) & ~3ULL;
    if (limit > m_ullSize)
        limit = m_ullSize;
    if (ullDone >= limit)
        return false;

    const CUniqueFileHandle file = suitecore::OpenForChecksum(m_strFilePath);
    if (!file)
        return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(ullDone);
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN))
        return false;

    const DWORD blockSize = static_cast<DWORD>(limit < kMaxStepBlock ? limit : kMaxStepBlock);
    std::unique_ptr<BYTE[]> block(new BYTE[blockSize]);
    bool readAny = false;
    while (ullDone < limit)
    {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.get(), blockSize, &got, nullptr) || !got)
            break;
        accumulate(block.get(), got);
        readAny = true;
        if (plProgress)
            InterlockedExchangeAdd(plProgress, static_cast<LONG>(got));
        ullDone += got;
        if (Cancelled(pbCancel))
            break;
    }
    return readAny;
}

DWORD CFileInfo::GetWordSum(ULONGLONG ullLimit, BOOL bReset, const volatile BOOL* pbCancel, volatile LONG* plProgress)
{
    if (bReset)
    {
        m_dwWordSum = 0;
        m_ullSumDone = 0;
    }
    Step(ullLimit, pbCancel, plProgress, m_ullSumDone,
         [this](const BYTE* data, DWORD length)
         { m_dwWordSum = suitecore::kernels::WordSum(m_dwWordSum, data, length); });
    return m_dwWordSum;
}

DWORD CFileInfo::GetCrc(ULONGLONG ullLimit, BOOL bReset, const volatile BOOL* pbCancel, volatile LONG* plProgress)
{
    if (bReset)
    {
        m_dwCrc = 0xFFFFFFFF;
        m_ullCrcDone = 0;
    }
    if (m_ullSize == 0)
    {
        // Nothing to read: the CRC of no bytes, final at once.
        m_dwCrc = 0;
        return m_dwCrc;
    }
    const bool read = Step(ullLimit, pbCancel, plProgress, m_ullCrcDone,
                           [this](const BYTE* data, DWORD length)
                           { m_dwCrc = suitecore::kernels::Crc32Update(m_dwCrc, data, length); });
    if (read && m_ullCrcDone >= m_ullSize)
        m_dwCrc = ~m_dwCrc; // final; a partial CRC stays open so that a later call can go on
    return m_dwCrc;
}

void CFileInfo::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_dwUserValue << m_strFilePath << m_dwAttributes << m_ullSize << static_cast<LONGLONG>(m_timCreation)
           << static_cast<LONGLONG>(m_timLastAccess) << static_cast<LONGLONG>(m_timLastWrite) << m_dwWordSum << m_dwCrc
           << m_ullCrcDone << m_ullSumDone;
        return;
    }
    LONGLONG creation = 0, access = 0, write = 0;
    ar >> m_dwUserValue >> m_strFilePath >> m_dwAttributes >> m_ullSize >> creation >> access >> write >> m_dwWordSum >>
        m_dwCrc >> m_ullCrcDone >> m_ullSumDone;
    m_timCreation = creation;
    m_timLastAccess = access;
    m_timLastWrite = write;
}

template <>
void SerializeElements<CFileInfo>(CArchive& ar, CFileInfo* pElements, INT_PTR nCount)
{
    for (INT_PTR i = 0; i < nCount; ++i)
        pElements[i].Serialize(ar);
}

// ---------------------------------------------------------------------------------------------
// CFileInfoArray

IMPLEMENT_SERIAL(CFileInfoArray, CObject, 1)

CFileInfoArray::CFileInfoArray()
{
    SetSize(0, 50);
}

INT_PTR CFileInfoArray::AddFileInfo(const CFileInfo& fi, int nPosition)
{
    const INT_PTR count = GetSize();
    const CFileInfo* records = GetData();
    INT_PTR index = 0;
    switch (nPosition)
    {
    case AddBySizeAscending:
        while (index < count && records[index].GetLength64() < fi.GetLength64())
            ++index;
        break;
    case AddBySizeDescending:
        while (index < count && records[index].GetLength64() > fi.GetLength64())
            ++index;
        break;
    case AddByPathAscending:
        while (index < count && records[index].GetFilePath().Compare(fi.GetFilePath()) < 0)
            ++index;
        break;
    case AddByPathDescending:
        while (index < count && records[index].GetFilePath().Compare(fi.GetFilePath()) > 0)
            ++index;
        break;
    default:
        index = count;
        break;
    }
    if (count == GetAllocSize())
    {
        // A fixed grow-by of 50 would move every record once per 50 added: make room by half
        // the size instead, so that long lists grow in linear time. The grow-by itself stays.
        const CFileInfo copy(fi); // the record may live in this array
        SetSize(count + (count / 2 > GetGrowBy() ? count / 2 : GetGrowBy()));
        SetSize(count);
        InsertAt(index, copy);
        return index;
    }
    InsertAt(index, fi);
    return index;
}

INT_PTR CFileInfoArray::AddFile(LPCWSTR lpszPath, int nPosition)
{
    CFileInfo fi;
    fi.CreateFromPath(lpszPath, 0);
    return AddFileInfo(fi, nPosition);
}

INT_PTR CFileInfoArray::AddDir(const CString& strFolder, LPCWSTR lpszMask, BOOL bRecurse, int nPosition,
                               BOOL bIncludeDirs, const volatile BOOL* pbCancel, volatile LONG* plAdded)
{
    INT_PTR added = 0;
    auto addRecord = [&](const CFileInfo& fi)
    {
        AddFileInfo(fi, nPosition);
        ++added;
        if (plAdded)
            InterlockedIncrement(plAdded);
    };
    auto add = [&](const WIN32_FIND_DATAW& data)
    {
        CFileInfo fi;
        fi.Create(&data, strFolder, 0);
        addRecord(fi);
    };

    // A mask that takes every name sees the same entries as the folder pass: the files met
    // there are kept, in the order met, instead of enumerating the folder twice.
    const CString mask(lpszMask ? lpszMask : L"");
    const bool maskTakesAll = mask == L"*" || mask == L"*.*";
    std::vector<CFileInfo> files;

    // Sub-folders first, depth first, in the order the file system gives them.
    WIN32_FIND_DATAW data;
    {
        const CUniqueFindHandle find(FindFirstFileW(strFolder + L"*", &data));
        if (find)
        {
            do
            {
                if (IsFolder(data))
                {
                    if (IsDotOrDotDot(data.cFileName))
                        continue;
                    if (bIncludeDirs)
                        add(data);
                    if (bRecurse)
                        added += AddDir(strFolder + data.cFileName + L"\\", lpszMask, bRecurse, nPosition, bIncludeDirs,
                                        pbCancel, plAdded);
                }
                else if (maskTakesAll)
                {
                    files.emplace_back();
                    files.back().Create(&data, strFolder, 0);
                }
            } while (!Cancelled(pbCancel) && FindNextFileW(find.get(), &data));
        }
    }
    if (Cancelled(pbCancel))
        return added;

    if (maskTakesAll)
    {
        for (const CFileInfo& file : files)
        {
            addRecord(file);
            if (Cancelled(pbCancel))
                break;
        }
        return added;
    }

    const CUniqueFindHandle find(FindFirstFileW(strFolder + mask, &data));
    if (!find)
        return added;
    do
    {
        if (!IsFolder(data))
            add(data);
    } while (!Cancelled(pbCancel) && FindNextFileW(find.get(), &data));
    return added;
}

void CFileInfoArray::Serialize(CArchive& ar)
{
    CArray::Serialize(ar);
}
