// Resource identifiers of the HTML dialog tests.
#pragma once

#define IDD_HTML_TEST 500
#define IDR_HTML_TEST_PAGE 101
