// Pieces of the application object shared by its source files.
#pragma once

#include <framework/framework.h>

namespace suitecore
{
// Opens one of the maker's pages with the campaign keys of the suite (build tag, the tool's
// name), verb "open", maximised. bWithModule puts the empty "module" key first, as the help
// page expects.
void OpenCampaignPage(LPCWSTR lpszPage, LPCWSTR lpszTerm, bool bWithModule, HWND hOwner);

// Face and height of the shared UI font, chosen when the application object is made.
void ChooseSharedFont();
// Creates the 24 shared fonts from the shared UI font (any made before are replaced).
void CreateSharedFonts();
} // namespace suitecore
