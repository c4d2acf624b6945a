// SuiteDiag rights, key-rights and xml, run as real child processes.
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

namespace
{
testsupport::ProcessResult SuiteDiag(const std::wstring& arguments)
{
    return testsupport::RunProcess(L"\"" + testsupport::BinFolder() + L"\\SuiteDiag.exe\" " + arguments);
}

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::wstring CurrentUserName()
{
    WCHAR name[256];
    DWORD size = 256;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}
} // namespace

TEST(SuiteDiagRights, PrintsTheWordAndItsBitNames)
{
    testsupport::TempDir dir;
    const std::wstring file = dir.File(L"file.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(file, "x"));
    auto r = SuiteDiag(L"rights " + Quoted(file));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("0x00001C1F write, read, read and write, delete, delete children, execute, change permissions, "
              "take ownership\n",
              r.out);

    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    r = SuiteDiag(L"rights " + Quoted(file));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("0x00001C22 read, no write, execute, change permissions, take ownership\n", r.out);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SuiteDiagRights, AnUnreadablePathFailsWithTheReasons)
{
    testsupport::TempDir dir;
    const auto r = SuiteDiag(L"rights " + Quoted(dir.File(L"missing.txt")));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("0x00000000\n", r.out);
    EXPECT_NE(std::string::npos, r.err.find("SuiteDiag rights: Failed to get file's DACL and SD.\n")) << r.err;
    EXPECT_EQ(2u, SuiteDiag(L"rights").exitCode);
}

TEST(SuiteDiagKeyRights, PrintsTheWordForANamedUser)
{
    testsupport::TempRegKey temp;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(temp.Root(), temp.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    auto r = SuiteDiag(L"key-rights " + Quoted(L"HKCU\\" + temp.Path()) + L" " + Quoted(CurrentUserName()));
    EXPECT_EQ(0u, r.exitCode) << r.err;
    EXPECT_EQ("0x0000188F write, read, read and write, delete, inheritable group entry, change permissions, "
              "take ownership\n",
              r.out);

    r = SuiteDiag(L"key-rights " + Quoted(L"HKEY_CURRENT_USER\\" + temp.Path()) + L" \"\"");
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("0x00000000\n", r.out);
    EXPECT_EQ("SuiteDiag key-rights: Empty user name specified.\n", r.err);

    r = SuiteDiag(L"key-rights HKXX\\Software someone");
    EXPECT_EQ(2u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("unknown root key")) << r.err;
    EXPECT_EQ(2u, SuiteDiag(L"key-rights HKCU\\Software").exitCode);
}

TEST(SuiteDiagXml, ReadsUtf8AndUtf16)
{
    testsupport::TempDir dir;
    const std::string doc = "<r><a>\xC3\xA9t\xC3\xA9</a><b/></r>"; // UTF-8 "été"
    const std::wstring wide = L"<r><a>\u00E9t\u00E9</a><b/></r>";
    std::string le, be;
    for (wchar_t c : wide)
    {
        le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    const std::pair<const wchar_t*, std::string> files[] = {
        {L"plain.xml", doc},          {L"bom8.xml", "\xEF\xBB\xBF" + doc},
        {L"le.xml", "\xFF\xFE" + le}, {L"be.xml", "\xFE\xFF" + be},
        {L"bare-le.xml", le},
    };
    for (const auto& [name, bytes] : files)
    {
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(name), bytes));
        const auto r = SuiteDiag(L"xml " + Quoted(dir.File(name)));
        EXPECT_EQ(0u, r.exitCode) << testsupport::Utf8(name) << ": " << r.err;
        EXPECT_EQ("ok 3\n", r.out) << testsupport::Utf8(name);
    }
}

TEST(SuiteDiagXml, ParseErrorsAndMissingFilesFail)
{
    testsupport::TempDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"bad.xml"), "<a><b/></c>"));
    auto r = SuiteDiag(L"xml " + Quoted(dir.File(L"bad.xml")));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("SuiteDiag xml: End tag does not correspond to a\n", r.err);

    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"empty.xml"), ""));
    r = SuiteDiag(L"xml " + Quoted(dir.File(L"empty.xml")));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("SuiteDiag xml: Element tag not found\n", r.err);

    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"end.xml"), "</a>"));
    r = SuiteDiag(L"xml " + Quoted(dir.File(L"end.xml")));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_EQ("SuiteDiag xml: no root element\n", r.err);

    r = SuiteDiag(L"xml " + Quoted(dir.File(L"missing.xml")));
    EXPECT_EQ(1u, r.exitCode);
    EXPECT_NE(std::string::npos, r.err.find("SuiteDiag xml: ")) << r.err;
    EXPECT_EQ(2u, SuiteDiag(L"xml").exitCode);
}
