// Everything setup reads from and writes to the registry.
#pragma once
#include <stdint.h>

// Reads the install folder of an earlier installation into buffer (size bytes); true on success.
bool ReadPreviousInstallPath(char *buffer, uint32_t size);
// Sets SetupState.NotAdministrator when the test key below the product key cannot be created.
void ProbeAdminRights();
// Records the install folder and version, and the entry in the list of installed programs.
void RegisterProduct();
