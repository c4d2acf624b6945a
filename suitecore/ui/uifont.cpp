// The shared UI font settings and the font classes built from them.
#include "suitecore/ui/uifont.h"

#include "face_name.h"
#include "../settings/critical_section.h"
#include "suitecore/paths.h"
#include "suitecore/sysinfo.h"

namespace
{
struct UIFontSettings
{
    WCHAR face[LF_FACESIZE] = L"tahoma";
    int height = -11;
    BYTE charSet = DEFAULT_CHARSET;
};

// The library's lock over the settings, made at load before any tool code runs.
suitecore::CriticalSection g_uiFontLock;
UIFontSettings g_uiFont;

// "SEGOE UI" is chosen on Windows 6 and later, and on older systems where its file exists.
bool SegoeAvailable()
{
    if (GetOsMajorVersion() > 5)
        return true;
    WCHAR folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    CString path(folder);
    JoinPath(path, L"FONTS\\SEGOEUI.TTF");
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

void SetUIFontFace(BOOL bPreferSegoe, LPCWSTR lpszDefaultFace)
{
    // The file test runs outside the lock: builders of fonts never wait on the disk.
    const bool segoe = bPreferSegoe && SegoeAvailable();
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    suitecore::CopyFaceName(g_uiFont.face, segoe ? L"SEGOE UI" : lpszDefaultFace);
}

void SetUIFontHeight(int nHeight)
{
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    g_uiFont.height = nHeight;
}

void SetUIFontCharSet(BYTE nCharSet)
{
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    g_uiFont.charSet = nCharSet;
}

CString GetUIFontFace()
{
    WCHAR face[LF_FACESIZE];
    {
        suitecore::CriticalSectionLock lock(g_uiFontLock);
        memcpy(face, g_uiFont.face, sizeof face);
    }
    return CString(face);
}

int GetUIFontHeight()
{
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    return g_uiFont.height;
}

BYTE GetUIFontCharSet()
{
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    return g_uiFont.charSet;
}

void InitUILogFont(LOGFONTW& lf)
{
    memset(&lf, 0, sizeof lf);
    lf.lfWeight = FW_NORMAL;
    lf.lfQuality = CLEARTYPE_QUALITY;
    suitecore::CriticalSectionLock lock(g_uiFontLock);
    lf.lfHeight = g_uiFont.height;
    lf.lfCharSet = g_uiFont.charSet;
    suitecore::CopyFaceName(lf.lfFaceName, g_uiFont.face);
}

CUILogFont::CUILogFont()
{
    InitUILogFont(*this);
}

CUILogFont::CUILogFont(LPCWSTR lpszFace, int nHeight, BOOL bBold, BOOL bUnderline)
{
    InitUILogFont(*this);
    if (lpszFace)
        suitecore::CopyFaceName(lfFaceName, lpszFace);
    lfHeight = nHeight;
    lfWeight = bBold ? FW_BOLD : FW_NORMAL;
    lfUnderline = bUnderline ? TRUE : FALSE;
}

CSTFont::CSTFont(const LOGFONTW& lf)
{
    CreateFontIndirect(&lf);
}
