#include <framework/collections.h>

#include <gtest/gtest.h>

#include <vector>

namespace
{
template <class Fn>
bool ThrowsInvalidArg(Fn fn)
{
    try
    {
        fn();
    }
    catch (CInvalidArgException* e)
    {
        e->Delete();
        return true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    return false;
}
} // namespace

TEST(CArrayGrowth, WithoutGrowByGrowsByAnEighthBetween4And1024)
{
    CDWordArray a;
    a.Add(1);
    EXPECT_EQ(1, a.GetAllocSize());  // the first allocation is exact
    a.Add(2);
    EXPECT_EQ(5, a.GetAllocSize());  // 1 + max(4, 1 / 8)
    while (a.GetSize() < 80)
        a.Add(0);
    const INT_PTR before = a.GetAllocSize();
    a.SetSize(before + 1);
    EXPECT_EQ(before + (before / 8 < 4 ? 4 : before / 8), a.GetAllocSize());

    CDWordArray big;
    big.SetSize(20000);
    big.Add(0);
    EXPECT_EQ(20000 + 1024, big.GetAllocSize());  // an eighth would be 2500
}

TEST(CArrayGrowth, GrowByAndExplicitSizesAreKept)
{
    CWordArray a;
    a.SetSize(0, 50);
    a.Add(1);
    EXPECT_EQ(50, a.GetAllocSize());
    a.SetSize(51);
    EXPECT_EQ(100, a.GetAllocSize());
    a.SetSize(300);
    EXPECT_EQ(300, a.GetAllocSize());  // a jump beyond one step takes the requested size
    a.SetSize(10);
    EXPECT_EQ(300, a.GetAllocSize());  // shrinking keeps the memory
    a.FreeExtra();
    EXPECT_EQ(10, a.GetAllocSize());
    a.SetSize(0);
    EXPECT_EQ(0, a.GetAllocSize());
}

TEST(CArrayAccess, IndexOutsideTheArrayThrowsInvalidArg)
{
    CStringArray a;
    a.Add(L"x");
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a.GetAt(1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a.GetAt(-1); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { (void)a[1]; }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetAt(5, L"y"); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(0, 2); }));
    EXPECT_TRUE(ThrowsInvalidArg([&] { a.SetSize(-1); }));
    EXPECT_STREQ(L"x", a[0]);
}

TEST(CArrayEditing, InsertRemoveAppendAndSelfReferences)
{
    CStringArray a;
    for (const wchar_t* s : {L"a", L"b", L"c"})
        a.Add(s);
    a.InsertAt(1, L"X", 2);
    a.RemoveAt(0);
    a.InsertAt(6, L"far");  // past the end: the gap is filled with empty strings
    std::vector<CString> got;
    for (INT_PTR i = 0; i < a.GetSize(); ++i)
        got.push_back(a[i]);
    EXPECT_EQ((std::vector<CString>{L"X", L"X", L"b", L"c", L"", L"", L"far"}), got);

    // Adding an element of the array itself while it reallocates.
    CStringArray grow;
    grow.Add(L"seed");
    for (int i = 0; i < 40; ++i)
        grow.Add(grow[0]);
    EXPECT_EQ(41, grow.GetSize());
    EXPECT_STREQ(L"seed", grow[40]);
    grow.InsertAt(0, grow[40], 3);
    EXPECT_STREQ(L"seed", grow[0]);

    CStringArray b;
    b.Add(L"tail");
    EXPECT_EQ(44, grow.Append(b));
    EXPECT_STREQ(L"tail", grow[44]);
    CStringArray copy(grow);
    grow.RemoveAll();
    EXPECT_EQ(45, copy.GetSize());
    EXPECT_TRUE(ThrowsInvalidArg([&] { copy.Append(copy); }));
}

TEST(CStringListOps, HeadTailPositionsAndSearch)
{
    CStringList list;
    EXPECT_TRUE(ThrowsInvalidArg([&] { list.GetHead(); }));
    POSITION b = list.AddTail(L"b");
    list.AddHead(L"a");
    list.InsertAfter(b, L"c");
    list.InsertBefore(b, L"a2");
    EXPECT_EQ(4, list.GetCount());
    std::vector<CString> forward;
    for (POSITION p = list.GetHeadPosition(); p;)
        forward.push_back(list.GetNext(p));
    EXPECT_EQ((std::vector<CString>{L"a", L"a2", L"b", L"c"}), forward);
    EXPECT_EQ(b, list.Find(L"b"));
    EXPECT_EQ(nullptr, list.Find(L"b", b));
    EXPECT_EQ(b, list.FindIndex(2));
    list.RemoveAt(b);
    EXPECT_STREQ(L"a", list.RemoveHead());
    EXPECT_STREQ(L"c", list.RemoveTail());
    EXPECT_STREQ(L"a2", list.GetHead());
    EXPECT_EQ(list.GetHeadPosition(), list.GetTailPosition());
}

TEST(CMapStringToStringOps, LookupOverwriteRemoveAndIterate)
{
    CMapStringToString map(10);
    EXPECT_EQ(10, map.GetBlockSize());
    for (int i = 0; i < 1000; ++i)
    {
        CString key, value;
        key.Format(L"key%d", i);
        value.Format(L"value%d", i);
        map.SetAt(key, value);
    }
    map[L"key8"] = L"eight";
    EXPECT_EQ(1000, map.GetCount());
    CString value;
    ASSERT_TRUE(map.Lookup(L"key8", value));
    EXPECT_STREQ(L"eight", value);
    EXPECT_FALSE(map.Lookup(L"KEY8", value));  // keys are case-sensitive
    for (int i = 0; i < 1000; i += 2)
    {
        CString key;
        key.Format(L"key%d", i);
        EXPECT_TRUE(map.RemoveKey(key));
    }
    EXPECT_FALSE(map.RemoveKey(L"key0"));
    EXPECT_EQ(500, map.GetCount());
    int seen = 0;
    CString k, v;
    for (POSITION p = map.GetStartPosition(); p;)
    {
        map.GetNextAssoc(p, k, v);
        EXPECT_EQ(k.Mid(3), v.Mid(5));
        ++seen;
    }
    EXPECT_EQ(500, seen);
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.GetStartPosition());
    map[L""] = L"empty key";
    EXPECT_TRUE(map.Lookup(L"", value));
}

TEST(CMapStringToStringOps, HashTableSizeIsFixedWhileFilled)
{
    CMapStringToString map;
    map.InitHashTable(1);  // every key in one chain
    for (const wchar_t* key : {L"x", L"y", L"z"})
        map[key] = key;
    CString value;
    EXPECT_TRUE(map.Lookup(L"y", value));
    EXPECT_TRUE(map.RemoveKey(L"y"));
    EXPECT_TRUE(map.Lookup(L"z", value));
    EXPECT_TRUE(ThrowsInvalidArg([&] { map.InitHashTable(31); }));
    EXPECT_EQ(CMapStringToString::HashKey(L"ab"), ((0u * 33 + 'a') * 33 + 'b'));
}
