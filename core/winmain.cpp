#include "core/state.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SetupState.Instance = instance;
    return 1;
}
