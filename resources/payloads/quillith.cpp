// Quillith.exe: the main program, in two builds (QUILLITH_BUILD "98" and "XP") that share the
// file name.
#include "payload_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunPayloadWindow(instance, "Quillith - " PAYLOAD_PRODUCT,
                            "Quillith.exe (" QUILLITH_BUILD " build) of " PAYLOAD_PRODUCT
                            ", the writing pad.");
}
