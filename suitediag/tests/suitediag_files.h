// SuiteDiag and every DLL it loads from its own folder, as an installation places them side by
// side. Tests that copy SuiteDiag into a folder of their own copy all of these.
#pragma once

namespace suitediag_tests
{
inline constexpr const wchar_t* kSuiteDiagFiles[] = {
    L"SuiteDiag.exe", L"suitecore.dll", L"framework.dll", L"qmnhtm.dll", L"libgcc_s_dw2-1.dll", L"libwinpthread-1.dll",
    L"QMN.ini", // the language file the skinned windows read
};
} // namespace suitediag_tests
