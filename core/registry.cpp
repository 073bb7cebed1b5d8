#include "core/registry.h"

// Placeholder until the registry operations land.
bool ReadPreviousInstallPath(char *buffer, uint32_t)
{
    buffer[0] = 0;
    return false;
}
void ProbeAdminRights() {}
void RegisterProduct() {}
