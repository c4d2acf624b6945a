// CCrc32Dynamic: CRC-32 of strings and files.
#include "suitecore/filelist.h"

#include "checksum_file.h"
#include "checksum_kernels.h"

#include <memory>

using suitecore::kernels::Crc32Update;

namespace
{
constexpr DWORD kBlockSize = 4096;
constexpr ULONGLONG kViewSize = 0xA00000; // 10 MiB a view

// Reads the file in blocks of kBlockSize into the running CRC; 0 or the Win32 error.
DWORD CrcOfBlocks(LPCWSTR path, DWORD& crc)
{
    const CUniqueFileHandle file = suitecore::OpenForChecksum(path);
    if (!file)
        return GetLastError();
    std::unique_ptr<BYTE[]> block(new BYTE[kBlockSize]);
    for (;;)
    {
        DWORD got = 0;
        if (!ReadFile(file.get(), block.get(), kBlockSize, &got, nullptr))
            return GetLastError();
        if (!got)
            return 0;
        crc = Crc32Update(crc, block.get(), got);
    }
}

DWORD CrcOfViews(LPCWSTR path, DWORD& crc)
{
    const CUniqueFileHandle file = suitecore::OpenForChecksum(path);
    if (!file)
        return GetLastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size))
        return ERROR_BAD_LENGTH;
    if (size.QuadPart == 0)
        return 0; // nothing to map
    const CUniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping)
        return GetLastError();
    const ULONGLONG total = static_cast<ULONGLONG>(size.QuadPart);
    for (ULONGLONG offset = 0; offset < total; offset += kViewSize)
    {
        const SIZE_T length = static_cast<SIZE_T>(total - offset < kViewSize ? total - offset : kViewSize);
        const CUniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                                       static_cast<DWORD>(offset), length));
        if (!view)
            return GetLastError();
        crc = Crc32Update(crc, static_cast<const BYTE*>(view.get()), length);
    }
    return 0;
}

// Runs one CRC operation: starts from 0xFFFFFFFF, needs the table, turns exceptions into
// ERROR_CRC, and complements at the end whatever happened.
template <class Operation>
DWORD RunCrc(const DWORD* table, DWORD& dwCrc32, Operation operation)
{
    dwCrc32 = 0xFFFFFFFF;
    DWORD result = ERROR_CRC;
    if (table)
    {
        try
        {
            result = operation(dwCrc32);
        }
        catch (CException* e)
        {
            e->Delete();
            result = ERROR_CRC;
        }
        catch (...)
        {
            result = ERROR_CRC;
        }
    }
    dwCrc32 = ~dwCrc32;
    return result;
}
} // namespace

CCrc32Dynamic::CCrc32Dynamic() : m_pdwCrc32Table(nullptr) {}

CCrc32Dynamic::CCrc32Dynamic(const CCrc32Dynamic& other) : m_pdwCrc32Table(nullptr)
{
    if (other.m_pdwCrc32Table)
        InitTable();
}

CCrc32Dynamic& CCrc32Dynamic::operator=(const CCrc32Dynamic& other)
{
    if (this != &other)
    {
        if (other.m_pdwCrc32Table)
            InitTable();
        else
            FreeTable();
    }
    return *this;
}

CCrc32Dynamic::~CCrc32Dynamic()
{
    FreeTable();
}

void CCrc32Dynamic::InitTable()
{
    FreeTable();
    m_pdwCrc32Table = new DWORD[256];
    for (DWORD i = 0; i < 256; ++i)
    {
        DWORD crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        m_pdwCrc32Table[i] = crc;
    }
}

void CCrc32Dynamic::FreeTable()
{
    delete[] m_pdwCrc32Table;
    m_pdwCrc32Table = nullptr;
}

DWORD CCrc32Dynamic::StringCrc32(LPCWSTR szString, DWORD& dwCrc32) const
{
    return RunCrc(m_pdwCrc32Table, dwCrc32,
                  [&](DWORD& crc) -> DWORD
                  {
                      if (!szString)
                          return ERROR_CRC;
                      for (LPCWSTR p = szString; *p; ++p)
                          UpdateByte(static_cast<BYTE>(*p), crc);
                      return 0;
                  });
}

DWORD CCrc32Dynamic::FileCrc32Streamed(LPCWSTR szFilename, DWORD& dwCrc32) const
{
    return RunCrc(m_pdwCrc32Table, dwCrc32, [&](DWORD& crc) { return CrcOfBlocks(szFilename, crc); });
}

DWORD CCrc32Dynamic::FileCrc32Mapped(LPCWSTR szFilename, DWORD& dwCrc32) const
{
    return RunCrc(m_pdwCrc32Table, dwCrc32, [&](DWORD& crc) { return CrcOfViews(szFilename, crc); });
}

DWORD CCrc32Dynamic::FileCrc32Buffered(LPCWSTR szFilename, DWORD& dwCrc32) const
{
    return RunCrc(m_pdwCrc32Table, dwCrc32, [&](DWORD& crc) { return CrcOfBlocks(szFilename, crc); });
}
