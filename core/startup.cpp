#include "core/startup.h"

#include "core/state.h"

// Placeholder until the start-up checks land.
void TitleCasePath(char *) {}
void InitializeSetup() {}
void DetectFilesInUse() {}
void ReleaseGdiObjects() {}
