// Reads the parts of a dialog template that re-layout needs, in both forms (DLGTEMPLATE and
// DLGTEMPLATEEX), never reading past the resource's end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace suitecore
{
struct DialogTemplateItem
{
    DWORD id = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplateInfo
{
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool hasMenu = false;
    short cx = 0, cy = 0;
    bool hasFont = false; // DS_SETFONT: the fields below come from the template
    short pointSize = 0;
    WORD weight = FW_NORMAL;
    BYTE italic = 0;
    std::wstring face;
    std::vector<DialogTemplateItem> items; // in template order; cut short at a damaged item
};

// Nothing when the bytes are too short for the header.
std::optional<DialogTemplateInfo> ReadDialogTemplate(const void* data, size_t size);

// Matches an item's ID to a control's: a classic template stores 16 bits.
inline bool SameControlId(const DialogTemplateInfo& info, DWORD itemId, int controlId)
{
    return info.extended ? itemId == static_cast<DWORD>(controlId)
                         : static_cast<WORD>(itemId) == static_cast<WORD>(controlId);
}
} // namespace suitecore
