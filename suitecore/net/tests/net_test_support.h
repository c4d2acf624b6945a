// What the downloader tests share: the local test servers, the bytes they serve, their
// request logs, and a runner that records every message the worker posts.
#pragma once

#include <suitecore/download.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace nettest
{
struct Servers
{
    int httpPort = 0;
    int ftpPort = 0;
    std::wstring ftpRoot; // Windows paths
    std::wstring logDir;
    std::wstring siteRoot;                          // the files of /site/TAG/PATH
    std::map<std::string, int> httpsPorts;          // the HTTPS listeners, by certificate name
    std::map<std::string, std::wstring> httpsCerts; // their certificates' Windows paths
};

// The servers started by the test fixture (servers.ini named by SUITE_NET_SERVERS); throws
// std::runtime_error when there are none.
const Servers& TestServers();

// "http://127.0.0.1:PORT" + path; "ftp://[userInfo@]127.0.0.1:PORT" + path.
std::wstring Http(const std::wstring& path);
std::wstring Ftp(const std::wstring& path, const std::wstring& userInfo = L"");

// "https://localhost:PORT" + path, on the HTTPS listener with the named certificate (servers
// started with --tls); throws std::runtime_error when there is none.
std::wstring Https(const std::string& certificate, const std::wstring& path);

// "&to=" + the text percent-encoded: the server answers any path carrying it with a 302 whose
// Location is exactly that text.
std::wstring RedirectTo(const std::wstring& location);

// Bytes [start, end) of the server's generated files (/data/SIZE/NAME).
std::string Content(size_t start, size_t end, unsigned seed = 0);

// Compares file contents, reporting sizes and the first difference rather than the bytes.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

// A fresh tag for the query ("tag=...") or a site, in lower case, and the requests the server
// logged under it as "METHOD PATH RANGE" lines (a site's with their query).
std::wstring NewTag();
std::vector<std::string> ServerLog(const std::wstring& tag);

// A test's own web site: "http://127.0.0.1:PORT/site/TAG", and a file written under it
// (path with "/" separators, folders made as needed).
std::wstring SiteBase(const std::wstring& tag);
void WriteSiteFile(const std::wstring& tag, const std::wstring& path, const std::string& bytes);
// The GET requests of a tag's log whose path (before any query) is the given site path.
size_t CountGets(const std::wstring& tag, const std::string& sitePath);

// Empties the queue and puts the options back as a process starts with them.
void ResetDownloader();

struct Message
{
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::wstring text; // of WM_DL_STATUS_TEXT
};

class RecordingRunner : public CDownloadRunner
{
public:
    std::vector<Message> messages;
    // Called for each message after it was recorded.
    std::function<void(RecordingRunner&, const Message&)> onMessage;
    // Answers; the defaults decline like the base class.
    std::function<BOOL(HINTERNET)> answerAuthentication;
    std::function<BOOL(CDownloadLogin&)> answerFtpLogin;
    std::function<int(BOOL)> answerFailure;

    std::vector<std::wstring> Texts(UINT nControl) const;
    std::vector<Message> Of(UINT message) const;
    size_t Count(UINT message) const { return Of(message).size(); }

protected:
    void OnWorkerMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL AnswerAuthentication(HINTERNET hRequest) override;
    BOOL AnswerFtpLogin(CDownloadLogin& login) override;
    int AnswerFailure(BOOL bRetryOffered) override;
};
} // namespace nettest
