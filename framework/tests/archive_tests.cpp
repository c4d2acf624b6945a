// The archive's byte format, checked byte for byte, and its behaviour on short or corrupt input.
#include <framework/archive.h>
#include <framework/collections.h>
#include <framework/file.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<BYTE>;

Bytes Store(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    const auto n = static_cast<size_t>(file.GetLength());
    const BYTE* p = file.GetBuffer();
    return Bytes(p, p + n);
}

void Load(Bytes bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
}

Bytes Le(std::initializer_list<int> values) { return Bytes(values.begin(), values.end()); }

Bytes Prefix(const Bytes& all, size_t n) { return Bytes(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(n)); }

int ArchiveCause(const std::function<void()>& fn)
{
    try
    {
        fn();
    }
    catch (CArchiveException* e)
    {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    catch (CException* e)
    {
        e->Delete();
        return -2;
    }
    return -1;
}

CString Repeat(wchar_t ch, int n) { return CString(ch, n); }
} // namespace

TEST(ArchiveCounts, EncodeAtEveryBoundary)
{
    EXPECT_EQ(Le({0xFE, 0xFF}), Store([](CArchive& ar) { ar.WriteCount(0xFFFE); }));
    EXPECT_EQ(Le({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}), Store([](CArchive& ar) { ar.WriteCount(0xFFFF); }));
    EXPECT_EQ(Le({0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}), Store([](CArchive& ar) { ar.WriteCount(0xFFFFFFFE); }));
    EXPECT_EQ(Le({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}),
              Store([](CArchive& ar) { ar.WriteCount(0xFFFFFFFF); }));

    for (DWORD_PTR n : {DWORD_PTR(0), DWORD_PTR(254), DWORD_PTR(255), DWORD_PTR(0xFFFE), DWORD_PTR(0xFFFF),
                        DWORD_PTR(0x10000), DWORD_PTR(0xFFFFFFFE), DWORD_PTR(0xFFFFFFFF)})
    {
        DWORD_PTR back = 1234;
        Load(Store([n](CArchive& ar) { ar.WriteCount(n); }), [&](CArchive& ar) { back = ar.ReadCount(); });
        EXPECT_EQ(n, back);
    }
}

