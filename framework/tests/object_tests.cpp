#include <framework/exception.h>
#include <framework/object.h>

#include <gtest/gtest.h>

namespace
{
class CShape : public CObject
{
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape
{
    DECLARE_DYNCREATE(CCircle)
public:
    int radius = 7;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)
} // namespace

TEST(RuntimeClass, NamesBasesAndKinds)
{
    CCircle circle;
    CObject* object = &circle;
    EXPECT_STREQ("CCircle", object->GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(object->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(object->IsKindOf(RUNTIME_CLASS(CException)));
    EXPECT_EQ(&circle, DYNAMIC_DOWNCAST(CShape, object));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CException, object));
}

TEST(RuntimeClass, CreatesDynamicClassesByName)
{
    CObject* created = CRuntimeClass::CreateObject("CCircle");
    ASSERT_NE(nullptr, created);
    ASSERT_TRUE(created->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(7, static_cast<CCircle*>(created)->radius);
    delete created;
    EXPECT_EQ(nullptr, CRuntimeClass::CreateObject("CShape"));  // not creatable
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("NoSuchClass"));
}

TEST(Exceptions, ThrownFromTheFrameworkDllAreCaughtHereAsHeapObjects)
{
    bool caught = false;
    try
    {
        AfxThrowInvalidArgException();
    }
    catch (CException* e)
    {
        caught = e->IsKindOf(RUNTIME_CLASS(CInvalidArgException));
        wchar_t text[64];
        EXPECT_TRUE(e->GetErrorMessage(text, 64));
        EXPECT_STREQ(L"Encountered an improper argument.", text);
        e->Delete();
    }
    EXPECT_TRUE(caught);
}

TEST(Exceptions, MemoryExceptionIsStaticAndSurvivesDelete)
{
    CException* first = nullptr;
    CException* second = nullptr;
    try
    {
        AfxThrowMemoryException();
    }
    catch (CException* e)
    {
        first = e;
        e->Delete();
    }
    try
    {
        AfxThrowMemoryException();
    }
    catch (CMemoryException* e)
    {
        second = e;
        e->Delete();
    }
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(first, second);
}

TEST(Exceptions, ErrorMessageIsCutToTheBuffer)
{
    CNotSupportedException e(FALSE);
    wchar_t text[8];
    EXPECT_TRUE(e.GetErrorMessage(text, 8));
    EXPECT_STREQ(L"An unsu", text);
}
