// Prints the text a message box stores for a plain message, so that a test can run it under the
// Windows versions that Wine's AppDefaults give one program.
#include <suitecore/ui/msgbox.h>

#include <cwchar>

int main()
{
    CQMNMessageBox box;
    box.SetMessageText(L"Plain");
    std::fputws(box.m_strMessage, stdout);
    return 0;
}
