// The shared UI font: one process-wide face, height and character set from which every font of
// the suite's windows is built, and the small font classes that build from it.
//
// The settings are guarded by one critical section of the library: a font may be built on any
// thread while another changes the settings, and never sees a half-written face.
#pragma once

#include "../suitecore.h"

#include <framework/gdi.h>
#include <framework/string.h>

// ---------------------------------------------------------------------------------------------
// The settings. Until a tool sets them: face "tahoma", height -11, DEFAULT_CHARSET.

// The face becomes lpszDefaultFace. With bPreferSegoe set it becomes "SEGOE UI" instead when
// the Windows folder holds FONTS\SEGOEUI.TTF or when Windows is version 6 or later. A face
// longer than a LOGFONTW holds (31 characters) is cut to fit; a null face counts as empty.
SUITECORE_API void SetUIFontFace(BOOL bPreferSegoe, LPCWSTR lpszDefaultFace);
SUITECORE_API void SetUIFontHeight(int nHeight); // a LOGFONTW lfHeight
SUITECORE_API void SetUIFontCharSet(BYTE nCharSet);
SUITECORE_API CString GetUIFontFace(); // a copy, taken under the lock
SUITECORE_API int GetUIFontHeight();
SUITECORE_API BYTE GetUIFontCharSet();

// Zeroes the whole structure, then fills in the shared height, weight 400, ClearType quality
// (5), the shared character set and the shared face, all read under the settings' lock.
SUITECORE_API void InitUILogFont(LOGFONTW& lf);

// ---------------------------------------------------------------------------------------------
// A LOGFONTW built from the shared settings (exactly the platform structure, 92 bytes).
class SUITECORE_API CUILogFont : public LOGFONTW
{
public:
    CUILogFont(); // InitUILogFont
    // InitUILogFont, then the face (cut to 31 characters; null keeps the shared face), the
    // height, weight 700 when bold else 400, and the underline flag.
    CUILogFont(LPCWSTR lpszFace, int nHeight, BOOL bBold, BOOL bUnderline);
};

// A font created from a LOGFONTW when constructed and deleted when destroyed; empty (null
// handle) when GDI refuses the description.
class SUITECORE_API CSTFont : public CFont
{
public:
    explicit CSTFont(const LOGFONTW& lf);
};
