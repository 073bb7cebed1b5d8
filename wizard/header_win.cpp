#include "wizard/header.h"

// Placeholder until the header pipeline lands.
int PaintHeader(HWND frame)
{
    PAINTSTRUCT ps;
    BeginPaint(frame, &ps);
    EndPaint(frame, &ps);
    return 1;
}
