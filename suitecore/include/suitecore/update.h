// The update operations the suite's tools call: whether the machine is on line, whether a
// newer version of the suite is published, and the definition-archive update.
#pragma once

#include "suitecore.h"

#include <framework/string.h>

// The update operations. The object holds no data; each call stands on its own.
class SUITECORE_API CGlobalUpdate
{
public:
    CGlobalUpdate();
    virtual ~CGlobalUpdate();

    // True when the update-check page publishes a version newer than the loaded SuiteCore's.
    // The version file is fetched with the download dialog hidden.
    BOOL CheckForNewVersion();
    // Fetches the definition information and answers whether the archive beside the running
    // executable matches its checksum; strDownloadAddress receives the archive's address.
    BOOL IsDatabaseCurrent(CString& strDownloadAddress);
    // Brings the definition archive beside the running executable up to date, with the
    // download dialog visible. The archive in place is only ever replaced by a verified one.
    BOOL UpdateDefinitions();
};

// Each creates a temporary CGlobalUpdate and calls the operation of the same name.
SUITECORE_API BOOL CheckForNewVersionNow();
SUITECORE_API BOOL UpdateDefinitionsNow();

// Points the update operations at another server: the base address (scheme, host, optional
// port and path, without a trailing "/") under which the update pages lie. An empty text or
// null clears it; the "UpdateServer" value of the product's settings key, then the built-in
// address, serve instead.
SUITECORE_API void SetUpdateServer(LPCWSTR lpszBaseAddress);
