// The LZHUF decoder writing straight into an open file.
#pragma once
#include <windows.h>
#include <stdint.h>

// Decodes the stream into file, which is open for writing at the start of an empty file, in
// 1024-byte WriteFile calls and one final remainder; neither closes the file nor stamps it.
// False when a write failed or fell short.
bool DecodeToFile(const uint8_t *input, uint32_t inputLength, uint32_t outputSize, HANDLE file);
