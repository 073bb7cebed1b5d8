// The wizard frame, its page sequence and the services the pages share.
#pragma once
#include <windows.h>

bool RegisterFrameClass();
INT_PTR CALLBACK FrameDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void AdvancePage(HWND frame);
void CloseWizard(HWND frame);
void LaunchMainProgram(HWND owner);
void CenterWindow(HWND window);
void EnableDlgControl(HWND dialog, int id, BOOL enable);
void ShowDlgControl(HWND dialog, int id, BOOL show);
void SetFixedFont(HWND dialog, int id);
void SetBoldFont(HWND dialog, int id);
void LoadTextResource(HWND dialog, int id, const char *name);

// Page dialog procedures and the checks the frame asks of them.
INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
bool IsLicenseAccepted(HWND page);
bool ValidateDestination(HWND page);

// Destination page services.
void BrowseForDestination(HWND page);
void ResetDestination(HWND page);
void UpdateDiskSpace(HWND page);
