// Plain-data rules for texts that the registry hands back.
#pragma once
#include <stdint.h>

// Makes a text value read by the registry into buffer (size bytes, got of them filled) a
// terminated text. A value stored without its NUL is terminated after its last byte; one that
// fills the whole buffer without a NUL cannot be held and leaves the buffer empty (false).
bool TerminateRegText(char *buffer, uint32_t size, uint32_t got);