TEST(ArchiveStrings, WideLengthEncodingAtEveryBoundary)
{
    struct Case
    {
        int length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, Le({0xFF, 0xFE, 0xFF, 0x00})},
        {254, Le({0xFF, 0xFE, 0xFF, 0xFE})},
        {255, Le({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00})},
        {0xFFFD, Le({0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF})},
        {0xFFFE, Le({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {0xFFFF, Le({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.length);
        const CString text = Repeat(L'\x263A', c.length);
        const Bytes bytes = Store([&](CArchive& ar) { ar << text; });
        ASSERT_EQ(c.prefix.size() + 2 * static_cast<size_t>(c.length), bytes.size());
        EXPECT_EQ(c.prefix, Prefix(bytes, c.prefix.size()));
        if (c.length)
        {
            EXPECT_EQ(0x3A, bytes[c.prefix.size()]);
            EXPECT_EQ(0x26, bytes[c.prefix.size() + 1]);
        }
        CString back;
        Load(bytes, [&](CArchive& ar) { ar >> back; });
        EXPECT_TRUE(back == text);
    }
}

TEST(ArchiveStrings, NarrowFormLoadsThroughTheAnsiCodePage)
{
    CString shortText, longText;
    Bytes bytes = Le({3, 'a', 'b', 'c', 0xFF, 0x2C, 0x01});
    bytes.insert(bytes.end(), 300, 'z');
    Load(bytes, [&](CArchive& ar) { ar >> shortText >> longText; });
    EXPECT_STREQ(L"abc", shortText);
    EXPECT_TRUE(longText == Repeat(L'z', 300));

    // The length writer without the tag gives the narrow form.
    const Bytes narrow = Store([](CArchive& ar) {
        AfxWriteStringLength(ar, 255, FALSE);
        AfxWriteStringLength(ar, 0x10000, FALSE);
    });
    EXPECT_EQ(Le({0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}), narrow);
}

TEST(ArchiveStrings, PathOf259CharactersUsesTheSixteenBitLength)
{
    const CString path = L"C:\\" + Repeat(L'p', 256);
    ASSERT_EQ(259, path.GetLength());
    const Bytes bytes = Store([&](CArchive& ar) { ar << path; });
    ASSERT_EQ(6u + 518u, bytes.size());
    EXPECT_EQ(Le({0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x01, 'C', 0, ':', 0, '\\', 0}), Prefix(bytes, 12));
}

TEST(ArchiveArrays, StringArrayOf300PathsIsCountThenStrings)
{
    CStringArray paths;
    for (int i = 0; i < 300; ++i)
    {
        CString path;
        path.Format(L"C:\\Data\\file%03d.txt", i);
        paths.Add(path);
    }
    const Bytes bytes = Store([&](CArchive& ar) { paths.Serialize(ar); });
    ASSERT_EQ(2u + 300u * (4u + 2u * 19u), bytes.size());
    EXPECT_EQ(Le({0x2C, 0x01, 0xFF, 0xFE, 0xFF, 19, 'C', 0}), Prefix(bytes, 8));

    CStringArray back;
    back.Add(L"stale");
    Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
    ASSERT_EQ(300, back.GetSize());
    EXPECT_STREQ(L"C:\\Data\\file000.txt", back[0]);
    EXPECT_STREQ(L"C:\\Data\\file299.txt", back[299]);
}

TEST(ArchiveArrays, DWordArrayOfFiveIs22Bytes)
{
    CDWordArray rect;
    for (DWORD v : {10u, 20u, 30u, 40u, 0u})
        rect.Add(v);
    const Bytes bytes = Store([&](CArchive& ar) { rect.Serialize(ar); });
    EXPECT_EQ(Le({5, 0, 10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0}), bytes);

    CByteArray b;
    b.Add(7);
    CWordArray w;
    w.Add(0x1234);
    EXPECT_EQ(Le({1, 0, 7}), Store([&](CArchive& ar) { b.Serialize(ar); }));
    EXPECT_EQ(Le({1, 0, 0x34, 0x12}), Store([&](CArchive& ar) { w.Serialize(ar); }));
}

TEST(ArchiveRoundTrip, ThroughARealFileWithPrimitivesListsAndMaps)
{
    testsupport::TempDir dir;
    const std::wstring path = dir.File(L"data.bin");
    CStringList list;
    list.AddTail(L"first");
    list.AddTail(L"");
    list.AddTail(L"third \x00E9");
    CMapStringToString map;
    map[L"alpha"] = L"1";
    map[L"beta"] = L"two";
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store, 128);
        ar << static_cast<BYTE>(1) << static_cast<WORD>(2) << static_cast<DWORD>(3) << static_cast<LONGLONG>(-4)
           << 5.5 << 6.25f;
        list.Serialize(ar);
        map.Serialize(ar);
        for (int i = 0; i < 100; ++i)  // crosses the small buffer many times
            ar << Repeat(static_cast<wchar_t>(L'a' + i % 26), i);
        ar.Close();
    }
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load, 128);
    BYTE b;
    WORD w;
    DWORD dw;
    LONGLONG ll;
    double d;
    float f;
    ar >> b >> w >> dw >> ll >> d >> f;
    EXPECT_EQ(1, b);
    EXPECT_EQ(2, w);
    EXPECT_EQ(3u, dw);
    EXPECT_EQ(-4, ll);
    EXPECT_EQ(5.5, d);
    EXPECT_EQ(6.25f, f);
    CStringList list2;
    list2.Serialize(ar);
    ASSERT_EQ(3, list2.GetCount());
    EXPECT_STREQ(L"third \x00E9", list2.GetTail());
    CMapStringToString map2;
    map2.Serialize(ar);
    CString value;
    EXPECT_TRUE(map2.Lookup(L"beta", value));
    EXPECT_STREQ(L"two", value);
    for (int i = 0; i < 100; ++i)
    {
        CString s;
        ar >> s;
        ASSERT_TRUE(s == Repeat(static_cast<wchar_t>(L'a' + i % 26), i));
    }
    EXPECT_EQ(3, ArchiveCause([&] { ar >> b; }));
}

TEST(ArchiveCorruption, EveryTruncationThrowsEndOfFile)
{
    CStringArray paths;
    paths.Add(L"C:\\one");
    paths.Add(Repeat(L'x', 300));
    paths.Add(L"");
    const Bytes all = Store([&](CArchive& ar) { paths.Serialize(ar); });
    for (size_t n = 0; n < all.size(); ++n)
    {
        CStringArray back;
        EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(Prefix(all, n), [&](CArchive& ar) {
                                                                      back.Serialize(ar);
                                                                  }); }))
            << "prefix of " << n << " bytes";
    }
}

TEST(ArchiveCorruption, HugeCountsAndLengthsThrowWithoutAllocating)
{
    // A 32-bit count of four billion strings followed by two bytes of data.
    Bytes hugeCount = Le({0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x01, 0x41});
    CStringArray strings;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(hugeCount, [&](CArchive& ar) { strings.Serialize(ar); }); }));
    CDWordArray dwords;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(hugeCount, [&](CArchive& ar) { dwords.Serialize(ar); }); }));
    CStringList list;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(hugeCount, [&](CArchive& ar) { list.Serialize(ar); }); }));
    CMapStringToString map;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(hugeCount, [&](CArchive& ar) { map.Serialize(ar); }); }));

    // A wide string claiming 0xFFFFFFF0 characters.
    Bytes hugeString = Le({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 0});
    CString s;
    EXPECT_EQ(CArchiveException::endOfFile, ArchiveCause([&] { Load(hugeString, [&](CArchive& ar) { ar >> s; }); }));
}

TEST(ArchiveModes, WritingALoadingArchiveAndReadingAStoringOneThrow)
{
    EXPECT_EQ(CArchiveException::readOnly, ArchiveCause([] { Load(Le({1}), [](CArchive& ar) { ar << static_cast<BYTE>(1); }); }));
    EXPECT_EQ(CArchiveException::writeOnly, ArchiveCause([] {
                  Store([](CArchive& ar) {
                      BYTE b;
                      ar >> b;
                  });
              }));
}

TEST(ArchiveModes, FlushOnLoadGivesBackTheBytesReadAhead)
{
    CMemFile file;
    file.Write("\x01\x02\x03\x04\x05\x06", 6);
    file.SeekToBegin();
    {
        CArchive ar(&file, CArchive::load);
        BYTE b;
        ar >> b;
        ar.Close();
    }
    EXPECT_EQ(1u, file.GetPosition());
}
