#include "wizard/wizard.h"

// Placeholder until the progress and finish pages land.
INT_PTR CALLBACK ProgressPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
INT_PTR CALLBACK FinishPageProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
