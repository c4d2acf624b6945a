// The suite's web addresses, kept in one place. They live under a reserved domain, so that no
// test or demonstration ever reaches a real host.
#pragma once

namespace suitecore::web
{
// The maker's web site.
constexpr const wchar_t* kWebSite = L"http://www.orvane.example/";
// The product's page on it.
constexpr const wchar_t* kProductPage = L"http://www.orvane.example/qmn";
// The online-help page.
constexpr const wchar_t* kOnlineHelpPage = L"http://www.orvane.example/qmn/help/showhelp.aspx";
// The technical support's mail address, shown by the before-uninstall survey.
constexpr const wchar_t* kSupportMail = L"support@orvane.example";
} // namespace suitecore::web
