// Resource and command ids of the product's programs, shared by their resource scripts and code.
#pragma once

// Quillith.exe
#define IDR_PAD_MENU 100
#define IDR_PAD_KEYS 101
#define IDC_PAD_EDIT 110

#define IDM_NEW 200
#define IDM_OPEN 201
#define IDM_SAVE 202
#define IDM_SAVEAS 203
#define IDM_EXIT 204
#define IDM_UNDO 210
#define IDM_CUT 211
#define IDM_COPY 212
#define IDM_PASTE 213
#define IDM_DELETE 214
#define IDM_SELECTALL 215
#define IDM_HELP 220
#define IDM_ABOUT 221

// QLUpdate.exe
#define IDD_UPDATE 300
#define IDC_UPDATE_VERSION 301
#define IDC_UPDATE_FOLDER 302
#define IDC_UPDATE_LINK 303
#define IDC_UPDATE_SUPPORT 304
