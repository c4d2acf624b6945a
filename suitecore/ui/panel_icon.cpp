// The small panel icon, one handle for the whole process.
#include "suitecore/ui/panels.h"

#include "gdi_scope.h"

namespace
{
constexpr UINT kPanelIconId = 1294;
constexpr int kPanelIconSize = 16;
} // namespace

HICON GetPanelIcon()
{
    // Loaded once, on first use (the initialisation is thread-safe), and never destroyed:
    // dialogs nest and painters run at any time, so no single owner may end it.
    static const HICON icon =
        static_cast<HICON>(LoadImageW(suitecore::ui::LibraryInstance(), MAKEINTRESOURCEW(kPanelIconId), IMAGE_ICON,
                                      kPanelIconSize, kPanelIconSize, LR_DEFAULTCOLOR));
    return icon;
}
