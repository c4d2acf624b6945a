// The DACL evaluator over hand-built ACLs, the choice between the system's answer and the
// evaluator's, and the rights word.
#include "access_test_util.h"

#include <suitecore/access.h>

#include <gtest/gtest.h>

using namespace access_detail;
using namespace access_test;

namespace
{
const CSid kUser = SidFromString(L"S-1-5-21-1-2-3-1001");
const CSid kOther = SidFromString(L"S-1-5-21-1-2-3-1002");
const CSid kGroup = SidFromString(L"S-1-5-32-545");
const CSid kDenyOnlyGroup = SidFromString(L"S-1-5-32-544");

std::vector<SubjectSid> Subject()
{
    return {{kUser, false}, {kGroup, false}, {kDenyOnlyGroup, true}};
}

ACCESS_MASK Evaluate(const std::vector<Entry>& entries, const GENERIC_MAPPING& mapping = kFileMapping)
{
    CTestAcl acl(entries);
    ACCESS_MASK mask = 0xDEADBEEF;
    EXPECT_TRUE(EvaluateDacl(acl.Get(), Subject(), mapping, mask));
    return mask;
}

constexpr BYTE kAllow = ACCESS_ALLOWED_ACE_TYPE;
constexpr BYTE kDeny = ACCESS_DENIED_ACE_TYPE;
} // namespace

TEST(DaclEvaluator, EntriesApplyInOrderAndADenialBeforeAGrantWins)
{
    EXPECT_EQ(FILE_ALL_ACCESS, Evaluate({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}}));
    // Canonical order: the denial comes first and removes the right from the later grant.
    EXPECT_EQ(FILE_ALL_ACCESS & ~DELETE,
              Evaluate({{kDeny, 0, DELETE, kUser.Get()}, {kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}}));
    // A right granted before a denial stays granted, as the system's access check has it.
    EXPECT_EQ(FILE_ALL_ACCESS, Evaluate({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}, {kDeny, 0, DELETE, kUser.Get()}}));
    // Grants add up across entries for the user and the groups.
    EXPECT_EQ(FILE_READ_DATA | FILE_WRITE_DATA,
              Evaluate({{kAllow, 0, FILE_READ_DATA, kUser.Get()}, {kAllow, 0, FILE_WRITE_DATA, kGroup.Get()}}));
}

TEST(DaclEvaluator, OnlyTheSubjectsEntriesCountAndDenyOnlyGroupsOnlyDeny)
{
    EXPECT_EQ(0u, Evaluate({{kAllow, 0, FILE_ALL_ACCESS, kOther.Get()}}));
    EXPECT_EQ(0u, Evaluate({{kAllow, 0, FILE_ALL_ACCESS, kDenyOnlyGroup.Get()}}));
    EXPECT_EQ(FILE_ALL_ACCESS & ~FILE_WRITE_DATA,
              Evaluate({{kDeny, 0, FILE_WRITE_DATA, kDenyOnlyGroup.Get()}, {kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}}));
    EXPECT_EQ(FILE_ALL_ACCESS, Evaluate({{kDeny, 0, DELETE, kOther.Get()}, {kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}}));
}

TEST(DaclEvaluator, InheritOnlyEntriesAreSkippedAndGenericRightsMapped)
{
    EXPECT_EQ(0u, Evaluate({{kAllow, INHERIT_ONLY_ACE | CONTAINER_INHERIT_ACE, GENERIC_ALL, kUser.Get()}}));
    EXPECT_EQ(FILE_ALL_ACCESS,
              Evaluate({{kAllow, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, GENERIC_ALL, kUser.Get()}}));
    EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_GENERIC_READ | FILE_GENERIC_WRITE),
              Evaluate({{kAllow, 0, GENERIC_READ | GENERIC_WRITE, kUser.Get()}}));
    EXPECT_EQ(static_cast<ACCESS_MASK>(KEY_READ), Evaluate({{kAllow, 0, GENERIC_READ, kUser.Get()}}, kKeyMapping));
    EXPECT_EQ(static_cast<ACCESS_MASK>(KEY_ALL_ACCESS & ~KEY_SET_VALUE),
              Evaluate({{kDeny, 0, KEY_SET_VALUE, kUser.Get()}, {kAllow, 0, GENERIC_ALL, kUser.Get()}}, kKeyMapping));
}

TEST(DaclEvaluator, AnEmptyDaclGrantsNothing)
{
    EXPECT_EQ(0u, Evaluate({}));
}

