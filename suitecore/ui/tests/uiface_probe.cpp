// Prints the shared UI face that SetUIFontFace(TRUE, "tahoma") chooses in this process, so a
// test can run it under the Windows versions that Wine's AppDefaults give one program.
#include <suitecore/ui/uifont.h>

#include <cwchar>

int main()
{
    SetUIFontFace(TRUE, L"tahoma");
    std::fputws(GetUIFontFace(), stdout);
    return 0;
}
