// Layout and drawing. Measuring and drawing run the same layout, so the height measured is the
// height drawn.
#pragma once

#include <windows.h>

namespace qmnhtm
{

// The height of the laid-out mark-up at this width (in logical units); width must be positive.
int MeasureHeight(HDC dc, const wchar_t* html, int width);

// Lays the mark-up out at the rectangle's width and draws it, clipped to the rectangle. The
// rectangle is first filled with the DC's background colour unless `transparent`.
void Draw(HDC dc, const wchar_t* html, const RECT& rect, bool transparent);

} // namespace qmnhtm
