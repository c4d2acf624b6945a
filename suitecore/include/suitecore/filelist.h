// File lists and CRC-32: per-file records with stepwise checksums, sorted file lists filled
// from a folder or a folder tree, a stand-alone CRC-32 engine, and a wildcard matcher.
#pragma once

#include "suitecore.h"

#include <framework/collections.h>
#include <framework/string.h>

// One file's facts, copied member by member. Times are local times in seconds since 1970
// (0 when the time cannot be represented).
class SUITECORE_API CFileInfo
{
public:
    CFileInfo();

    // Path = folder + found name; the record's checksum progress starts over.
    void Create(const WIN32_FIND_DATAW* pFindData, LPCWSTR lpszFolder, DWORD dwUserValue = 0);
    // Looks the path up; a path that is not found leaves the record unchanged.
    void CreateFromPath(LPCWSTR lpszPath, DWORD dwUserValue = 0);

    // Parts of the path; empty when the path does not split into the fixed-size fields.
    CString GetFileDrive() const; // "C:"
    CString GetFileDir() const;   // "\folder\"
    CString GetFileRoot() const;  // "C:\folder\"
    CString GetFileName() const;  // "name.ext"
    CString GetFileTitle() const; // "name"
    CString GetFileExt() const;   // ".ext"

    const CString& GetFilePath() const { return m_strFilePath; }
    DWORD GetLength() const { return static_cast<DWORD>(m_ullSize); }
    ULONGLONG GetLength64() const { return m_ullSize; }
    DWORD GetAttributes() const { return m_dwAttributes; }
    BOOL IsDirectory() const { return (m_dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    BOOL IsArchived() const { return (m_dwAttributes & FILE_ATTRIBUTE_ARCHIVE) != 0; }
    BOOL IsReadOnly() const { return (m_dwAttributes & FILE_ATTRIBUTE_READONLY) != 0; }
    BOOL IsCompressed() const { return (m_dwAttributes & FILE_ATTRIBUTE_COMPRESSED) != 0; }
    BOOL IsSystem() const { return (m_dwAttributes & FILE_ATTRIBUTE_SYSTEM) != 0; }
    BOOL IsHidden() const { return (m_dwAttributes & FILE_ATTRIBUTE_HIDDEN) != 0; }
    BOOL IsTemporary() const { return (m_dwAttributes & FILE_ATTRIBUTE_TEMPORARY) != 0; }
    BOOL IsNormal() const { return m_dwAttributes == 0; }
    __time64_t GetCreationTime() const { return m_timCreation; }
    __time64_t GetLastAccessTime() const { return m_timLastAccess; }
    __time64_t GetLastWriteTime() const { return m_timLastWrite; }
    DWORD GetUserValue() const { return m_dwUserValue; }
    void SetUserValue(DWORD dwUserValue) { m_dwUserValue = dwUserValue; }

    // Checksums in steps over the file. Each call goes on from where the last one stopped, up to
    // ullLimit bytes (rounded up to a multiple of 4; 0 or more than the size: the whole file);
    // bReset starts over. The cancel flag is read between blocks; the progress counter grows by
    // the bytes read. GetCrc's value is final (complemented) once the whole file is taken.
    DWORD GetWordSum(ULONGLONG ullLimit = 0, BOOL bReset = FALSE, const volatile BOOL* pbCancel = nullptr,
                     volatile LONG* plProgress = nullptr);
    DWORD GetCrc(ULONGLONG ullLimit = 0, BOOL bReset = FALSE, const volatile BOOL* pbCancel = nullptr,
                 volatile LONG* plProgress = nullptr);

    // The stored form: every member in declaration order, the path as text.
    void Serialize(CArchive& ar);
    static constexpr UINT kMinArchivedSize = 4 + 4 + 4 + 8 + 3 * 8 + 4 + 4 + 8 + 8; // empty path: 4 bytes

private:
    template <class Accumulate>
    bool Step(ULONGLONG ullLimit, const volatile BOOL* pbCancel, volatile LONG* plProgress, ULONGLONG& ullDone,
              Accumulate accumulate);

    DWORD m_dwUserValue;
    CString m_strFilePath;
    DWORD m_dwAttributes;
    ULONGLONG m_ullSize;
    __time64_t m_timCreation;
    __time64_t m_timLastAccess;
    __time64_t m_timLastWrite;
    DWORD m_dwWordSum;
    DWORD m_dwCrc;
    ULONGLONG m_ullCrcDone; // bytes taken into the CRC
    ULONGLONG m_ullSumDone; // bytes taken into the word sum
};

template <>
SUITECORE_API void SerializeElements<CFileInfo>(CArchive& ar, CFileInfo* pElements, INT_PTR nCount);
template <>
constexpr UINT MinArchivedElementSize<CFileInfo>()
{
    return CFileInfo::kMinArchivedSize;
}

class SUITECORE_API CFileInfoArray : public CArray<CFileInfo, const CFileInfo&>
{
    DECLARE_SERIAL(CFileInfoArray)
public:
    // Where AddFileInfo puts a record; a new record goes in front of the records equal to it.
    enum
    {
        AddAtEnd = 0,
        AddBySizeAscending = 2,  // before the first record not smaller
        AddBySizeDescending = 3, // before the first record not larger
        AddByPathAscending = 4,  // before the first path not lower (case-sensitive)
        AddByPathDescending = 5, // before the first path not higher
    };

    CFileInfoArray();

    virtual INT_PTR AddFileInfo(const CFileInfo& fi, int nPosition = AddAtEnd);
    // A file that is not found adds an empty record.
    INT_PTR AddFile(LPCWSTR lpszPath, int nPosition = AddAtEnd);
    // Adds the files of a folder (ending with a backslash) that match the mask, and with
    // bIncludeDirs its sub-folders; with bRecurse the sub-folders' contents, walked depth first
    // before the folder's own files. Returns the number of records added.
    INT_PTR AddDir(const CString& strFolder, LPCWSTR lpszMask, BOOL bRecurse, int nPosition, BOOL bIncludeDirs,
                   const volatile BOOL* pbCancel = nullptr, volatile LONG* plAdded = nullptr);

    void Serialize(CArchive& ar) override;
};

// CRC-32 (polynomial 0xEDB88320) of files and strings. Every operation starts from
// 0xFFFFFFFF and complements at the end (so a failure before any byte gives 0); it returns 0,
// the Win32 error code when the file cannot be opened or mapped, ERROR_BAD_LENGTH when its size
// cannot be read, and ERROR_CRC when the table is missing or an exception occurred.
class SUITECORE_API CCrc32Dynamic
{
public:
    CCrc32Dynamic();
    CCrc32Dynamic(const CCrc32Dynamic& other); // the copy owns a table of its own
    CCrc32Dynamic& operator=(const CCrc32Dynamic& other);
    virtual ~CCrc32Dynamic();

    void InitTable();
    void FreeTable();

    DWORD StringCrc32(LPCWSTR szString, DWORD& dwCrc32) const; // the low byte of each code unit
    DWORD FileCrc32Streamed(LPCWSTR szFilename, DWORD& dwCrc32) const;
    DWORD FileCrc32Mapped(LPCWSTR szFilename, DWORD& dwCrc32) const;
    DWORD FileCrc32Buffered(LPCWSTR szFilename, DWORD& dwCrc32) const;

    // One byte through the table.
    void UpdateByte(BYTE byte, DWORD& dwCrc32) const
    {
        dwCrc32 = (dwCrc32 >> 8) ^ m_pdwCrc32Table[(byte ^ dwCrc32) & 0xFF];
    }

protected:
    DWORD* m_pdwCrc32Table;
};

// "*" any run, "?" any one character. The head before the first "*" must match the start of
// the text and the tail after the last "*" its end; every run between must occur somewhere in
// the text, in any order. A pattern without "*" matches the whole text.
SUITECORE_API BOOL WildcardMatch(LPCSTR pszPattern, LPCSTR pszText);
