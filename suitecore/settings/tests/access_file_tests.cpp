// Rights on real files and folders, read and granted through SuiteCore's exports; where Wine 8
// keeps no DACL of a file's own (it derives one from the Unix mode), a replaced security reader
// hands the checks the descriptor under test.
#include "access_test_util.h"

#include <suitecore/access.h>

#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

using namespace access_detail;
using namespace access_test;

namespace
{
class FileRightsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearAccessMessages();
        ASSERT_TRUE(testsupport::WriteFileBytes(m_file, "data"));
    }

    testsupport::TempDir m_dir;
    std::wstring m_file = m_dir.File(L"file.txt");
};

// What the process user gets on a file Wine created: everything.
constexpr DWORD kAllFileRights = RIGHTS_WRITE | RIGHTS_READ | RIGHTS_READ_WRITE | RIGHTS_DELETE |
                                 RIGHTS_DELETE_CHILDREN | RIGHTS_EXECUTE | RIGHTS_CHANGE_PERMISSIONS |
                                 RIGHTS_TAKE_OWNERSHIP;
} // namespace

TEST_F(FileRightsTest, AFileTheUserCreatedGrantsEverything)
{
    EXPECT_EQ(kAllFileRights, GetFileRights(m_file.c_str(), L"SOMEDOMAIN", L"someone"));
    EXPECT_TRUE(CanWriteFile(m_file.c_str()));
    EXPECT_TRUE(CanDeleteFile(m_file.c_str()));
    EXPECT_STREQ(L"", ExportedMessages());
}

TEST_F(FileRightsTest, AReadOnlyFileCanBeReadButNotWrittenOrDeleted)
{
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(DWORD(RIGHTS_READ | RIGHTS_NO_WRITE | RIGHTS_EXECUTE | RIGHTS_CHANGE_PERMISSIONS | RIGHTS_TAKE_OWNERSHIP),
              GetFileRights(m_file.c_str(), L"", L""));
    EXPECT_FALSE(CanWriteFile(m_file.c_str()));
    EXPECT_FALSE(CanDeleteFile(m_file.c_str())); // the rights were read: no attribute fallback
    SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileRightsTest, MissingOrEmptyPathsGiveZeroAndSayWhy)
{
    EXPECT_EQ(0u, GetFileRights(L"", L"", L""));
    EXPECT_EQ(0u, GetFileRights(nullptr, L"", L""));
    EXPECT_STREQ(L"No file name specified.|No file name specified.|", ExportedMessages());

    ClearAccessMessages();
    const std::wstring missing = m_dir.File(L"missing.txt");
    EXPECT_EQ(0u, GetFileRights(missing.c_str(), L"", L""));
    EXPECT_FALSE(CanWriteFile(missing.c_str()));
    EXPECT_FALSE(CanDeleteFile(missing.c_str())); // nor can its attributes be read
    CStringArray messages;
    GetAccessMessages(messages);
    ASSERT_EQ(6, messages.GetSize()); // three checks, each the system's text and ours
    EXPECT_STREQ(SystemText(ERROR_FILE_NOT_FOUND), messages[0]);
    EXPECT_STREQ(L"Failed to get file's DACL and SD.", messages[1]);
}

