// QLRemove.exe: the remover of the product, installed into the Windows folder.
#include "payload_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunPayloadWindow(instance, "QLRemove - " PAYLOAD_PRODUCT,
                            "QLRemove.exe removes " PAYLOAD_PRODUCT " from this computer.");
}
