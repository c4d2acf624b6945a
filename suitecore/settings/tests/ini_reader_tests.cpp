// The language-file reader on real INI files in a throwaway folder.
#include <suitecore/inifile.h>

#include <framework/exception.h>

#include <testsupport/dialog_answerer.h>
#include <testsupport/testsupport.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
const char kLanguageFile[] = "[QMN]\r\n"
                             "IDS_OK=OK\r\n"
                             "IDS_QUOTED=\"Quoted text\"\r\n"
                             "IDS_OPEN_QUOTE=\"Opening only\r\n"
                             "IDS_ESCAPES=Line1\\nLine2\\tTab\\rCR\\\\path\r\n"
                             "IDS_PADDED=\"  padded  \"\r\n"
                             "IDS_EMPTY=\r\n"
                             "IDS_BLANK=\"   \"\r\n"
                             "[Other]\r\n"
                             "IDS_OK=Other OK\r\n";

// Reads IDS_OK of section QMN on a thread of its own.
struct ReadOnThread
{
    CIniReader* reader;
    CString text;

    static DWORD WINAPI Entry(LPVOID p)
    {
        auto* self = static_cast<ReadOnThread*>(p);
        return AfxCallbackBarrier([&] { return self->reader->GetKeyValue(L"IDS_OK", L"QMN", self->text) ? 0ul : 1ul; },
                                  2ul);
    }
};

class LanguageFile : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(testsupport::WriteFileBytes(path, kLanguageFile)); }

    CString Get(CIniReader& reader, LPCWSTR key, LPCWSTR section = L"QMN", BOOL* result = nullptr)
    {
        CString text(L"stale");
        const BOOL found = reader.GetKeyValue(key, section, text);
        if (result)
            *result = found;
        EXPECT_EQ(!text.IsEmpty(), found != FALSE) << testsupport::Utf8(key);
        return text;
    }

    testsupport::TempDir dir;
    std::wstring path = dir.File(L"QMN.ini");
};
} // namespace

TEST_F(LanguageFile, QuotesAndEscapesBecomeText)
{
    CIniReader reader(path.c_str());
    EXPECT_STREQ(L"OK", Get(reader, L"IDS_OK"));
    EXPECT_STREQ(L"Other OK", Get(reader, L"IDS_OK", L"Other"));
    EXPECT_STREQ(L"Quoted text", Get(reader, L"IDS_QUOTED")); // the pair goes
    EXPECT_STREQ(L"Opening only", Get(reader, L"IDS_OPEN_QUOTE"));
    EXPECT_STREQ(L"Line1\nLine2\tTab\rCR\\path", Get(reader, L"IDS_ESCAPES"));
}

TEST_F(LanguageFile, MissingAndEmptyKeysGiveFalseAndEmptyText)
{
    CIniReader reader(path.c_str());
    BOOL found = TRUE;
    EXPECT_STREQ(L"", Get(reader, L"IDS_NONE", L"QMN", &found));
    EXPECT_FALSE(found);
    EXPECT_STREQ(L"", Get(reader, L"IDS_EMPTY"));
    EXPECT_STREQ(L"", Get(reader, L"IDS_BLANK"));
    EXPECT_STREQ(L"", Get(reader, L"IDS_QUOTED", L"NoSection"));
    CString text(L"stale");
    EXPECT_FALSE(reader.GetKeyValue(nullptr, L"QMN", text));
    EXPECT_STREQ(L"", text);
    EXPECT_FALSE(reader.GetKeyValue(L"IDS_OK", nullptr, text));

    // Every way out leaves the readers' lock: another thread still gets its answer.
    ReadOnThread call{&reader, CString()};
    HANDLE thread = CreateThread(nullptr, 0, ReadOnThread::Entry, &call, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    CloseHandle(thread);
    EXPECT_STREQ(L"OK", call.text);
}

TEST_F(LanguageFile, CacheHitsReturnTheStoredUntrimmedText)
{
    CIniReader reader(path.c_str());
    EXPECT_STREQ(L"padded", Get(reader, L"IDS_PADDED"));
    EXPECT_STREQ(L"  padded  ", Get(reader, L"IDS_PADDED"));
    EXPECT_STREQ(L"Opening only", Get(reader, L"IDS_OPEN_QUOTE"));
    EXPECT_STREQ(L" Opening only", Get(reader, L"IDS_OPEN_QUOTE"));

    // Answers come from the cache, also after the file changed or the path moved on.
    Get(reader, L"IDS_OK");
    EXPECT_STREQ(L"", Get(reader, L"IDS_EMPTY"));
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "[QMN]\r\nIDS_OK=Changed\r\nIDS_EMPTY=Now set\r\n"));
    EXPECT_STREQ(L"OK", Get(reader, L"IDS_OK"));
    const std::wstring other = dir.File(L"other.ini");
    ASSERT_TRUE(testsupport::WriteFileBytes(other, "[QMN]\r\nIDS_OK=Elsewhere\r\nIDS_NEW=New\r\n"));
    reader.SetIniPath(other.c_str());
    EXPECT_STREQ(other.c_str(), reader.GetIniPath());
    EXPECT_STREQ(L"OK", Get(reader, L"IDS_OK"));
    EXPECT_STREQ(L"New", Get(reader, L"IDS_NEW"));
    // An empty answer is not a cache hit: the file is asked again.
    reader.SetIniPath(path.c_str());
    EXPECT_STREQ(L"Now set", Get(reader, L"IDS_EMPTY"));

    // Every reader has its own cache.
    CIniReader fresh(path.c_str());
    EXPECT_STREQ(L"Changed", Get(fresh, L"IDS_OK"));
}

