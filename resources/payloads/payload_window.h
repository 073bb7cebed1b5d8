// The window that every program of the product shows for now: its own name and the product's.
#pragma once
#include <windows.h>

int RunPayloadWindow(HINSTANCE instance, const char *title, const char *text);
