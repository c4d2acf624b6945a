#include "net_test_support.h"

#include <testsupport/testsupport.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace nettest
{
namespace
{
std::wstring WindowsPathOfUnix(const std::string& unixPath)
{
    std::wstring path = L"Z:" + testsupport::Wide(unixPath);
    for (auto& ch : path)
        if (ch == L'/')
            ch = L'\\';
    return path;
}

Servers LoadServers()
{
    const char* info = getenv("SUITE_NET_SERVERS");
    if (!info || !*info)
        throw std::runtime_error("SUITE_NET_SERVERS is not set: run the tests through ctest, which starts the servers");
    const std::string text = testsupport::ReadFileBytes(WindowsPathOfUnix(info));
    if (text.empty())
        throw std::runtime_error(std::string("no server information in ") + info);
    Servers servers;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
    {
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "http_port")
            servers.httpPort = atoi(value.c_str());
        else if (key == "ftp_port")
            servers.ftpPort = atoi(value.c_str());
        else if (key == "ftp_root")
            servers.ftpRoot = WindowsPathOfUnix(value);
        else if (key == "log_dir")
            servers.logDir = WindowsPathOfUnix(value);
        else if (key == "site_root")
            servers.siteRoot = WindowsPathOfUnix(value);
        else if (key.compare(0, 11, "https_port_") == 0)
            servers.httpsPorts[key.substr(11)] = atoi(value.c_str());
        else if (key.compare(0, 11, "https_cert_") == 0)
            servers.httpsCerts[key.substr(11)] = WindowsPathOfUnix(value);
    }
    return servers;
}
} // namespace

const Servers& TestServers()
{
    static const Servers servers = LoadServers();
    return servers;
}

std::wstring Http(const std::wstring& path)
{
    return L"http://127.0.0.1:" + std::to_wstring(TestServers().httpPort) + path;
}

std::wstring Https(const std::string& certificate, const std::wstring& path)
{
    const auto found = TestServers().httpsPorts.find(certificate);
    if (found == TestServers().httpsPorts.end())
        throw std::runtime_error("no HTTPS listener for the certificate " + certificate);
    return L"https://localhost:" + std::to_wstring(found->second) + path;
}

std::wstring Ftp(const std::wstring& path, const std::wstring& userInfo)
{
    return L"ftp://" + (userInfo.empty() ? L"" : userInfo + L"@") + L"127.0.0.1:" +
           std::to_wstring(TestServers().ftpPort) + path;
}

std::wstring RedirectTo(const std::wstring& location)
{
    std::wstring query = L"&to=";
    for (const wchar_t ch : location)
    {
        if (ch < 0x80 && (isalnum(ch) || strchr("-._~", static_cast<char>(ch))))
        {
            query += ch;
            continue;
        }
        char escaped[4];
        snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned>(ch) & 0xFF);
        query += testsupport::Wide(escaped);
    }
    return query;
}

std::string Content(size_t start, size_t end, unsigned seed)
{
    // Byte i is (i & 0xFF) ^ key(i >> 8), as the server makes it.
    std::string bytes;
    bytes.reserve(end > start ? end - start : 0);
    for (size_t i = start; i < end; ++i)
    {
        const uint32_t block = static_cast<uint32_t>(i >> 8) + seed;
        const unsigned key = ((block * 2654435761u) >> 13) & 0xFF;
        bytes.push_back(static_cast<char>((i & 0xFF) ^ key));
    }
    return bytes;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t first = 0;
    while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
        ++first;
    return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got " << actual.size()
                                         << "; first difference at offset " << first;
}

std::wstring NewTag()
{
    std::wstring tag;
    for (wchar_t ch : testsupport::NewGuidString())
        if (iswxdigit(ch))
            tag += towlower(ch);
    return tag;
}

std::wstring SiteBase(const std::wstring& tag)
{
    return Http(L"/site/" + tag);
}

void WriteSiteFile(const std::wstring& tag, const std::wstring& path, const std::string& bytes)
{
    std::wstring file = TestServers().siteRoot + L"\\" + tag;
    CreateDirectoryW(file.c_str(), nullptr);
    file += L'\\';
    for (const wchar_t ch : path)
    {
        if (ch == L'/')
            CreateDirectoryW(file.c_str(), nullptr);
        file += ch == L'/' ? L'\\' : ch;
    }
    if (!testsupport::WriteFileBytes(file, bytes))
        throw std::runtime_error("cannot write " + testsupport::Utf8(file));
}

size_t CountGets(const std::wstring& tag, const std::string& sitePath)
{
    const std::string prefix = "GET /site/" + testsupport::Utf8(tag) + sitePath;
    size_t count = 0;
    for (const std::string& line : ServerLog(tag))
    {
        if (line.compare(0, prefix.size(), prefix) == 0 &&
            (line.size() == prefix.size() || line[prefix.size()] == '?' || line[prefix.size()] == ' '))
            ++count;
    }
    return count;
}

std::vector<std::string> ServerLog(const std::wstring& tag)
{
    std::vector<std::string> lines;
    std::istringstream text(testsupport::ReadFileBytes(TestServers().logDir + L"\\" + tag + L".log"));
    std::string line;
    while (std::getline(text, line))
        lines.push_back(line);
    return lines;
}

void ResetDownloader()
{
    ClearDownloadFiles();
    SetDownloadOption(L"resume", L"true");
    SetDownloadOption(L"noftpsize", L"true");
}

std::vector<std::wstring> RecordingRunner::Texts(UINT nControl) const
{
    std::vector<std::wstring> texts;
    for (const auto& m : messages)
        if (m.message == WM_DL_STATUS_TEXT && m.wParam == nControl)
            texts.push_back(m.text);
    return texts;
}

std::vector<Message> RecordingRunner::Of(UINT message) const
{
    std::vector<Message> found;
    for (const auto& m : messages)
        if (m.message == message)
            found.push_back(m);
    return found;
}

void RecordingRunner::OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    Message m{message, wParam, lParam, {}};
    if (message == WM_DL_STATUS_TEXT)
        m.text = reinterpret_cast<LPCWSTR>(lParam);
    messages.push_back(m);
    if (onMessage)
        onMessage(*this, m);
}

BOOL RecordingRunner::AnswerAuthentication(HINTERNET hRequest)
{
    return answerAuthentication ? answerAuthentication(hRequest) : FALSE;
}

BOOL RecordingRunner::AnswerFtpLogin(CDownloadLogin& login)
{
    return answerFtpLogin ? answerFtpLogin(login) : FALSE;
}

int RecordingRunner::AnswerFailure(BOOL bRetryOffered)
{
    return answerFailure ? answerFailure(bRetryOffered) : 0;
}
} // namespace nettest
