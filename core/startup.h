// Start-up: folder slots, pre-flight checks, and the release of cached GDI objects.
#pragma once

// Upper-cases the first letter of each part of a folder path and lower-cases the rest
// (C:\WINDOWS\SYSTEM32 -> C:\Windows\System32). ASCII letters only; changes text in place.
void TitleCasePath(char *text);

// Fills InstallDir, WindowsDir and SystemDir, probes administrator rights and files in use.
void InitializeSetup();
// Sets SetupState.FilesInUse when a product file that would be replaced is open without sharing.
void DetectFilesInUse();
// Deletes HeaderBitmap, FixedFont and BoldFont (in that order) and clears the handles.
void ReleaseGdiObjects();
