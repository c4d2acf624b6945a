// Values in the framework's archive format: rectangles, points, arrays, lists, objects.
#include <suitecore/registry.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string RawValue(HKEY key, LPCWSTR name, DWORD* type = nullptr)
{
    BYTE data[4096];
    DWORD bytes = sizeof(data);
    DWORD t = 0;
    if (RegQueryValueExW(key, name, nullptr, &t, data, &bytes) != ERROR_SUCCESS)
        return std::string();
    if (type)
        *type = t;
    return std::string(reinterpret_cast<const char*>(data), bytes);
}

std::string Dwords(std::initializer_list<DWORD> values)
{
    std::string bytes;
    for (DWORD v : values)
        bytes.append(reinterpret_cast<const char*>(&v), 4);
    return bytes;
}

class ArchivedValues : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(reg.Open(HKEY_CURRENT_USER, temp.Path().c_str())); }

    testsupport::TempRegKey temp;
    CRegistry reg;
};
} // namespace

TEST_F(ArchivedValues, RectangleIsAFiveEntryArrayOf22Bytes)
{
    const RECT rect{-10, 20, 300, 4000}; // left, top, right, bottom
    ASSERT_TRUE(reg.WriteRect(L"Window", rect));
    EXPECT_EQ(1u, reg.m_dwLastType);
    EXPECT_EQ(22u, reg.m_dwLastSize);
    DWORD type = 0;
    EXPECT_EQ(std::string("\x05\x00", 2) + Dwords({20, 4000, static_cast<DWORD>(-10), 300, 0}),
              RawValue(reg.m_hKey, L"Window", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);

    RECT read{};
    reg.m_dwLastType = 0;
    ASSERT_TRUE(reg.ReadRect(L"Window", read));
    EXPECT_TRUE(EqualRect(&rect, &read));
    EXPECT_EQ(1u, reg.m_dwLastType);
    EXPECT_EQ(16u, reg.m_dwLastSize);
    EXPECT_FALSE(reg.ReadRect(L"Missing", read));
}

TEST_F(ArchivedValues, PointIsStoredAsFiveEntriesAndReadsBack)
{
    const POINT point{-7, 1234567};
    ASSERT_TRUE(reg.WritePoint(L"Where", point));
    EXPECT_EQ(2u, reg.m_dwLastType);
    EXPECT_EQ(std::string("\x05\x00", 2) + Dwords({static_cast<DWORD>(-7), 1234567, 0, 0, 0}),
              RawValue(reg.m_hKey, L"Where"));

    POINT read{};
    reg.m_dwLastType = 0;
    ASSERT_TRUE(reg.ReadPoint(L"Where", read)); // the whole 22-byte value is read
    EXPECT_EQ(-7, read.x);
    EXPECT_EQ(1234567, read.y);
    EXPECT_EQ(2u, reg.m_dwLastType);
    EXPECT_EQ(8u, reg.m_dwLastSize);
}

TEST_F(ArchivedValues, ShortOrOversizedRectanglesFail)
{
    // Three entries: the framework's invalid-argument exception reaches the caller.
    const std::string three = std::string("\x03\x00", 2) + Dwords({1, 2, 3});
    RegSetValueExW(reg.m_hKey, L"Three", 0, REG_BINARY, reinterpret_cast<const BYTE*>(three.data()), 14);
    RECT rect{};
    bool thrown = false;
    try
    {
        reg.ReadRect(L"Three", rect);
    }
    catch (CInvalidArgException* e)
    {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);

    // More than 30 bytes is not a rectangle.
    const std::string eight = std::string("\x08\x00", 2) + Dwords({1, 2, 3, 4, 5, 6, 7, 8});
    RegSetValueExW(reg.m_hKey, L"Eight", 0, REG_BINARY, reinterpret_cast<const BYTE*>(eight.data()), 34);
    EXPECT_FALSE(reg.ReadRect(L"Eight", rect));
    EXPECT_EQ(ERROR_MORE_DATA, reg.m_lLastStatus);

    reg.WriteString(L"Text", L"0,0,1,1");
    EXPECT_FALSE(reg.ReadPoint(L"Text", *reinterpret_cast<POINT*>(&rect)));
}

TEST_F(ArchivedValues, ArraysKeepTheSizeTheCallerGave)
{
    CDWordArray stored;
    for (DWORD v : {11u, 22u, 33u, 44u, 55u})
        stored.Add(v);
    ASSERT_TRUE(reg.WriteObject(L"Numbers", stored));
    EXPECT_EQ(3u, reg.m_dwLastType);
    EXPECT_EQ(22u, reg.m_dwLastSize);

    CDWordArray three;
    three.SetSize(3);
    ASSERT_TRUE(reg.ReadDWordArray(L"Numbers", three));
    ASSERT_EQ(3, three.GetSize());
    EXPECT_EQ(11u, three[0]);
    EXPECT_EQ(33u, three[2]);

    CDWordArray seven;
    seven.SetSize(7);
    seven[6] = 99;
    ASSERT_TRUE(reg.ReadDWordArray(L"Numbers", seven));
    ASSERT_EQ(7, seven.GetSize());
    EXPECT_EQ(55u, seven[4]);
    EXPECT_EQ(0u, seven[6]);

    CDWordArray none;
    ASSERT_TRUE(reg.ReadDWordArray(L"Numbers", none));
    EXPECT_EQ(0, none.GetSize());
    EXPECT_FALSE(reg.ReadDWordArray(L"Missing", three));

    CByteArray bytes;
    bytes.Add(7);
    bytes.Add(8);
    ASSERT_TRUE(reg.WriteObject(L"Bytes", bytes));
    CByteArray readBytes;
    readBytes.SetSize(2);
    ASSERT_TRUE(reg.ReadByteArray(L"Bytes", readBytes));
    EXPECT_EQ(8, readBytes[1]);

    CWordArray words;
    words.Add(0xBEEF);
    ASSERT_TRUE(reg.WriteObject(L"Words", words));
    CWordArray readWords;
    readWords.SetSize(1);
    ASSERT_TRUE(reg.ReadWordArray(L"Words", readWords));
    EXPECT_EQ(0xBEEF, readWords[0]);
}

TEST_F(ArchivedValues, StringArraysAndListsRoundTrip)
{
    CStringArray strings;
    strings.Add(L"alpha");
    strings.Add(L"");
    strings.Add(L"\x00FC\x20AC");
    ASSERT_TRUE(reg.WriteObject(L"Strings", strings));
    CStringArray read;
    read.SetSize(3);
    ASSERT_TRUE(reg.ReadStringArray(L"Strings", read));
    EXPECT_STREQ(L"alpha", read[0]);
    EXPECT_STREQ(L"", read[1]);
    EXPECT_STREQ(L"\x00FC\x20AC", read[2]);

    CStringList list;
    list.AddTail(L"one");
    list.AddTail(L"two");
    ASSERT_TRUE(reg.WriteObject(L"List", list));
    CStringList readList;
    readList.AddTail(L"stale");
    ASSERT_TRUE(reg.ReadStringList(L"List", readList));
    ASSERT_EQ(2, readList.GetCount());
    EXPECT_STREQ(L"one", readList.GetHead());
    EXPECT_STREQ(L"two", readList.GetTail());

    // A stored list is read only up to 4096 bytes.
    CStringList big;
    for (int i = 0; i < 100; ++i)
        big.AddTail(CString(L'x', 40));
    ASSERT_TRUE(reg.WriteObject(L"Big", big));
    EXPECT_FALSE(reg.ReadStringList(L"Big", readList));
    EXPECT_EQ(ERROR_MORE_DATA, reg.m_lLastStatus);
}