TEST_F(FileRightsTest, GrantingReadAndWriteMakesAReadOnlyFileWritable)
{
    ASSERT_TRUE(SetFileAttributesW(m_file.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_FALSE(CanWriteFile(m_file.c_str()));
    EXPECT_TRUE(GrantFileRights(m_file.c_str(), RIGHTS_READ_WRITE, FALSE, L"ignored"));
    EXPECT_STREQ(L"", ExportedMessages());
    EXPECT_TRUE(CanWriteFile(m_file.c_str()));
    // And the system agrees: the file opens for writing.
    HANDLE file = CreateFileW(m_file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
}

TEST_F(FileRightsTest, GrantingOnNothingFailsWithTheReason)
{
    EXPECT_FALSE(GrantFileRights(L"", RIGHTS_READ, FALSE, L""));
    EXPECT_STREQ(L"Empty file name specified.|", ExportedMessages());
    const std::wstring missing = m_dir.File(L"missing.txt");
    EXPECT_FALSE(GrantFileRights(missing.c_str(), RIGHTS_READ, TRUE, L""));
    CStringArray messages;
    GetAccessMessages(messages); // the grant started a fresh list
    ASSERT_EQ(2, messages.GetSize());
    EXPECT_STREQ(L"Failed to get file's DACL.", messages[1]);
}

TEST(FolderRights, AFolderIsDeletableOnlyWithEverythingInIt)
{
    testsupport::TempDir dir;
    const std::wstring sub = dir.File(L"sub");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    const std::wstring deep = sub + L"\\deep.txt";
    ASSERT_TRUE(testsupport::WriteFileBytes(deep, "x"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"top.txt"), "x"));

    // Wine gives folders an inheritable entry for Everyone, one of the token's groups.
    const DWORD folder = GetFileRights(dir.Path().c_str(), L"", L"");
    EXPECT_EQ(kAllFileRights | RIGHTS_INHERITABLE_GROUP_ENTRY, folder);

    // One read-only file deep inside takes the delete rights from the whole folder.
    ASSERT_TRUE(SetFileAttributesW(deep.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(folder & ~(RIGHTS_DELETE | RIGHTS_DELETE_CHILDREN), GetFileRights(dir.Path().c_str(), L"", L""));
    EXPECT_EQ(folder & ~(RIGHTS_DELETE | RIGHTS_DELETE_CHILDREN),
              GetFileRights((dir.Path() + L"\\").c_str(), L"", L""));
    EXPECT_FALSE(CanDeleteFile(dir.Path().c_str()));
    EXPECT_TRUE(CanDeleteFile(dir.File(L"top.txt").c_str()));
    SetFileAttributesW(deep.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Descriptors handed to the checks in place of the file's own.
namespace
{
std::wstring g_sddl;     // the descriptor of the first object read
std::wstring g_sddlRest; // and of every later one
int g_reads;

DWORD WINAPI DescriptorFromSddl(HANDLE, SE_OBJECT_TYPE, SECURITY_INFORMATION, PSID*, PSID*, PACL* dacl, PACL*,
                                PSECURITY_DESCRIPTOR* descriptor)
{
    const std::wstring& sddl = g_reads++ == 0 ? g_sddl : g_sddlRest;
    if (sddl.empty())
        return ERROR_ACCESS_DENIED;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor, nullptr))
        return GetLastError();
    BOOL present = FALSE, defaulted = FALSE;
    GetSecurityDescriptorDacl(*descriptor, &present, dacl, &defaulted);
    return ERROR_SUCCESS;
}

AccessPlatform WithDescriptor(const std::wstring& sddl, const std::wstring& sddlRest = std::wstring())
{
    g_sddl = sddl;
    g_sddlRest = sddlRest.empty() ? sddl : sddlRest;
    g_reads = 0;
    AccessPlatform platform;
    platform.securityInfo = &DescriptorFromSddl;
    return platform;
}

std::wstring UserSidText()
{
    return SidToString(ProcessToken().user.Get());
}
} // namespace

TEST_F(FileRightsTest, ANullDaclYieldsZero)
{
    EXPECT_EQ(0u, FileRights(m_file.c_str(), WithDescriptor(L"D:NO_ACCESS_CONTROL")));
}

TEST_F(FileRightsTest, ADenyEntryTakesItsRightAway)
{
    const std::wstring user = UserSidText();
    const AccessPlatform platform = WithDescriptor(L"D:(D;;SD;;;" + user + L")(A;;FA;;;" + user + L")");
    EXPECT_EQ(kAllFileRights & ~RIGHTS_DELETE, FileRights(m_file.c_str(), platform));
    EXPECT_FALSE(CanDelete(m_file.c_str(), platform));
}

TEST_F(FileRightsTest, CanDeleteFallsBackToRewritingTheAttributes)
{
    // The rights cannot be read at all, or give nothing: the attributes decide.
    const DWORD before = GetFileAttributesW(m_file.c_str());
    ClearMessages();
    EXPECT_TRUE(CanDelete(m_file.c_str(), WithDescriptor(L"")));
    EXPECT_STREQ(SystemText(ERROR_ACCESS_DENIED) + L"|Failed to get file's DACL and SD.|", Messages());
    EXPECT_TRUE(CanDelete(m_file.c_str(), WithDescriptor(L"D:NO_ACCESS_CONTROL")));
    EXPECT_TRUE(CanDelete(m_file.c_str(), WithDescriptor(L"D:"))); // an empty DACL grants nothing
    EXPECT_EQ(before, GetFileAttributesW(m_file.c_str()));
    EXPECT_FALSE(CanDelete(m_dir.File(L"missing.txt").c_str(), WithDescriptor(L"")));
}

TEST(FolderRights, TheWalkIsCutShortAtTheFirstUndeletableEntry)
{
    testsupport::TempDir dir;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"f" + std::to_wstring(i)), "x"));
    // The folder's inheritable entry for Everyone sends the check through its entries, each of
    // which denies delete to the user: the first one settles it.
    const std::wstring user = UserSidText();
    const AccessPlatform platform = WithDescriptor(L"D:(A;OICI;FA;;;WD)(A;;FA;;;" + user + L")",
                                                   L"D:(D;;SD;;;" + user + L")(A;;FA;;;" + user + L")");
    EXPECT_EQ((kAllFileRights & ~(RIGHTS_DELETE | RIGHTS_DELETE_CHILDREN)) | RIGHTS_INHERITABLE_GROUP_ENTRY,
              FileRights(dir.Path().c_str(), platform));
    EXPECT_EQ(2, g_reads);
    // Without the inheritable entry the folder's own rights stand and its entries are not read.
    const AccessPlatform plain = WithDescriptor(L"D:(A;;FA;;;" + user + L")", L"D:(D;;SD;;;" + user + L")");
    EXPECT_EQ(kAllFileRights, FileRights(dir.Path().c_str(), plain));
    EXPECT_EQ(1, g_reads);
}

TEST(VolumeType, NtfsIsRecognisedAndMissingRootsAreNot)
{
    EXPECT_TRUE(IsNtfsVolume(L"C:\\")); // Wine reports its drives as NTFS
    EXPECT_FALSE(IsNtfsVolume(nullptr));
    const DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 2; --letter)
    {
        if (!(drives & (1u << letter)))
        {
            const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', 0};
            EXPECT_FALSE(IsNtfsVolume(root)) << root;
            break;
        }
    }
}

TEST(Virtualization, TheTokenIsAskedAndTheListStartsFresh)
{
    ClearAccessMessages();
    GetFileRights(L"", L"", L"");
    EXPECT_EQ(0, IsVirtualizationEnabled()); // Wine answers the query: off
    CStringArray messages;
    GetAccessMessages(messages);
    EXPECT_EQ(0, messages.GetSize());
}