TEST(DaclEvaluator, MalformedAclsAreRefusedWithoutReadingPastThem)
{
    ACCESS_MASK mask = 1;
    EXPECT_FALSE(EvaluateDacl(nullptr, Subject(), kFileMapping, mask));

    // An entry claiming more bytes than the ACL has.
    CTestAcl tooLong({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}});
    reinterpret_cast<ACE_HEADER*>(tooLong.Get() + 1)->AceSize += 4;
    EXPECT_FALSE(EvaluateDacl(tooLong.Get(), Subject(), kFileMapping, mask));

    // A zero-sized entry would never advance.
    CTestAcl zero({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}});
    reinterpret_cast<ACE_HEADER*>(zero.Get() + 1)->AceSize = 0;
    EXPECT_FALSE(EvaluateDacl(zero.Get(), Subject(), kFileMapping, mask));

    // More entries counted than the ACL holds.
    CTestAcl extra({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}});
    extra.Get()->AceCount = 2;
    EXPECT_FALSE(EvaluateDacl(extra.Get(), Subject(), kFileMapping, mask));

    // A SID whose sub-authority count runs past its entry.
    CTestAcl badSid({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}});
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(badSid.Get() + 1);
    reinterpret_cast<SID*>(&ace->SidStart)->SubAuthorityCount = 12;
    EXPECT_FALSE(EvaluateDacl(badSid.Get(), Subject(), kFileMapping, mask));
    EXPECT_EQ(0u, mask);
}

TEST(DaclEvaluator, EntriesOfOtherKindsAreSkipped)
{
    // An audit entry has the same layout as an allow entry but grants nothing.
    CTestAcl acl({{kAllow, 0, FILE_ALL_ACCESS, kUser.Get()}, {kAllow, 0, FILE_READ_DATA, kUser.Get()}});
    auto* first = reinterpret_cast<ACE_HEADER*>(acl.Get() + 1);
    first->AceType = SYSTEM_AUDIT_ACE_TYPE;
    ACCESS_MASK mask = 0;
    ASSERT_TRUE(EvaluateDacl(acl.Get(), Subject(), kFileMapping, mask));
    EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_READ_DATA), mask);
}

namespace
{
ACCESS_MASK g_platformMask;
DWORD g_platformResult;
int g_platformCalls;

DWORD WINAPI FakeEffectiveRights(PACL, PTRUSTEE_W trustee, PACCESS_MASK mask)
{
    ++g_platformCalls;
    EXPECT_EQ(TRUSTEE_IS_SID, trustee->TrusteeForm);
    if (g_platformResult == ERROR_SUCCESS)
        *mask = g_platformMask;
    return g_platformResult;
}

AccessPlatform FakePlatform(DWORD result, ACCESS_MASK mask)
{
    g_platformResult = result;
    g_platformMask = mask;
    g_platformCalls = 0;
    AccessPlatform platform;
    platform.effectiveRights = &FakeEffectiveRights;
    return platform;
}
} // namespace

TEST(EffectiveRights, TheSystemsAnswerComesFirstAndTheEvaluatorStandsIn)
{
    const CSid user(ProcessToken().user);
    CTestAcl acl({{kDeny, 0, DELETE, user.Get()}, {kAllow, 0, FILE_ALL_ACCESS, user.Get()}});

    EXPECT_EQ(0x1234u, GetEffectiveRights(acl.Get(), user.Get(), kFileMapping, FakePlatform(0, 0x1234)).mask);
    EXPECT_EQ(1, g_platformCalls);
    EXPECT_EQ(
        FILE_ALL_ACCESS & ~DELETE,
        GetEffectiveRights(acl.Get(), user.Get(), kFileMapping, FakePlatform(ERROR_CALL_NOT_IMPLEMENTED, 0)).mask);
    EXPECT_EQ(1, g_platformCalls);
    // With the system's own function: whether it answers (Windows) or not (Wine), the result is
    // the same.
    EXPECT_EQ(FILE_ALL_ACCESS & ~DELETE, GetEffectiveRights(acl.Get(), user.Get(), kFileMapping, {}).mask);
}

