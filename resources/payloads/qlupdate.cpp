// QLUpdate.exe: the updater of the product.
#include "payload_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunPayloadWindow(instance, "QLUpdate - " PAYLOAD_PRODUCT,
                            "QLUpdate.exe looks for a newer " PAYLOAD_PRODUCT ".");
}