TEST_F(LanguageFile, ReadersOnManyThreadsGetTheirOwnAnswers)
{
    std::string text = "[QMN]\r\n";
    for (int i = 0; i < 50; ++i)
        text += "IDS_" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(path, text));
    CIniReader shared(path.c_str());
    std::vector<int> wrong(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(
            [&, t]
            {
                CIniReader own(path.c_str());
                for (int round = 0; round < 3; ++round)
                    for (int i = 0; i < 50; ++i)
                    {
                        const std::wstring key = L"IDS_" + std::to_wstring(i);
                        const std::wstring expected = L"value " + std::to_wstring(i);
                        CString a, b;
                        shared.GetKeyValue(key.c_str(), L"QMN", a);
                        own.GetKeyValue(key.c_str(), L"QMN", b);
                        wrong[t] += (a != expected.c_str()) + (b != expected.c_str());
                    }
            });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(std::vector<int>(4, 0), wrong);
}

TEST_F(LanguageFile, OpenIniReaderNeedsAnExistingFile)
{
    std::unique_ptr<CIniReader, void (*)(CIniReader*)> reader(OpenIniReader(path.c_str(), FALSE), ReleaseIniReader);
    ASSERT_NE(nullptr, reader);
    EXPECT_STREQ(path.c_str(), reader->GetIniPath());
    EXPECT_STREQ("CIniReader", reader->GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(reader->IsKindOf(RUNTIME_CLASS(CIniReader)));

    EXPECT_EQ(nullptr, OpenIniReader(dir.File(L"missing.ini").c_str(), FALSE));
    EXPECT_EQ(nullptr, OpenIniReader(nullptr, FALSE));
    // A language file missing beside the library falls back to the suite's qmn.ini there,
    // which the build puts beside suitecore.dll.
    std::unique_ptr<CIniReader, void (*)(CIniReader*)> fallback(
        OpenIniReader((testsupport::NewGuidString() + L".ini").c_str(), TRUE), ReleaseIniReader);
    ASSERT_NE(nullptr, fallback);
    const std::wstring fallbackPath = fallback->GetIniPath().GetString();
    EXPECT_EQ(L"\\qmn.ini", fallbackPath.substr(fallbackPath.rfind(L'\\')));
    ReleaseIniReader(nullptr);
}

TEST_F(LanguageFile, ReadIniTextOrWarnShowsTheErrorBoxOnlyForMissingTexts)
{
    CIniReader reader(path.c_str());
    testsupport::DialogAnswerer answerer(IDOK);
    CString text;
    EXPECT_STREQ(L"OK", ReadIniTextOrWarn(text, L"IDS_OK", L"QMN", &reader));
    EXPECT_STREQ(L"OK", text);
    EXPECT_TRUE(answerer.Dialogs().empty());

    text = L"stale";
    EXPECT_STREQ(L"", ReadIniTextOrWarn(text, L"IDS_NONE", L"QMN", &reader));
    EXPECT_STREQ(L"", text);
    EXPECT_STREQ(L"", ReadIniTextOrWarn(text, L"IDS_OK", L"QMN", nullptr));
    const auto dialogs = answerer.Dialogs();
    ASSERT_EQ(2u, dialogs.size());
    EXPECT_EQ(L"Fail to Read from dependent file. This application will close now! ", dialogs[0].text);
}