TEST(EffectiveRights, TheProcessUserIsCheckedWithTheTokensGroups)
{
    const TokenInfo& token = ProcessToken();
    ASSERT_FALSE(token.user.IsEmpty());
    const CSid everyone = SidFromString(L"S-1-1-0");
    CTestAcl acl({{kAllow, 0, FILE_GENERIC_READ, everyone.Get()}});
    EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_GENERIC_READ),
              GetEffectiveRights(acl.Get(), token.user.Get(), kFileMapping, FakePlatform(1, 0)).mask);
    // Another account: only the groups every account belongs to.
    CTestAcl admins({{kAllow, 0, FILE_ALL_ACCESS, SidFromString(L"S-1-5-32-544").Get()},
                     {kAllow, 0, FILE_READ_DATA, everyone.Get()}});
    EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_READ_DATA),
              GetEffectiveRights(admins.Get(), kOther.Get(), kFileMapping, FakePlatform(1, 0)).mask);
}

TEST(EffectiveRights, AnInheritableEntryForATokenGroupIsMarked)
{
    const CSid everyone = SidFromString(L"S-1-1-0"); // a group of every token
    const CSid user(ProcessToken().user);
    auto marked = [&](const std::vector<Entry>& entries)
    {
        CTestAcl acl(entries);
        return GetEffectiveRights(acl.Get(), user.Get(), kFileMapping, {}).inheritableGroupEntry;
    };
    EXPECT_TRUE(marked({{kAllow, OBJECT_INHERIT_ACE, FILE_GENERIC_READ, everyone.Get()}}));
    EXPECT_TRUE(marked({{kDeny, CONTAINER_INHERIT_ACE, DELETE, everyone.Get()}}));
    EXPECT_FALSE(marked({{kAllow, 0, FILE_GENERIC_READ, everyone.Get()}}));
    EXPECT_FALSE(marked({{kAllow, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS, user.Get()}}));
}

TEST(EffectiveRights, NullArgumentsAreRecorded)
{
    ClearMessages();
    CTestAcl acl({});
    EXPECT_EQ(0u, GetEffectiveRights(nullptr, kUser.Get(), kFileMapping, {}).mask);
    EXPECT_EQ(0u, GetEffectiveRights(acl.Get(), nullptr, kFileMapping, {}).mask);
    EXPECT_STREQ(L"Null ACL specified.|Null User SID specified.|", Messages());
}

TEST(RightsWord, FileMasksCondenseByTheFileColumn)
{
    EXPECT_EQ(0x1C1Fu, CondenseFileMask(FILE_ALL_ACCESS));
    EXPECT_EQ(0x1C22u, CondenseFileMask(0x1E00A9)); // read-only file: read, execute, no write
    EXPECT_EQ(0x422u, CondenseFileMask(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
    // Write needs all four of its rights; read all three.
    EXPECT_EQ(0x60u, CondenseFileMask(FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_READ_DATA));
    EXPECT_EQ(0x41u, CondenseFileMask(FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA));
    // Delete alone lifts "no write"; delete children does not.
    EXPECT_EQ(0x48u, CondenseFileMask(DELETE));
    EXPECT_EQ(0x70u, CondenseFileMask(FILE_DELETE_CHILD));
}

TEST(RightsWord, KeyMasksCondenseByTheKeyColumn)
{
    EXPECT_EQ(0x180Fu, CondenseKeyMask(KEY_ALL_ACCESS));
    EXPECT_EQ(0x22u, CondenseKeyMask(KEY_READ));
    EXPECT_EQ(0x22u, CondenseKeyMask(KEY_NOTIFY)); // any one read right counts
    EXPECT_EQ(0x41u, CondenseKeyMask(KEY_CREATE_SUB_KEY));
    EXPECT_EQ(0x60u, CondenseKeyMask(0));
    EXPECT_EQ(0x60u, CondenseKeyMask(FILE_EXECUTE)); // no execute bit for keys
}

TEST(RightsWord, RequestsMapToAccessMasks)
{
    EXPECT_EQ(static_cast<ACCESS_MASK>(GENERIC_READ | GENERIC_WRITE), MapRequestedFileRights(RIGHTS_READ_WRITE));
    EXPECT_EQ(static_cast<ACCESS_MASK>(GENERIC_EXECUTE | DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER),
              MapRequestedFileRights(0x400 | 0x8 | 0x10 | 0x800 | 0x1000));
    EXPECT_EQ(0x2003Fu, MapRequestedKeyRights(RIGHTS_READ_WRITE));
    EXPECT_EQ(0x26u, MapRequestedKeyRights(RIGHTS_WRITE));
    EXPECT_EQ(static_cast<ACCESS_MASK>(DELETE | WRITE_DAC), MapRequestedKeyRights(0x8 | 0x800 | 0x400));
}
