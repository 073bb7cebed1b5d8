// Numbers and names of the resource script, shared by the script and the code.
#pragma once

// Dialog templates
#define IDD_FRAME 1001
#define IDD_WELCOME 1002
#define IDD_LICENSE 1003
#define IDD_DESTINATION 1004
#define IDD_PROGRESS 1005
#define IDD_FINISH 1006

// Icons and the header picture
#define IDI_PRODUCT 100
#define IDI_FILES 101
#define IDI_SHORTCUTS 102
#define IDB_HEADER 200

// Frame
#define IDC_PLACEHOLDER 100
#define IDC_CONTINUE 101
#define IDC_CANCEL 102

// Welcome page
#define IDC_WELCOME_BORDER 200
#define IDC_WELCOME_ICON 201
#define IDC_BANNER 202
#define IDC_INTRO_HEADING 203
#define IDC_INTRO_TEXT 204
#define IDC_SPECIAL_HEADING 205
#define IDC_SPECIAL_TEXT 206

// Licence page
#define IDC_LICENSE_TEXT 300
#define IDC_LICENSE_ACCEPT 301

// Destination page
#define IDC_DEST_EXPLAIN 400
#define IDC_DEST_FOLDER 401
#define IDC_DEST_BROWSE 402
#define IDC_DEST_RESET 403
#define IDC_DEST_SPACE 404
#define IDC_SCOPE_GROUP 405
#define IDC_SCOPE_SINGLE 406
#define IDC_SCOPE_MULTI 407

// Progress page
#define IDC_FILE_STATUS 500
#define IDC_FILE_PROGRESS 501
#define IDC_LINK_STATUS 505
#define IDC_LINK_PROGRESS 506

// Finish page
#define IDC_FINISH_TEXT 600
#define IDC_GUIDE_TEXT 601
#define IDC_RUN_ON_EXIT 602

// The progress page's one-shot timer
#define IDT_INSTALL 2007
